// caption/draw_text.cpp
#include "caption/draw_text.h"

#include "caption/box_fields.h"
#include "caption/caption_foreground.h"
#include "caption/caption_geometry.h"
#include "caption/caption_layout.h"
#include "caption/caption_placeholders.h"
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace {

// Keeps a fill within what QRect can hold; far beyond any preview anyway.
QRect fillRectOf(const RECT &r)
{
    constexpr std::int32_t kLimit = 1 << 29;
    const RECT n = NormalizeRect(r);
    const int l = std::clamp(n.left, -kLimit, kLimit), t = std::clamp(n.top, -kLimit, kLimit);
    const int rt = std::clamp(n.right, -kLimit, kLimit), b = std::clamp(n.bottom, -kLimit, kLimit);
    return QRect(l, t, rt - l, b - t);
}

} // namespace

CDrawText::CDrawText(const RECT &rect, const PreviewGeometry *view)
    : CDrawRect(rect, view)
{
    SetPenOn(false);
    SetBrushOn(false);
    LOGPEN outline;
    outline.lopnStyle = PS_NULL;
    outline.lopnWidth = POINT{1, 1};
    outline.lopnColor = 0;
    SetPen(outline);
}

CaptionSettings CDrawText::GetCaption() const
{
    CaptionSettings caption;
    caption.text = mText;
    caption.font = mFont;
    caption.backColor = mBackColor;
    caption.textColor = mTextColor;
    caption.align = mAlign;
    caption.anchor = GetAnchor();
    caption.offsets = GetOffsets();
    caption.style = mStyle;
    return caption;
}

void CDrawText::SetCaption(const CaptionSettings &caption)
{
    mText = caption.text;
    mFont = caption.font;
    mBackColor = caption.backColor;
    mTextColor = caption.textColor;
    mAlign = caption.align;
    mStyle = caption.style;
    SetAnchor(caption.anchor);
    SetOffsets(caption.offsets);
}

void CDrawText::Place(const RECT &rect, const PreviewGeometry *view)
{
    if (!view) {
        CDrawRect::Place(rect, nullptr);
        return;
    }
    const PreviewGeometry design = DesignView(*view, mStyle);
    CDrawRect::Place(rect, &design);
}

CaptionOffsets CDrawText::OffsetsFromCorner(std::int32_t anchor, const PreviewGeometry &view) const
{
    CDrawText probe(*this);
    probe.SetAnchor(anchor);
    probe.Place(GetPosition(), &view);
    return probe.GetOffsets();
}

void CDrawText::PaintCaption(QPainter &painter, const PreviewGeometry &view)
{
    if (!IsPlainStyle(mStyle)) {
        paintStyled(painter, view);
        return;
    }
    const float s = view.scale;
    const RECT box = PreviewBox(GetOffsets(), GetAnchor(), view.picture, s);
    SetPosition(box);
    painter.save();
    if (mBackColor != kNoBackColor) {
        painter.fillRect(fillRectOf(box),
                         QColor(GetRValue(mBackColor), GetGValue(mBackColor), GetBValue(mBackColor)));
    }
    painter.setFont(FontFromLogFont(PreviewFont(mFont, s)));
    painter.setPen(QColor(GetRValue(mTextColor), GetGValue(mTextColor), GetBValue(mTextColor)));
    DrawText(painter, mFacts ? ExpandPlaceholders(mText, *mFacts) : mText, box, unsigned(mAlign));
    painter.restore();
}

void CDrawText::paintStyled(QPainter &painter, const PreviewGeometry &view)
{
    CaptionSettings caption = GetCaption();
    if (mFacts)
        caption.text = ExpandPlaceholders(caption.text, *mFacts);
    SetPosition(PaintStyledCaption(painter, caption, view.picture, view.scale, view.pictureWidth,
                                   view.pictureHeight));
}
