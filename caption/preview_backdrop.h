// caption/preview_backdrop.h
#pragma once

class QPainter;
class QPalette;
class QRect;
class QString;

// What the Batch Settings preview draws where no picture is: a sunken frame
// on the edge of area (its top and left in the palette's dark colour, its
// bottom and right in the light one) and the grey cross hatch inside it,
// the hatch aligned to the painter's origin.
void PaintPreviewBackdrop(QPainter &painter, const QRect &area, const QPalette &palette);

// A boxed notice in the middle of area (a picture that is loading or cannot
// be shown), its text wrapped to fit.
void PaintPreviewNotice(QPainter &painter, const QRect &area, const QPalette &palette, const QString &text);
