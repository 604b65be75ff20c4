// platform/checkerboard.cpp
#include "platform/checkerboard.h"

#include <QPainter>
#include <QRect>

#include <algorithm>

void PaintCheckerboard(QPainter &painter, const QRect &area, int cell)
{
    cell = std::max(cell, 1);
    // One tile of two squares by two, repeated by the brush: the cost does
    // not grow with the number of squares.
    QImage tile(2 * cell, 2 * cell, QImage::Format_RGB32);
    tile.fill(kCheckerLight);
    {
        QPainter tilePainter(&tile);
        tilePainter.fillRect(cell, 0, cell, cell, QColor::fromRgb(kCheckerDark));
        tilePainter.fillRect(0, cell, cell, cell, QColor::fromRgb(kCheckerDark));
    }
    painter.save();
    painter.setBrushOrigin(0, 0);
    painter.fillRect(area, QBrush(tile));
    painter.restore();
}

QImage OverCheckerboard(const QImage &image, int cell)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    // Painted at a ratio of 1, so that squares and picture are counted in
    // pixels; the image's own ratio is put back on the result.
    QImage plain = image;
    plain.setDevicePixelRatio(1.0);
    {
        QPainter painter(&out);
        PaintCheckerboard(painter, QRect(0, 0, image.width(), image.height()), cell);
        painter.drawImage(0, 0, plain);
    }
    out.setDevicePixelRatio(image.devicePixelRatio());
    return out;
}
