// platform/text_draw.cpp
#include "platform/text_draw.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Coordinates are kept within this range before they reach QRect, whose
// width must fit an int; anything beyond is far outside every picture.
constexpr std::int64_t kCoordLimit = std::int64_t(1) << 29;

struct Box
{
    std::int64_t left, top, right, bottom;
};

struct PlacedLine
{
    QString text;
    std::int64_t x;
    std::int64_t top;
    int width;
};

Box normalised(const RECT &r)
{
    return {std::min<std::int64_t>(r.left, r.right), std::min<std::int64_t>(r.top, r.bottom),
            std::max<std::int64_t>(r.left, r.right), std::max<std::int64_t>(r.top, r.bottom)};
}

std::int64_t clampCoord(std::int64_t v)
{
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

QRect toQRect(const Box &b)
{
    const std::int64_t l = clampCoord(b.left), t = clampCoord(b.top);
    const std::int64_t r = clampCoord(b.right), bo = clampCoord(b.bottom);
    return QRect(int(l), int(t), int(r - l), int(bo - t));
}

// Where each visible line goes: top-aligned, one cell apart, aligned on its own.
std::vector<PlacedLine> placeLines(const QFontMetrics &fm, const QString &text, const Box &box,
                                   unsigned format)
{
    std::vector<PlacedLine> placed;
    const int cell = fm.ascent() + fm.descent();
    std::int64_t top = box.top;
    for (const QString &line : SplitTextLines(text)) {
        if (top >= box.bottom)
            break;
        const int width = fm.horizontalAdvance(line);
        std::int64_t x = box.left;
        if (format & DT_CENTER)
            x = box.left + (box.right - box.left - width) / 2;
        else if (format & DT_RIGHT)
            x = box.right - width;
        if (!line.isEmpty())
            placed.push_back({line, x, top, width});
        top += cell;
    }
    return placed;
}

} // namespace

QStringList SplitTextLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        line.remove(QLatin1Char('\r'));
    }
    return lines;
}

void DrawText(QPainter &painter, const QString &text, const RECT &rect, unsigned format)
{
    const Box box = normalised(rect);
    if (box.left == box.right || box.top == box.bottom || text.isEmpty())
        return;
    const QFontMetrics fm(painter.font());
    const std::vector<PlacedLine> lines = placeLines(fm, text, box, format);
    if (lines.empty())
        return;
    painter.save();
    painter.setClipRect(toQRect(box), Qt::IntersectClip);
    for (const PlacedLine &line : lines) {
        const QPointF baseline(qreal(clampCoord(line.x)), qreal(clampCoord(line.top + fm.ascent())));
        painter.drawText(baseline, line.text);
    }
    painter.restore();
}

RECT DrawTextExtent(const QFont &font, const QString &text, const RECT &rect, unsigned format)
{
    const Box box = normalised(rect);
    RECT none{0, 0, 0, 0};
    if (box.left == box.right || box.top == box.bottom || text.isEmpty())
        return none;
    const QFontMetrics fm(font);
    const std::vector<PlacedLine> lines = placeLines(fm, text, box, format);
    if (lines.empty())
        return none;
    const std::int64_t margin = fm.ascent() + fm.descent();
    Box ext{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const PlacedLine &line : lines) {
        ext.left = std::min(ext.left, line.x - margin);
        ext.right = std::max(ext.right, line.x + line.width + margin);
        ext.top = std::min(ext.top, line.top - margin);
        ext.bottom = std::max(ext.bottom, line.top + 2 * margin);
    }
    ext = {std::max(ext.left, box.left), std::max(ext.top, box.top), std::min(ext.right, box.right),
           std::min(ext.bottom, box.bottom)};
    if (ext.left >= ext.right || ext.top >= ext.bottom)
        return none;
    return RECT{std::int32_t(ext.left), std::int32_t(ext.top), std::int32_t(ext.right),
                std::int32_t(ext.bottom)};
}
