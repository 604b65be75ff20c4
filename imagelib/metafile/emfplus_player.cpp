// imagelib/metafile/emfplus_player.cpp
// The record loop of EMF+ playback, its coordinates, and the drawing records.
#include "imagelib/metafile/emfplus_player.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_cut.h"

#include <algorithm>
#include <cmath>

// Sorted by record type.
const EmfPlusPlayer::Entry EmfPlusPlayer::kEntries[] = {
    {0x4001, &EmfPlusPlayer::onHeader},
    {0x4008, &EmfPlusPlayer::onObject},
    {0x4009, &EmfPlusPlayer::onClear},
    {0x400A, &EmfPlusPlayer::onFillRects},
    {0x400B, &EmfPlusPlayer::onDrawRects},
    {0x400C, &EmfPlusPlayer::onFillPolygon},
    {0x400D, &EmfPlusPlayer::onDrawLines},
    {0x400E, &EmfPlusPlayer::onFillEllipse},
    {0x400F, &EmfPlusPlayer::onDrawEllipse},
    {0x4010, &EmfPlusPlayer::onFillPie},
    {0x4011, &EmfPlusPlayer::onDrawPie},
    {0x4012, &EmfPlusPlayer::onDrawArc},
    {0x4014, &EmfPlusPlayer::onFillPath},
    {0x4015, &EmfPlusPlayer::onDrawPath},
    {0x4016, &EmfPlusPlayer::onFillClosedCurve},
    {0x4017, &EmfPlusPlayer::onDrawClosedCurve},
    {0x4018, &EmfPlusPlayer::onDrawCurve},
    {0x4019, &EmfPlusPlayer::onDrawBeziers},
    {0x401A, &EmfPlusPlayer::onDrawImage},
    {0x401B, &EmfPlusPlayer::onDrawImagePoints},
    {0x401C, &EmfPlusPlayer::onDrawString},
    {0x4025, &EmfPlusPlayer::onSave},
    {0x4026, &EmfPlusPlayer::onRestore},
    {0x4027, &EmfPlusPlayer::onBeginContainer},
    {0x4028, &EmfPlusPlayer::onSave},
    {0x4029, &EmfPlusPlayer::onRestore},
    {0x402A, &EmfPlusPlayer::onSetWorldTransform},
    {0x402B, &EmfPlusPlayer::onResetWorldTransform},
    {0x402C, &EmfPlusPlayer::onMultiplyWorldTransform},
    {0x402D, &EmfPlusPlayer::onTranslateWorldTransform},
    {0x402E, &EmfPlusPlayer::onScaleWorldTransform},
    {0x402F, &EmfPlusPlayer::onRotateWorldTransform},
    {0x4030, &EmfPlusPlayer::onSetPageTransform},
    {0x4031, &EmfPlusPlayer::onResetClip},
    {0x4032, &EmfPlusPlayer::onSetClipRect},
    {0x4033, &EmfPlusPlayer::onSetClipPath},
    {0x4035, &EmfPlusPlayer::onOffsetClip},
    {0x4036, &EmfPlusPlayer::onDrawDriverString},
};

