// imagelib/metafile/wmf_player.cpp
// The record loop of WMF playback, and the records of state and shapes.
#include "imagelib/metafile/wmf_player.h"
#include "imagelib/metafile/metafile_canvas.h"

#include <algorithm>

using namespace metagdi;

// Sorted by function number; draws marks records that put marks on the
// picture (firstWindow stops at the first of them).
const WmfPlayer::Entry WmfPlayer::kEntries[] = {
    {0x001E, &WmfPlayer::onSaveDc, false},
    {0x00F7, &WmfPlayer::onCreatePalette, false},
    {0x0102, &WmfPlayer::onSetBkMode, false},
    {0x0103, &WmfPlayer::onSetMapMode, false},
    {0x0104, &WmfPlayer::onSetRop2, false},
    {0x0106, &WmfPlayer::onSetPolyFillMode, false},
    {0x0107, &WmfPlayer::onSetStretchMode, false},
    {0x0108, &WmfPlayer::onSetTextCharExtra, false},
    {0x0127, &WmfPlayer::onRestoreDc, false},
    {0x012A, &WmfPlayer::onInvertRegion, true},
    {0x012B, &WmfPlayer::onPaintRegion, true},
    {0x012C, &WmfPlayer::onSelectClipRegion, false},
    {0x012D, &WmfPlayer::onSelectObject, false},
    {0x012E, &WmfPlayer::onSetTextAlign, false},
    {0x0142, &WmfPlayer::onCreateDibPatternBrush, false},
    {0x01F0, &WmfPlayer::onDeleteObject, false},
    {0x01F9, &WmfPlayer::onCreatePatternBrush, false},
    {0x0201, &WmfPlayer::onSetBkColor, false},
    {0x0209, &WmfPlayer::onSetTextColor, false},
    {0x020B, &WmfPlayer::onSetWindowOrg, false},
    {0x020C, &WmfPlayer::onSetWindowExt, false},
    {0x020D, &WmfPlayer::onSetViewportOrg, false},
    {0x020E, &WmfPlayer::onSetViewportExt, false},
    {0x020F, &WmfPlayer::onOffsetWindowOrg, false},
    {0x0211, &WmfPlayer::onOffsetViewportOrg, false},
    {0x0213, &WmfPlayer::onLineTo, true},
    {0x0214, &WmfPlayer::onMoveTo, false},
    {0x0220, &WmfPlayer::onOffsetClipRgn, false},
    {0x0228, &WmfPlayer::onFillRegion, true},
    {0x0234, &WmfPlayer::onSelectPalette, false},
    {0x02FA, &WmfPlayer::onCreatePen, false},
    {0x02FB, &WmfPlayer::onCreateFont, false},
    {0x02FC, &WmfPlayer::onCreateBrush, false},
    {0x0324, &WmfPlayer::onPolygon, true},
    {0x0325, &WmfPlayer::onPolyline, true},
    {0x0410, &WmfPlayer::onScaleWindowExt, false},
    {0x0412, &WmfPlayer::onScaleViewportExt, false},
    {0x0415, &WmfPlayer::onExcludeClipRect, false},
    {0x0416, &WmfPlayer::onIntersectClipRect, false},
    {0x0418, &WmfPlayer::onEllipse, true},
    {0x041B, &WmfPlayer::onRectangle, true},
    {0x041F, &WmfPlayer::onSetPixel, true},
    {0x0429, &WmfPlayer::onFrameRegion, true},
    {0x0521, &WmfPlayer::onTextOut, true},
    {0x0538, &WmfPlayer::onPolyPolygon, true},
    {0x061C, &WmfPlayer::onRoundRect, true},
    {0x061D, &WmfPlayer::onPatBlt, true},
    {0x06FF, &WmfPlayer::onCreateRegion, false},
    {0x0817, &WmfPlayer::onArc, true},
    {0x081A, &WmfPlayer::onPie, true},
    {0x0830, &WmfPlayer::onChord, true},
    {0x0922, &WmfPlayer::onBitBlt, true},
    {0x0940, &WmfPlayer::onDibBitBlt, true},
    {0x0A32, &WmfPlayer::onExtTextOut, true},
    {0x0B23, &WmfPlayer::onStretchBlt, true},
    {0x0B41, &WmfPlayer::onDibStretchBlt, true},
    {0x0D33, &WmfPlayer::onSetDibToDev, true},
    {0x0F43, &WmfPlayer::onStretchDib, true},
};

