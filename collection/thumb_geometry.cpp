// collection/thumb_geometry.cpp
#include "collection/thumb_geometry.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kCellTopMargin = 2;

int atLeastOne(std::int64_t v)
{
    return int(std::max<std::int64_t>(v, 1));
}

} // namespace

ThumbSize ThumbReducedSize(int width, int height, int limitWidth, int limitHeight)
{
    if (width <= 0 || height <= 0 || (width <= limitWidth && height <= limitHeight))
        return {width, height};
    if (double(limitHeight) / double(limitWidth) >= double(height) / double(width)) {
        const int w = std::min(width, limitWidth);
        return {w, atLeastOne(std::int64_t(height) * w / width)};
    }
    const int h = std::min(height, limitHeight);
    return {atLeastOne(std::int64_t(width) * h / height), h};
}

RECT ThumbDrawRect(int width, int height, const RECT &target)
{
    const int tw = target.right - target.left;
    const int th = target.bottom - target.top;
    const int cx = (target.left + target.right) / 2;
    const int cy = (target.top + target.bottom) / 2;
    if (tw < width || th < height) {
        const float sx = float(tw) / float(width);
        const float sy = float(th) / float(height);
        if (sx <= sy) {
            const int half = int(sx * float(height) / 2.0f);
            return RECT{target.left, cy - half, target.right, cy + half};
        }
        const int half = int(sy * float(width) / 2.0f);
        return RECT{cx - half, target.top, cx + half, target.bottom};
    }
    const int left = cx - width / 2;
    const int top = cy - height / 2;
    return RECT{left, top, left + width, top + height};
}

QSize ThumbGridSize(int textHeight)
{
    const int needed = kCellTopMargin + kIconAreaHeight + ThumbLabelHeight(textHeight) + kCellTopMargin;
    return QSize(kIconSpacingWidth, std::max(kIconSpacingHeight, needed));
}

ThumbCellRects ThumbCellLayout(const QRect &cell, int textHeight)
{
    const QRect icon(cell.x() + (cell.width() - kIconAreaWidth) / 2, cell.y() + kCellTopMargin,
                     kIconAreaWidth, kIconAreaHeight);
    const QRect label(icon.x(), icon.y() + icon.height(), icon.width(), ThumbLabelHeight(textHeight));
    return {icon, label};
}

RECT ThumbTarget(const QRect &icon)
{
    return RECT{icon.x(), icon.y(), icon.x() + icon.width() - 4, icon.y() + icon.height() - 4};
}
