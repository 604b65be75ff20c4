// collection/thumb_cell_painter.cpp
#include "collection/thumb_cell_painter.h"

#include "collection/thumb_geometry.h"
#include "collection/thumb_obj.h"
#include "collection/type_colours.h"

#include <QPainter>

namespace {

constexpr int kIconSize = 32;
constexpr int kShadow = 4;

struct LabelColours
{
    QColor text;
    QColor background;
    QColor frame;
};

LabelColours labelColours(const ThumbCellLook &look)
{
    if (!look.selected)
        return {Qt::black, TypeColour(look.extension), QColor(kFrameColour)};
    if (look.listHasFocus)
        return {Qt::white, QColor(kSelectedFocusColour), QColor(kSelectedFocusColour)};
    return {Qt::black, QColor(kSelectedColour), QColor(kSelectedColour)};
}

void drawName(QPainter &painter, const QRect &rect, const QString &name, const QColor &colour)
{
    const QString shown = painter.fontMetrics().elidedText(name, Qt::ElideRight, rect.width());
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

void drawFocusRect(QPainter &painter, const QRect &rect)
{
    painter.save();
    QPen pen(Qt::black, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void paintLabel(QPainter &painter, const ThumbCellLook &look, const LabelColours &colours)
{
    const QRect label(look.icon.x() + 1, look.label.y(), look.icon.width() - 2, look.label.height());
    painter.fillRect(label, colours.background);
    if (!look.selected && look.focused)
        drawFocusRect(painter, label);
    drawName(painter, label, look.name, colours.text);
    const QRect edge(look.icon.x(), label.y() - 1, look.icon.width(), label.height() + 2);
    PaintEdge3d(painter, edge, QColor(kEdgeShadowColour), Qt::white);
}

void pixel(QPainter &painter, int x, int y, QRgb colour)
{
    painter.fillRect(QRect(x, y, 1, 1), QColor(colour));
}

// Column x of the right-hand shadow, r = 1 (outermost) .. 4.
void shadowColumn(QPainter &painter, const RECT &d, int r, QRgb base)
{
    const int x = d.right + kShadow - r;
    const int height = d.bottom - d.top;
    painter.fillRect(QRect(x, d.top, 1, std::min(4, height)), QColor(base));
    for (int s = 4; s <= 7 && s < height; ++s)
        pixel(painter, x, d.top + s, Darken(base, r * 6 * (s - 3)));
    if (height > 8)
        painter.fillRect(QRect(x, d.top + 8, 1, height - 8), QColor(Darken(base, r * 30)));
    for (int s = std::max(0, height - 4); s < height; ++s)
        pixel(painter, x, d.top + s + 4, Darken(base, r * 6 * (height - s)));
}

// Row y of the shadow below, t = 1 (outermost) .. 4.
void shadowRow(QPainter &painter, const RECT &d, int t, QRgb base)
{
    const int y = d.bottom + kShadow - t;
    const int width = d.right - d.left;
    painter.fillRect(QRect(d.left, y, std::min(4, width), 1), QColor(base));
    for (int r = 4; r <= 7 && r < width; ++r)
        pixel(painter, d.left + r, y, Darken(base, (r * 6 - 18) * t));
    if (width > 8)
        painter.fillRect(QRect(d.left + 8, y, width - 8, 1), QColor(Darken(base, t * 30)));
}

} // namespace

QRgb Darken(QRgb colour, int amount)
{
    const auto scale = [amount](int c) { return (c * (255 - amount) + 127) / 255; };
    return qRgb(scale(qRed(colour)), scale(qGreen(colour)), scale(qBlue(colour)));
}

void PaintPendingCell(QPainter &painter, const QIcon &fileIcon, const ThumbCellLook &look)
{
    const QRect iconRect(look.icon.x() + (look.icon.width() - kIconSize) / 2,
                         look.icon.y() + (look.icon.height() - kIconSize) / 2, kIconSize, kIconSize);
    fileIcon.paint(&painter, iconRect);
    drawName(painter, look.label, look.name, Qt::black);
}

void PaintThumbCell(QPainter &painter, CThumbObj &thumb, const ThumbCellLook &look)
{
    thumb.Draw(painter, ThumbTarget(look.icon));
    const LabelColours colours = labelColours(look);
    paintLabel(painter, look, colours);
    PaintThumbFrame(painter, thumb.DrawnRect(), colours.frame);
    PaintSoftShadow(painter, thumb.DrawnRect(), look.menuColour);
}

void PaintThumbFrame(QPainter &painter, const RECT &d, QColor colour)
{
    if (d.right <= d.left || d.bottom <= d.top)
        return;
    // A 3-pixel pen centred on each side of the rectangle shrunk by 1 covers
    // 3 pixels inside on the left and top and 2 inside plus 1 outside on the
    // right and bottom.
    const int width = d.right - d.left + 1;
    const int height = d.bottom - d.top + 1;
    painter.fillRect(QRect(d.left, d.top, width, 3), colour);
    painter.fillRect(QRect(d.left, d.bottom - 2, width, 3), colour);
    painter.fillRect(QRect(d.left, d.top, 3, height), colour);
    painter.fillRect(QRect(d.right - 2, d.top, 3, height), colour);
}

void PaintSoftShadow(QPainter &painter, const RECT &drawn, QColor base)
{
    if (drawn.right <= drawn.left || drawn.bottom <= drawn.top)
        return;
    const QRgb rgb = base.rgb();
    for (int r = 1; r <= kShadow; ++r)
        shadowColumn(painter, drawn, r, rgb);
    for (int t = 1; t <= kShadow; ++t)
        shadowRow(painter, drawn, t, rgb);
}

void PaintEdge3d(QPainter &painter, const QRect &r, QColor topLeft, QColor bottomRight)
{
    painter.fillRect(QRect(r.x(), r.y(), r.width() - 1, 1), topLeft);
    painter.fillRect(QRect(r.x(), r.y(), 1, r.height() - 1), topLeft);
    painter.fillRect(QRect(r.x() + r.width() - 1, r.y(), 1, r.height()), bottomRight);
    painter.fillRect(QRect(r.x(), r.y() + r.height() - 1, r.width(), 1), bottomRight);
}
