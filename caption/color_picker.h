// caption/color_picker.h
#pragma once

#include "platform/win_types.h"

#include <QPointer>
#include <QPushButton>

class CPaletteDropDown;

// A push button showing a colour swatch under its caption, with a drop-down
// arrow; a click drops down the palette (CPaletteDropDown, a child of the
// picker while it is open). The picker's
// colour is the background colour, or the text colour in text mode.
// kNoBackColor (0xFF000000) is "no colour": the swatch shows the button
// face, and as a text colour it means black.
class CColorPicker : public QPushButton
{
    Q_OBJECT
  public:
    enum class ColorMode { Text = 1, Background = 2 };

    explicit CColorPicker(const QString &text, QWidget *parent = nullptr);

    COLORREF GetColor() const;
    void SetColor(COLORREF color);
    void SetColorMode(ColorMode mode) { mMode = mode; }
    // When on, hovering a colour in the palette already changes the picker.
    void SetTrackSelection(bool on) { mTrackSelection = on; }
    // Texts of the palette's buttons; empty leaves that button out.
    void SetDefaultText(const QString &text) { mDefaultText = text; }
    void SetCustomText(const QString &text) { mCustomText = text; }

    QSize sizeHint() const override;

  signals:
    void selChange(COLORREF color);
    void dropDown(COLORREF color);
    void closeUp(COLORREF color);
    void selEndOk(COLORREF color);
    void selEndCancel(COLORREF color);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void openPalette();
    void onSelEnd(COLORREF color, bool ok);
    void onSelChange(COLORREF color);
    QRect arrowRect() const;

    bool mActive = false;
    bool mTrackSelection = false;
    COLORREF mBackColor;
    COLORREF mTextColor;
    ColorMode mMode = ColorMode::Background;
    QString mDefaultText = QStringLiteral("None");
    QString mCustomText = QStringLiteral("Custmize...");
    QPointer<CPaletteDropDown> mDropDown;
};
