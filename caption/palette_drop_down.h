// caption/palette_drop_down.h
#pragma once

#include "caption/palette_model.h"
#include "platform/win_types.h"

#include <QWidget>

#include <functional>
#include <optional>

// The palette window a colour picker drops down: "None", 40 named colours
// and "Custmize...". It takes the mouse and keyboard while open; a release
// inside chooses the entry under the pointer, a click outside, Escape or
// losing activation cancels. Deletes itself when the choice ends.
class CPaletteDropDown : public QWidget
{
    Q_OBJECT
  public:
    // Opens below button (screen rectangle), or above it near the screen's
    // bottom. An empty text leaves its button out.
    CPaletteDropDown(const QRect &button, COLORREF color, const QString &defaultText,
                     const QString &customText, QWidget *owner);

    int CurrentEntry() const { return mCurrent; }
    int ChosenEntry() const { return mChosen; }
    COLORREF CurrentColor() const { return mCurrentColor; }
    const PaletteGeometry &Geometry() const { return mGeometry; }

    // What "Custmize..." asks: the colour dialog on the initial colour;
    // nothing when it was cancelled. Tests replace it; an empty function
    // restores the dialog.
    using ColorDialogHandler = std::function<std::optional<COLORREF>(COLORREF initial, QWidget *parent)>;
    static void SetColorDialogHandler(ColorDialogHandler handler);

  signals:
    // The hovered or keyboard-selected colour (the initial colour for the
    // custom button, kNoBackColor for "None").
    void selChange(COLORREF color);
    void selEndOk(COLORREF color);
    void selEndCancel(COLORREF color);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;

  private:
    void changeSelection(int entry);
    void endSelection(bool ok);
    void paintEntry(QPainter &painter, int entry, const QRect &rect);
    QRect entryRect(int entry) const;

    COLORREF mInitialColor;
    COLORREF mCurrentColor;
    QString mDefaultText;
    QString mCustomText;
    PaletteGeometry mGeometry;
    PaletteNavigator mNavigator;
    int mCurrent = PaletteEntry::None;
    int mChosen = PaletteEntry::None;
    bool mEnded = false;
};
