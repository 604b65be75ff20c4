// caption/caption_layout.h
#pragma once

#include "caption/caption_settings.h"
#include "platform/win_types.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QFont;

// Where and in which lines and font a caption's text goes inside its box:
// padding, word wrap and "fit text to box". Pure apart from font metrics
// (needs a QGuiApplication); any thread that may use fonts.
//
// The export lays the text out in the picture's own pixels, and the preview
// uses that very layout (the same lines, the same fitted height, scaled), so
// both break the text at the same places whatever the preview's scale.

struct CaptionLayout
{
    RECT inner{}; // the box minus the padding, normalised; empty when the padding eats it
    LOGFONT font; // the caption's font, with the fitted height when fitToBox
    QString text; // what DrawText draws into inner: lines separated by LF
};

// box (normalised) shrunk by padding on all four sides, the padding rounded
// to whole pixels and taken as 0 when negative; empty (not inverted) when
// the padding leaves nothing.
RECT PaddedBox(const RECT &box, float padding);

// Whether a caption with this style draws exactly as a plain box: none of
// size with the picture, wrap, fit, padding, effect, a see-through back
// colour or a logo is in use.
bool IsPlainStyle(const CaptionStyle &style);

// The lines text takes in font at a line width of width pixels: a line ends
// at CR LF or LF (empty lines are kept); a line wider than width is broken
// at word boundaries, and a word wider than width inside the word (at least
// one character per line however narrow). A line that fits is kept exactly
// as it is; trailing spaces of a broken line are dropped, so alignment sees
// the visible text. width <= 0 breaks nothing.
QStringList WrapTextLines(const QFont &font, const QString &text, std::int64_t width);

// The layout of caption in box (picture pixels; an inverted box is taken
// normalised). style.padding shrinks the box (PaddedBox). Without wrap and fit the text is the
// caption's text unchanged, so a plain caption draws as it always did. With
// fitToBox the font's height (its sign kept; a 0 height becomes a character
// height) is the largest whole number of pixels, at most the inner height,
// at which the lines (wrapped or not) fit the inner box in height and width;
// 1 when none fits. The last layout made on each thread is kept, so a batch
// of pictures of one size lays its caption out once.
CaptionLayout LayoutCaption(const CaptionSettings &caption, const RECT &box);
