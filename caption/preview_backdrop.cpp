// caption/preview_backdrop.cpp
#include "caption/preview_backdrop.h"

#include <QPainter>
#include <QPalette>

namespace {

constexpr QRgb kHatchColor = 0xBFBFBF;

} // namespace

void PaintPreviewBackdrop(QPainter &painter, const QRect &area, const QPalette &palette)
{
    const QRect inside = area.adjusted(1, 1, -1, -1);
    painter.fillRect(inside, Qt::white);
    painter.setBrushOrigin(0, 0);
    painter.fillRect(inside, QBrush(QColor(kHatchColor), Qt::DiagCrossPattern));
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());
}

void PaintPreviewNotice(QPainter &painter, const QRect &area, const QPalette &palette, const QString &text)
{
    const QRect box =
        painter.fontMetrics()
            .boundingRect(area.adjusted(21, 21, -21, -21), Qt::AlignCenter | Qt::TextWordWrap, text)
            .adjusted(-12, -10, 12, 10);
    painter.fillRect(box, palette.color(QPalette::Base));
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(palette.color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, text);
}