namespace {

constexpr std::uint16_t kEndRecord = 0x0000;
constexpr std::uint16_t kSetWindowOrg = 0x020B;
constexpr std::uint16_t kSetWindowExt = 0x020C;
// Records between two calls of the tick.
constexpr std::uint64_t kTickEvery = 256;

// One record: its size in 16-bit words (header included) and function.
struct RecordHead
{
    std::uint64_t bytes = 0;
    std::uint16_t function = 0;
};

// False at the end of the records: the end record, the end of the bytes,
// or a size that is too small or runs past the end.
bool readHead(const MetaBytes &file, std::size_t at, RecordHead &head)
{
    if (!file.has(at, 6))
        return false;
    head.bytes = std::uint64_t(file.u32(at)) * 2;
    head.function = file.u16(at + 4);
    return head.function != kEndRecord && head.bytes >= 6 && file.has(at, head.bytes);
}

} // namespace

const WmfPlayer::Entry *WmfPlayer::find(std::uint16_t function)
{
    const auto end = std::end(kEntries);
    const auto it = std::lower_bound(std::begin(kEntries), end, function,
                                     [](const Entry &e, std::uint16_t f) { return e.function < f; });
    return it != end && it->function == function ? it : nullptr;
}

bool WmfPlayer::play(const MetaBytes &file, std::size_t start, const Tick &tick)
{
    RecordHead head;
    std::uint64_t count = 0;
    for (std::size_t at = start; readHead(file, at, head); at += std::size_t(head.bytes)) {
        if (++count > kMaxRecords || mCanvas.exhausted())
            break;
        if (count % kTickEvery == 0 && !tick(int(100.0 * double(at) / double(file.size()))))
            return false;
        mCanvas.charge(1);
        const Entry *entry = find(head.function);
        if (!entry)
            continue;
        try {
            (this->*entry->handler)(file.sub(at + 6, head.bytes - 6));
        } catch (const MetaShortRecord &) {
            // The record claims more than it holds; it is skipped.
        }
    }
    return true;
}

std::optional<QRectF> WmfPlayer::firstWindow(const MetaBytes &file, std::size_t start)
{
    RecordHead head;
    std::optional<QPointF> org;
    std::optional<QSizeF> ext;
    for (std::size_t at = start; readHead(file, at, head); at += std::size_t(head.bytes)) {
        const Entry *entry = find(head.function);
        if (entry && entry->draws)
            break;
        const MetaBytes p = file.sub(at + 6, head.bytes - 6);
        if (head.function == kSetWindowOrg && p.has(0, 4))
            org = pointAt(p, 0);
        else if (head.function == kSetWindowExt && p.has(0, 4))
            ext = QSizeF(p.i16(2), p.i16(0));
    }
    if (!ext || ext->width() == 0 || ext->height() == 0)
        return std::nullopt;
    return QRectF(org.value_or(QPointF()), *ext).normalized();
}

QPointF WmfPlayer::pointAt(const MetaBytes &p, std::uint64_t at)
{
    return QPointF(p.i16(at + 2), p.i16(at));
}