namespace {

constexpr std::uint16_t kHeader = 0x4001;
constexpr std::uint16_t kDualFlag = 0x0001;
constexpr std::uint16_t kCompressedFlag = 0x4000; // C: 16-bit integer coordinates
constexpr std::uint16_t kRelativeFlag = 0x0800;   // P: relative points of 7 or 15 bits
constexpr std::uint16_t kClosedFlag = 0x2000;     // L: lines back to the start
constexpr std::uint16_t kWindingFlag = 0x2000;    // W: winding fill
constexpr double kMaxPenWidth = 1 << 14;

// Device units per page unit: world, display, pixel, point, inch,
// document (1/300 inch), millimetre.
double unitPerInch(std::uint32_t unit)
{
    switch (unit) {
    case 3: return 72;
    case 4: return 1;
    case 5: return 300;
    case 6: return 25.4;
    default: return 0; // pixels
    }
}

QPointF clamped(QPointF p)
{
    const double limit = MetaCanvas::kCoordLimit;
    const auto c = [limit](double v) { return std::isfinite(v) ? std::clamp(v, -limit, limit) : 0.0; };
    return QPointF(c(p.x()), c(p.y()));
}

bool finiteTransform(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

QPainterPath mapped(const QPainterPath &world, const QTransform &t)
{
    if (!finiteTransform(t))
        return QPainterPath();
    QPainterPath out = t.map(world);
    for (int i = 0; i < out.elementCount(); ++i) {
        const QPointF p = clamped(out.elementAt(i));
        out.setElementPositionAt(i, p.x(), p.y());
    }
    return out;
}

// A relative coordinate: 7 bits signed in one byte, or 15 bits in two
// (most significant first) when the first byte's top bit is set.
double relativeAt(const MetaBytes &d, std::uint64_t &at)
{
    const std::uint8_t b = d.u8(at++);
    if (!(b & 0x80))
        return (b & 0x40) ? int(b) - 0x80 : int(b);
    const int v = ((b & 0x7F) << 8) | d.u8(at++);
    return (v & 0x4000) ? v - 0x8000 : v;
}

// A cardinal spline through the points as Bezier segments; tension 0 makes
// straight lines.
QPainterPath cardinal(const QPolygonF &p, double tension, bool closed, std::uint32_t first,
                      std::uint32_t segments)
{
    const qsizetype n = p.size();
    QPainterPath path;
    if (n < 2 || !std::isfinite(tension))
        return path;
    const auto point = [&](qsizetype i) {
        return closed ? p[(i % n + n) % n] : p[std::clamp<qsizetype>(i, 0, n - 1)];
    };
    const double k = tension / 3;
    const qsizetype last = closed ? n : std::min<qsizetype>(n - 1, qsizetype(first) + segments);
    path.moveTo(point(first));
    for (qsizetype i = first; i < last; ++i)
        path.cubicTo(point(i) + k * (point(i + 1) - point(i - 1)),
                     point(i + 1) - k * (point(i + 2) - point(i)), point(i + 1));
    if (closed)
        path.closeSubpath();
    return path;
}

} // namespace

EmfPlusPlayer::EmfPlusPlayer(MetaCanvas &canvas, const QTransform &deviceToPicture, bool plainDrawing)
    : mCanvas(canvas)
    , mDeviceToPicture(deviceToPicture)
    , mPlainDrawing(plainDrawing)
    , mObjects(64)
{
}

void EmfPlusPlayer::play(const MetaBytes &records)
{
    std::uint64_t at = 0;
    while (records.has(at, 12) && !mCanvas.exhausted()) {
        const std::uint16_t type = records.u16(at);
        const std::uint16_t flags = records.u16(at + 2);
        const std::uint64_t size = records.u32(at + 4);
        const std::uint64_t dataSize = records.u32(at + 8);
        if (size < 12 || !records.has(at, size) || dataSize > size - 12)
            return;
        mCanvas.charge(1);
        const auto end = std::end(kEntries);
        const auto it = std::lower_bound(std::begin(kEntries), end, type,
                                         [](const Entry &e, std::uint16_t t) { return e.type < t; });
        if (it != end && it->type == type && (mEnabled || type == kHeader)) {
            try {
                (this->*it->handler)(flags, records.sub(at + 12, dataSize));
            } catch (const MetaShortRecord &) {
                // The record claims more than it holds; it is skipped.
            }
        }
        at += size;
    }
}

void EmfPlusPlayer::onHeader(std::uint16_t flags, const MetaBytes &d)
{
    mEnabled = !(flags & kDualFlag) || !mPlainDrawing;
    const double dpiX = d.u32(8);
    const double dpiY = d.u32(12);
    if (dpiX > 0 && dpiY > 0) {
        mDpiX = dpiX;
        mDpiY = dpiY;
    }
}

// World units to picture pixels: the world transform, the page unit and
// scale (to device pixels at the header's resolution), then the frame.
QTransform EmfPlusPlayer::toPicture() const
{
    const double perInch = unitPerInch(mState.pageUnit);
    const double sx = mState.pageScale * (perInch > 0 ? mDpiX / perInch : 1);
    const double sy = mState.pageScale * (perInch > 0 ? mDpiY / perInch : 1);
    return mState.world * QTransform::fromScale(sx, sy) * mDeviceToPicture;
}

// World units per unit of a font or pen size.
double EmfPlusPlayer::unitToWorld(std::uint32_t unit) const
{
    const double perInch = unitPerInch(unit);
    if (perInch == 0)
        return 1;
    const QTransform t = mState.world * QTransform::fromScale(mState.pageScale, mState.pageScale);
    const double worldPerPixel = 1 / std::max(1e-9, std::hypot(t.m11(), t.m12()));
    return mDpiX / perInch * worldPerPixel;
}

QPolygonF EmfPlusPlayer::pointsAt(const MetaBytes &d, std::uint64_t at, std::uint32_t count,
                                  std::uint16_t flags)
{
    QPolygonF points;
    if (flags & kRelativeFlag) {
        d.need(at, 2 * std::uint64_t(count));
        QPointF p;
        for (std::uint32_t i = 0; i < count; ++i) {
            const double x = relativeAt(d, at);
            p += QPointF(x, relativeAt(d, at));
            points.append(p);
        }
        return points;
    }
    const bool compressed = flags & kCompressedFlag;
    const std::uint64_t step = compressed ? 4 : 8;
    d.need(at, step * count);
    points.reserve(qsizetype(count));
    for (std::uint32_t i = 0; i < count; ++i, at += step)
        points.append(compressed ? QPointF(d.i16(at), d.i16(at + 2)) : QPointF(d.f32(at), d.f32(at + 4)));
    return points;
}

QRectF EmfPlusPlayer::rectAt(const MetaBytes &d, std::uint64_t at, bool compressed)
{
    if (compressed)
        return QRectF(d.i16(at), d.i16(at + 2), d.i16(at + 4), d.i16(at + 6));
    return QRectF(d.f32(at), d.f32(at + 4), d.f32(at + 8), d.f32(at + 12));
}

MetaDcState EmfPlusPlayer::clipState() const
{
    MetaDcState s;
    s.clipped = mState.clipped;
    s.clip = mState.clip;
    s.clipSerial = mState.clipSerial;
    return s;
}

void EmfPlusPlayer::fill(const QPainterPath &world, const QBrush &brushIn)
{
    if (brushIn.style() == Qt::NoBrush)
        return;
    const QTransform t = toPicture();
    const QPainterPath path = mapped(world, t);
    QPainter *painter = mCanvas.begin(path.controlPointRect(), clipState(), path.elementCount());
    if (!painter)
        return;
    QBrush brush = brushIn;
    if (brush.gradient())
        brush.setTransform(t);
    drawWithin(*painter, path, Qt::NoPen, brush, mCanvas.reach(0));
}

void EmfPlusPlayer::stroke(const QPainterPath &world, const PlusPen &p)
{
    const QTransform t = toPicture();
    const QPainterPath path = mapped(world, t);
    double width = p.width > 0 ? p.width * std::hypot(t.m11(), t.m12()) : 1;
    width = std::isfinite(width) ? std::clamp(width, 1.0, kMaxPenWidth) : 1;
    QPen pen(p.brush, width, p.style, p.cap, p.join);
    pen.setMiterLimit(std::clamp(p.miterLimit, 1.0, 100.0));
    if (p.style == Qt::CustomDashLine && !p.dashes.isEmpty())
        pen.setDashPattern(p.dashes);
    const double margin = width * std::max(1.0, pen.miterLimit() / 2);
    const QRectF bounds = path.controlPointRect().adjusted(-margin, -margin, margin, margin);
    QPainter *painter = mCanvas.begin(bounds, clipState(), path.elementCount());
    if (!painter)
        return;
    drawWithin(*painter, path, pen, Qt::NoBrush, mCanvas.reach(margin));
}

void EmfPlusPlayer::onClear(std::uint16_t, const MetaBytes &d)
{
    QPainter *painter = mCanvas.begin(mCanvas.rect(), clipState());
    if (painter)
        painter->fillRect(mCanvas.rect(), QColor::fromRgba(d.u32(0)));
}

// Brush, count, then rectangles.
void EmfPlusPlayer::onFillRects(std::uint16_t flags, const MetaBytes &d)
{
    const std::uint32_t count = d.u32(4);
    const std::uint64_t step = (flags & kCompressedFlag) ? 8 : 16;
    d.need(8, step * count);
    QPainterPath path;
    for (std::uint32_t i = 0; i < count; ++i)
        path.addRect(rectAt(d, 8 + step * i, flags & kCompressedFlag));
    fill(path, brushFor(flags, d.u32(0)));
}

// The pen's object id is in the flags; count, then rectangles.
void EmfPlusPlayer::onDrawRects(std::uint16_t flags, const MetaBytes &d)
{
    const PlusPen *pen = penFor(flags & 0xFF);
    const std::uint32_t count = d.u32(0);
    const std::uint64_t step = (flags & kCompressedFlag) ? 8 : 16;
    d.need(4, step * count);
    if (!pen)
        return;
    QPainterPath path;
    for (std::uint32_t i = 0; i < count; ++i)
        path.addRect(rectAt(d, 4 + step * i, flags & kCompressedFlag));
    stroke(path, *pen);
}

void EmfPlusPlayer::onFillPolygon(std::uint16_t flags, const MetaBytes &d)
{
    QPainterPath path;
    path.addPolygon(pointsAt(d, 8, d.u32(4), flags));
    path.closeSubpath();
    fill(path, brushFor(flags, d.u32(0)));
}

void EmfPlusPlayer::onDrawLines(std::uint16_t flags, const MetaBytes &d)
{
    const QPolygonF points = pointsAt(d, 4, d.u32(0), flags);
    const PlusPen *pen = penFor(flags & 0xFF);
    if (!pen || points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    if (flags & kClosedFlag)
        path.closeSubpath();
    stroke(path, *pen);
}

void EmfPlusPlayer::onFillEllipse(std::uint16_t flags, const MetaBytes &d)
{
    QPainterPath path;
    path.addEllipse(rectAt(d, 4, flags & kCompressedFlag));
    fill(path, brushFor(flags, d.u32(0)));
}

void EmfPlusPlayer::onDrawEllipse(std::uint16_t flags, const MetaBytes &d)
{
    QPainterPath path;
    path.addEllipse(rectAt(d, 0, flags & kCompressedFlag));
    if (const PlusPen *pen = penFor(flags & 0xFF))
        stroke(path, *pen);
}

// Start and sweep angles (degrees, clockwise on a y-down surface), then the
// ellipse's rectangle.
QPainterPath EmfPlusPlayer::piePath(const MetaBytes &d, std::uint16_t flags, bool pie, bool closed) const
{
    const double start = d.f32(0);
    const double sweep = std::clamp(double(d.f32(4)), -360.0, 360.0);
    const QRectF box = rectAt(d, 8, flags & kCompressedFlag);
    QPainterPath path;
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return path;
    if (pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, -start);
    path.arcTo(box, -start, -sweep);
    if (closed)
        path.closeSubpath();
    return path;
}

void EmfPlusPlayer::onFillPie(std::uint16_t flags, const MetaBytes &d)
{
    fill(piePath(d.tail(4), flags, true, true), brushFor(flags, d.u32(0)));
}

void EmfPlusPlayer::onDrawPie(std::uint16_t flags, const MetaBytes &d)
{
    if (const PlusPen *pen = penFor(flags & 0xFF))
        stroke(piePath(d, flags, true, true), *pen);
}

void EmfPlusPlayer::onDrawArc(std::uint16_t flags, const MetaBytes &d)
{
    if (const PlusPen *pen = penFor(flags & 0xFF))
        stroke(piePath(d, flags, false, false), *pen);
}

void EmfPlusPlayer::onFillPath(std::uint16_t flags, const MetaBytes &d)
{
    const PlusObject *obj = object(flags & 0xFF);
    if (const auto *path = obj ? std::get_if<QPainterPath>(obj) : nullptr)
        fill(*path, brushFor(flags, d.u32(0)));
}

void EmfPlusPlayer::onDrawPath(std::uint16_t flags, const MetaBytes &d)
{
    const PlusObject *obj = object(flags & 0xFF);
    const auto *path = obj ? std::get_if<QPainterPath>(obj) : nullptr;
    const PlusPen *pen = penFor(d.u32(0));
    if (path && pen)
        stroke(*path, *pen);
}

// Brush, tension, count, points.
void EmfPlusPlayer::onFillClosedCurve(std::uint16_t flags, const MetaBytes &d)
{
    QPainterPath path = cardinal(pointsAt(d, 12, d.u32(8), flags), d.f32(4), true, 0, 0);
    path.setFillRule((flags & kWindingFlag) ? Qt::WindingFill : Qt::OddEvenFill);
    fill(path, brushFor(flags, d.u32(0)));
}

void EmfPlusPlayer::onDrawClosedCurve(std::uint16_t flags, const MetaBytes &d)
{
    const QPainterPath path = cardinal(pointsAt(d, 8, d.u32(4), flags), d.f32(0), true, 0, 0);
    if (const PlusPen *pen = penFor(flags & 0xFF))
        stroke(path, *pen);
}

// Tension, the first segment drawn, the segment count, count, points.
void EmfPlusPlayer::onDrawCurve(std::uint16_t flags, const MetaBytes &d)
{
    const QPolygonF points = pointsAt(d, 16, d.u32(12), flags);
    const std::uint32_t first = std::min<std::uint32_t>(d.u32(4), std::uint32_t(points.size()));
    const QPainterPath path = cardinal(points, d.f32(0), false, first, d.u32(8));
    if (const PlusPen *pen = penFor(flags & 0xFF))
        stroke(path, *pen);
}

void EmfPlusPlayer::onDrawBeziers(std::uint16_t flags, const MetaBytes &d)
{
    const QPolygonF p = pointsAt(d, 4, d.u32(0), flags);
    const PlusPen *pen = penFor(flags & 0xFF);
    if (!pen || p.size() < 4)
        return;
    QPainterPath path(p[0]);
    for (qsizetype i = 1; i + 2 < p.size(); i += 3)
        path.cubicTo(p[i], p[i + 1], p[i + 2]);
    stroke(path, *pen);
}
