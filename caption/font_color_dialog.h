// caption/font_color_dialog.h
#pragma once

#include "platform/win_types.h"

#include <QDialog>

#include <functional>
#include <optional>

class CColorPicker;
class QFontDialog;

// A chosen font and text colour.
struct FontChoice
{
    LOGFONT font;
    COLORREF color = 0;
};

// The font dialog of the caption: the font (face, style, size in pixels of
// the picture), and the text colour from the colour palette.
class CFontColorDialog : public QDialog
{
    Q_OBJECT
  public:
    CFontColorDialog(const LOGFONT &font, COLORREF color, QWidget *parent = nullptr);

    FontChoice Choice() const;

    // Runs the dialog; nothing when it was cancelled. Tests replace the
    // dialog through the handler; an empty function restores it.
    static std::optional<FontChoice> Ask(const LOGFONT &font, COLORREF color, QWidget *parent);
    using Handler = std::function<std::optional<FontChoice>(const LOGFONT &, COLORREF, QWidget *)>;
    static void SetHandler(Handler handler);

  private:
    QFontDialog *mFonts;
    CColorPicker *mColor;
    LOGFONT mInitial;
};