QRectF WmfPlayer::rectAt(const MetaBytes &p, std::uint64_t at)
{
    const double bottom = p.i16(at);
    const double right = p.i16(at + 2);
    const double top = p.i16(at + 4);
    const double left = p.i16(at + 6);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// Points stored as x, y pairs (unlike single points).
QPolygonF WmfPlayer::pointsAt(const MetaBytes &p, std::uint64_t at, std::uint32_t count)
{
    p.need(at, std::uint64_t(count) * 4);
    QPolygonF points;
    points.reserve(qsizetype(count));
    for (std::uint32_t i = 0; i < count; ++i)
        points.append(QPointF(p.i16(at + 4 * i), p.i16(at + 4 * i + 2)));
    return points;
}

void WmfPlayer::onSetBkColor(const MetaBytes &p)
{
    state().bkColor = colour(p.u32(0));
}

void WmfPlayer::onSetTextColor(const MetaBytes &p)
{
    state().textColor = colour(p.u32(0));
}

void WmfPlayer::onSetBkMode(const MetaBytes &p)
{
    state().bkMode = p.u16(0);
}

void WmfPlayer::onSetMapMode(const MetaBytes &p)
{
    state().mapping.setMapMode(p.u16(0));
}

void WmfPlayer::onSetRop2(const MetaBytes &p)
{
    state().rop2 = p.u16(0);
}

void WmfPlayer::onSetPolyFillMode(const MetaBytes &p)
{
    state().polyFillMode = p.u16(0);
}

void WmfPlayer::onSetStretchMode(const MetaBytes &p)
{
    state().stretchMode = p.u16(0);
}

void WmfPlayer::onSetTextAlign(const MetaBytes &p)
{
    state().textAlign = p.u16(0);
}

void WmfPlayer::onSetTextCharExtra(const MetaBytes &p)
{
    state().charExtra = p.i16(0);
}

void WmfPlayer::onSetWindowOrg(const MetaBytes &p)
{
    state().mapping.setWindowOrg(pointAt(p, 0));
}

void WmfPlayer::onSetWindowExt(const MetaBytes &p)
{
    state().mapping.setWindowExt(QSizeF(p.i16(2), p.i16(0)));
}

void WmfPlayer::onSetViewportOrg(const MetaBytes &p)
{
    state().mapping.setViewportOrg(pointAt(p, 0));
}

void WmfPlayer::onSetViewportExt(const MetaBytes &p)
{
    state().mapping.setViewportExt(QSizeF(p.i16(2), p.i16(0)));
}

void WmfPlayer::onOffsetWindowOrg(const MetaBytes &p)
{
    MetaMapping &m = state().mapping;
    m.setWindowOrg(m.windowOrg() + pointAt(p, 0));
}

void WmfPlayer::onOffsetViewportOrg(const MetaBytes &p)
{
    MetaMapping &m = state().mapping;
    m.setViewportOrg(m.viewportOrg() + pointAt(p, 0));
}

// Stored as y denominator, y numerator, x denominator, x numerator.
void WmfPlayer::onScaleWindowExt(const MetaBytes &p)
{
    state().mapping.scaleWindowExt(p.i16(6), p.i16(4), p.i16(2), p.i16(0));
}

void WmfPlayer::onScaleViewportExt(const MetaBytes &p)
{
    state().mapping.scaleViewportExt(p.i16(6), p.i16(4), p.i16(2), p.i16(0));
}

void WmfPlayer::onSaveDc(const MetaBytes &)
{
    saveDc();
}

void WmfPlayer::onRestoreDc(const MetaBytes &p)
{
    restoreDc(p.i16(0));
}

void WmfPlayer::onIntersectClipRect(const MetaBytes &p)
{
    intersectClipRect(rectAt(p, 0));
}

void WmfPlayer::onExcludeClipRect(const MetaBytes &p)
{
    excludeClipRect(rectAt(p, 0));
}

void WmfPlayer::onOffsetClipRgn(const MetaBytes &p)
{
    offsetClip(pointAt(p, 0));
}

void WmfPlayer::onMoveTo(const MetaBytes &p)
{
    moveTo(pointAt(p, 0));
}

void WmfPlayer::onLineTo(const MetaBytes &p)
{
    lineTo(pointAt(p, 0));
}

void WmfPlayer::onPolyline(const MetaBytes &p)
{
    polyline(pointsAt(p, 2, p.u16(0)));
}

void WmfPlayer::onPolygon(const MetaBytes &p)
{
    polygon(pointsAt(p, 2, p.u16(0)));
}

// A count of polygons, the point count of each, then all the points.
void WmfPlayer::onPolyPolygon(const MetaBytes &p)
{
    const std::uint32_t n = p.u16(0);
    std::uint64_t at = 2 + 2 * std::uint64_t(n);
    p.need(0, at);
    std::vector<QPolygonF> polygons;
    polygons.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t count = p.u16(2 + 2 * i);
        polygons.push_back(pointsAt(p, at, count));
        at += 4 * std::uint64_t(count);
    }
    polyPolygon(polygons);
}

void WmfPlayer::onRectangle(const MetaBytes &p)
{
    rectangle(rectAt(p, 0));
}

void WmfPlayer::onRoundRect(const MetaBytes &p)
{
    roundRect(rectAt(p, 4), QSizeF(p.i16(2), p.i16(0)));
}

void WmfPlayer::onEllipse(const MetaBytes &p)
{
    ellipse(rectAt(p, 0));
}

// End point, start point, then the bounding rectangle.
void WmfPlayer::arcRecord(const MetaBytes &p, ArcKind kind)
{
    arc(kind, rectAt(p, 8), pointAt(p, 4), pointAt(p, 0));
}

void WmfPlayer::onArc(const MetaBytes &p)
{
    arcRecord(p, ArcKind::Arc);
}

void WmfPlayer::onPie(const MetaBytes &p)
{
    arcRecord(p, ArcKind::Pie);
}

void WmfPlayer::onChord(const MetaBytes &p)
{
    arcRecord(p, ArcKind::Chord);
}

void WmfPlayer::onSetPixel(const MetaBytes &p)
{
    setPixel(pointAt(p, 4), colour(p.u32(0)));
}
