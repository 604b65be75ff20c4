// imagelib/metafile/metafile_region.cpp
#include "imagelib/metafile/metafile_region.h"
#include "imagelib/metafile/metafile_canvas.h"

#include <QImage>
#include <QPainter>

#include <utility>
#include <vector>

namespace {

// Rectangles merged one region with another; more are painted into a mask.
constexpr qsizetype kMaxMergedRects = 1024;

QImage emptyMask(const MetaCanvas &canvas)
{
    QImage mask(canvas.rect().toAlignedRect().size(), QImage::Format_Grayscale8);
    if (!mask.isNull())
        mask.fill(0);
    return mask;
}

// The set pixels of a mask as rows of runs; rows with the same runs make
// one band, so the rectangles come out in the order regions keep them.
QRegion regionFromMask(MetaCanvas &canvas, const QImage &mask)
{
    QList<QRect> rects;
    std::vector<std::pair<int, int>> band, row;
    int bandTop = 0;
    const auto flush = [&](int bottom) {
        for (const auto &[left, right] : band)
            rects.append(QRect(QPoint(left, bandTop), QPoint(right, bottom)));
    };
    for (int y = 0; y <= mask.height(); ++y) {
        row.clear();
        if (y < mask.height()) {
            const uchar *line = mask.constScanLine(y);
            for (int x = 0; x < mask.width();) {
                if (!line[x]) {
                    ++x;
                    continue;
                }
                const int left = x;
                while (x < mask.width() && line[x])
                    ++x;
                row.emplace_back(left, x - 1);
            }
        }
        if (y > 0 && row == band)
            continue;
        flush(y - 1);
        band.swap(row);
        bandTop = y;
    }
    canvas.charge(double(rects.size()));
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

} // namespace

// A few rectangles are merged pairwise, regions of about equal size at each
// step; many are painted into a mask instead, since the union of crossing
// rectangles can hold as many pieces as the square of their number.
QRegion metaRegionFromRects(MetaCanvas &canvas, const QList<QRect> &rects)
{
    const QRect all = canvas.rect().toAlignedRect();
    if (rects.size() > kMaxMergedRects) {
        QImage mask = emptyMask(canvas);
        if (mask.isNull())
            return QRegion();
        QPainter painter(&mask);
        for (const QRect &r : rects) {
            const QRect inside = r.intersected(all);
            canvas.charge(double(inside.width()) * inside.height() + 1);
            if (canvas.exhausted())
                break;
            painter.fillRect(inside, Qt::white);
        }
        painter.end();
        return regionFromMask(canvas, mask);
    }
    QList<QRegion> level;
    level.reserve(rects.size());
    for (const QRect &r : rects)
        if (!r.intersected(all).isEmpty())
            level.append(QRegion(r.intersected(all)));
    while (level.size() > 1) {
        QList<QRegion> next;
        next.reserve((level.size() + 1) / 2);
        for (qsizetype i = 0; i + 1 < level.size(); i += 2) {
            next.append(level[i].united(level[i + 1]));
            canvas.charge(next.back().rectCount());
        }
        if (level.size() % 2)
            next.append(level.back());
        level.swap(next);
    }
    return level.isEmpty() ? QRegion() : level.front();
}

QRegion metaRegionFromPath(MetaCanvas &canvas, const QPainterPath &path)
{
    QImage mask = emptyMask(canvas);
    if (mask.isNull())
        return QRegion();
    canvas.charge(double(mask.width()) * mask.height() + path.elementCount());
    QPainter painter(&mask);
    painter.fillPath(path, Qt::white);
    painter.end();
    return regionFromMask(canvas, mask);
}
