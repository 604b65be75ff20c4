// platform/checkerboard.h
#pragma once

#include <QImage>

class QPainter;
class QRect;

// The checkerboard drawn under the transparent parts of a picture wherever
// one is shown (thumbnails, preview, viewer), so that what a user sees is
// what an export that keeps the transparency will write. Two light greys,
// squares of kCheckerCell pixels, aligned to the painter's origin. Any
// thread; no widget code.
inline constexpr int kCheckerCell = 8;
inline constexpr QRgb kCheckerLight = 0xFFFFFFFF;
inline constexpr QRgb kCheckerDark = 0xFFCCCCCC;

// Fills area with the checkerboard; cell is the side of one square in the
// painter's pixels (the device pixel ratio times kCheckerCell on a screen).
void PaintCheckerboard(QPainter &painter, const QRect &area, int cell = kCheckerCell);

// image laid over the checkerboard, its top left pixel on the corner of a
// light square: an opaque RGB32 image of the same size. An image without an
// alpha channel comes back as it is, so opaque pictures keep every pixel.
QImage OverCheckerboard(const QImage &image, int cell = kCheckerCell);
