// caption/draw_text.h
#pragma once

#include "caption/caption_settings.h"
#include "caption/draw_rect.h"

#include <QString>

class QPainter;
struct PictureFacts;

// The caption box: a rectangle with the caption's text, font, colours and
// alignment. Its anchor and offsets (inherited) complete the CaptionSettings
// that the export stamps on every picture. UI thread only.
class CDrawText : public CDrawRect
{
  public:
    // A box on rect anchored top-left, with the caption defaults, pen and
    // brush off and a null outline pen (nothing is outlined).
    CDrawText(const RECT &rect, const PreviewGeometry *view);

    const char *GetRuntimeClassName() const override { return "CDrawText"; }
    // The stream form adds nothing to CDrawRect's: the caption is not kept.

    // The whole record: the box's own settings plus its anchor and offsets.
    CaptionSettings GetCaption() const;
    void SetCaption(const CaptionSettings &caption);

    const QString &GetText() const { return mText; }
    void SetText(const QString &text) { mText = text; }
    const LOGFONT &GetFont() const { return mFont; }
    void SetFont(const LOGFONT &font) { mFont = font; }
    COLORREF GetBackColor() const { return mBackColor; }
    void SetBackColor(COLORREF color) { mBackColor = color; } // kNoBackColor: transparent
    COLORREF GetTextColor() const { return mTextColor; }
    void SetTextColor(COLORREF color) { mTextColor = color; }
    std::int32_t GetAlign() const { return mAlign; }
    void SetAlign(std::int32_t align) { mAlign = align; }
    const CaptionStyle &GetStyle() const { return mStyle; }
    void SetStyle(const CaptionStyle &style) { mStyle = style; }

    // As CDrawObj::Place, with the offsets in design pixels: a box that sizes
    // with the picture is placed at the view's scale times its factor
    // (DesignView), so dragging it keeps its offsets relative.
    void Place(const RECT &rect, const PreviewGeometry *view) override;
    // The offsets that keep the box where it is on the screen (its
    // position) when they are measured from another anchor corner, as Place
    // measures them; the box itself is left as it is.
    CaptionOffsets OffsetsFromCorner(std::int32_t anchor, const PreviewGeometry &view) const;

    // Draws the box on the preview: the box rectangle is derived from the
    // offsets at the view's picture rectangle and display scale and stored as
    // position; the back colour (unless transparent) fills it, and the text
    // is drawn in the preview copy of the font (PreviewFont) with the
    // alignment, clipped to the box. Nothing is clipped to the picture.
    // A box with a style (CaptionStyle other than plain) is drawn as the
    // export stamps it on the picture shown: sized for that picture
    // (CaptionForPicture), laid out in its pixels (the same lines and fitted
    // height), then scaled to the preview, so at scale 1 the pixels in the
    // box are the export's.
    // The painter's state is restored on return.
    virtual void PaintCaption(QPainter &painter, const PreviewGeometry &view);
    // The facts of the picture shown, which fill the text's fields
    // (caption/caption_placeholders.h) when the caption is painted; null
    // paints the text as written. Not owned: the view keeps them.
    void SetShownFacts(const PictureFacts *facts) { mFacts = facts; }

  private:
    void paintStyled(QPainter &painter, const PreviewGeometry &view);

    QString mText = kDefaultCaptionText;
    LOGFONT mFont = DefaultCaptionFont();
    COLORREF mBackColor = kNoBackColor;
    COLORREF mTextColor = 0;
    std::int32_t mAlign = CaptionAlign::Middle;
    CaptionStyle mStyle;
    const PictureFacts *mFacts = nullptr;
};
