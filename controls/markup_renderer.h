// controls/markup_renderer.h
#pragma once

#include "controls/markup_reader.h"

#include <QColor>
#include <QFont>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

class QPainter;

constexpr int kMarkupColorCount = 26;
// Colours of the markup are written as 0xRRGGBB, the order they are read in
// ("<ct=0x0000FF>" is blue), in tags and in the colour table alike.
using MarkupColorTable = std::array<std::uint32_t, kMarkupColorCount>;

// Colour-table entries the renderer uses when a tag names none.
constexpr int kMarkupTextColor = 17;
constexpr int kMarkupBackColor = 18;

// A markup colour value (0xRRGGBB) as a colour.
QColor colorFromValue(std::uint32_t value);

// Lays a markup text out with one routine run twice: measuring records each
// line's width and the tip's size, drawing then places centred and
// right-aligned lines by those widths. No widget; draws on any QPainter.
class MarkupRenderer
{
  public:
    MarkupRenderer(const QString &markup, const QFont &font, const MarkupColorTable &colors);

    // The size of the laid-out text: the widest line by all lines' advance.
    QSize size() const { return mSize; }
    // Draws the text with its top-left corner at origin.
    void draw(QPainter &painter, QPoint origin) const;

  private:
    friend class MarkupLayoutRun;

    void measure();

    std::vector<MarkupItem> mItems;
    QFont mFont;
    MarkupColorTable mColors;
    std::vector<int> mLineWidths;  // text width of each line as measured
    std::vector<int> mLinePercent; // percent rules on each line, grown once the widest is known
    QSize mSize;
};
