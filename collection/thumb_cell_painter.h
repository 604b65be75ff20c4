// collection/thumb_cell_painter.h
#pragma once

#include "platform/win_types.h"

#include <QColor>
#include <QIcon>
#include <QRect>
#include <QString>

class CThumbObj;
class QPainter;

// How one browser cell is drawn; works on any QPainter (widget or QImage).
struct ThumbCellLook
{
    QRect icon;        // the picture area
    QRect label;       // the name line below it
    QString name;      // the whole file name
    QString extension; // with its dot, for the label colour
    bool selected = false;
    bool focused = false; // the item has the focus
    bool listHasFocus = false;
    QColor menuColour; // the list's background, which the shadow darkens
};

inline constexpr QRgb kSelectedFocusColour = qRgb(119, 152, 234);
inline constexpr QRgb kSelectedColour = qRgb(100, 100, 100);
inline constexpr QRgb kFrameColour = qRgb(204, 204, 204);
inline constexpr QRgb kEdgeShadowColour = qRgb(128, 128, 128);

// Each of red, green and blue scaled by (255 - amount) / 255, rounded.
QRgb Darken(QRgb colour, int amount);

// A cell whose thumbnail has not arrived: the file's icon centred in the
// picture area and the name below.
void PaintPendingCell(QPainter &painter, const QIcon &fileIcon, const ThumbCellLook &look);
// A cell with its thumbnail: picture, label with its colour and 3-D edge,
// the 3-pixel frame and the soft shadow.
void PaintThumbCell(QPainter &painter, CThumbObj &thumb, const ThumbCellLook &look);

// The frame around the drawn rectangle: a 3-pixel pen on its sides shrunk by 1.
void PaintThumbFrame(QPainter &painter, const RECT &drawn, QColor colour);
// The shadow right of and below the drawn rectangle, 4 pixels wide,
// fading in at its ends.
void PaintSoftShadow(QPainter &painter, const RECT &drawn, QColor base);
// The sunken edge: top and left in topLeft, bottom and right in bottomRight.
void PaintEdge3d(QPainter &painter, const QRect &rect, QColor topLeft, QColor bottomRight);
