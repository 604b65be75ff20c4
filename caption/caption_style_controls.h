// caption/caption_style_controls.h
#pragma once

#include "caption/caption_settings.h"

#include <QWidget>

#include <functional>

class CColorPicker;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The "Style" tab of the Batch Settings page: the controls of a caption's
// CaptionStyle beyond the plain box (word wrap, fit to box, padding, text
// effect with its colour and size, background opacity, logo with its
// opacity). It edits a copy of the style: ShowStyle fills the controls
// without signalling, and every user change emits styleEdited with the
// whole new style; a continuous change (a spin box, typing a number)
// arrives as several signals with merge true. Object names: "wordWrap",
// "fitToBox", "padding", "effect", "effectColor", "effectSize",
// "backOpacity", "logo", "clearLogo", "logoOpacity". The logo chooser can be
// replaced for tests (SetLogoChooser). UI thread only.
class CCaptionStyleControls : public QWidget
{
    Q_OBJECT
  public:
    explicit CCaptionStyleControls(QWidget *parent = nullptr);

    void ShowStyle(const CaptionStyle &style);
    const CaptionStyle &Style() const { return mStyle; }
    // Asks for a logo file; an empty answer keeps the logo. The default
    // opens a file dialog for PNG and SVG files.
    void SetLogoChooser(std::function<QString(QWidget *)> chooser);

  signals:
    void styleEdited(const CaptionStyle &style, bool merge);

  private:
    void edited(bool merge);
    void showLogoName();

    CaptionStyle mStyle;
    std::function<QString(QWidget *)> mChooseLogo;
    QCheckBox *mWordWrap = nullptr;
    QCheckBox *mFitToBox = nullptr;
    QDoubleSpinBox *mPadding = nullptr;
    QComboBox *mEffect = nullptr;
    CColorPicker *mEffectColor = nullptr;
    QDoubleSpinBox *mEffectSize = nullptr;
    QSpinBox *mBackOpacity = nullptr;
    QPushButton *mLogo = nullptr;
    QPushButton *mClearLogo = nullptr;
    QLabel *mLogoName = nullptr;
    QSpinBox *mLogoOpacity = nullptr;
};
