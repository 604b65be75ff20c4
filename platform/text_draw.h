// platform/text_draw.h
#pragma once

#include "platform/win_types.h"

#include <QString>
#include <QStringList>

class QFont;
class QPainter;

// The horizontal alignments of DrawText; the caption's alignment values
// 0, 1 and 2 are these flags.
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;

// The lines DrawText shows: a line ends at CR LF or at LF; a CR that is not
// followed by LF is no break and is not drawn.
QStringList SplitTextLines(const QString &text);

// Draws text with the painter's font and pen colour the way DrawText does
// with one of DT_LEFT, DT_CENTER, DT_RIGHT as the whole format:
//  - lines start at the top of the rectangle, one cell (ascent + descent)
//    apart; there is no word wrapping;
//  - each line is aligned on its own within the rectangle;
//  - everything is clipped to the rectangle (right and bottom exclusive);
//  - an inverted rectangle is taken normalised;
//  - '&' is drawn as it is: no prefix processing.
// Other format bits are ignored. The painter's state is restored on return.
void DrawText(QPainter &painter, const QString &text, const RECT &rect, unsigned format);

// The part of rect that DrawText(text, rect, format) in this font can
// change: the lines' extents with a margin for glyphs that overhang their
// advance (italics, bearings), within the normalised rectangle. Empty when
// nothing would be drawn. Lets a caller copy only that area of a picture.
RECT DrawTextExtent(const QFont &font, const QString &text, const RECT &rect, unsigned format);
