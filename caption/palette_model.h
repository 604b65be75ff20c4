// caption/palette_model.h
#pragma once

#include "platform/win_types.h"

#include <QPoint>
#include <QRect>
#include <QSize>

// The colour palette's table, geometry and keyboard walk, apart from the
// window that shows them.

struct PaletteColor
{
    COLORREF color;
    const char *name;
};

constexpr int kPaletteColorCount = 40;
constexpr int kPaletteColumns = 10;
constexpr int kPaletteRows = (kPaletteColorCount + kPaletteColumns - 1) / kPaletteColumns;
constexpr int kPaletteCellSize = 18;

// The 40 named colours in grid order (row by row, 10 to a row).
extern const PaletteColor kPaletteColors[kPaletteColorCount];

// Entries of the palette: 0..39 the cells, and these.
namespace PaletteEntry {
constexpr int None = -1;
constexpr int Custom = -2;  // "Custmize..."
constexpr int Default = -3; // "None": no colour
} // namespace PaletteEntry

// The palette's buttons and cells in client pixels, from the size of the
// larger of the two button texts and the margin (the style's edge width).
class PaletteGeometry
{
  public:
    PaletteGeometry(QSize textSize, int margin, bool hasDefault, bool hasCustom);

    QSize WindowSize() const { return mWindow; }
    QRect DefaultButton() const { return mDefault; } // empty without a default button
    QRect CustomButton() const { return mCustom; }   // empty without a custom button
    QRect Cell(int index) const;
    // The entry under a client point: a button, a cell, or None.
    int EntryAt(QPoint point) const;

  private:
    int mMargin;
    QSize mWindow;
    QRect mDefault;
    QRect mCustom;
};

// Where the palette opens: at the button's bottom-left corner, moved left
// or right to stay on the screen, and above the button when it would pass
// the screen's bottom. All rectangles in screen pixels.
QPoint PlacePalette(QSize window, const QRect &button, const QRect &screen);

// The keyboard walk over the entries; the buttons count only when present.
class PaletteNavigator
{
  public:
    PaletteNavigator(bool hasDefault, bool hasCustom);

    int Down(int current) const;
    int Up(int current) const;
    int Right(int current) const;
    int Left(int current) const;

    // The entry marked as chosen for the colour the picker had on opening:
    // the default button for no colour, else the first cell of exactly that
    // colour, else the custom button, else None.
    int ChosenEntry(COLORREF color) const;

  private:
    int lastCell() const { return kPaletteColorCount - 1; }
    int afterLast() const;   // past the last cell going forward
    int beforeFirst() const; // before the first cell going back

    bool mHasDefault;
    bool mHasCustom;
};
