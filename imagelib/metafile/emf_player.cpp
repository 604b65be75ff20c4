// imagelib/metafile/emf_player.cpp
// The record loop of EMF playback, and the records of state, shapes and paths.
#include "imagelib/metafile/emf_player.h"
#include "imagelib/metafile/emfplus_player.h"
#include "imagelib/metafile/metafile_canvas.h"

#include <algorithm>
#include <cmath>

using namespace metagdi;

// Sorted by record type.
const EmfPlayer::Entry EmfPlayer::kEntries[] = {
    {2, &EmfPlayer::onPolyBezier},
    {3, &EmfPlayer::onPolygon},
    {4, &EmfPlayer::onPolyline},
    {5, &EmfPlayer::onPolyBezierTo},
    {6, &EmfPlayer::onPolylineTo},
    {7, &EmfPlayer::onPolyPolyline},
    {8, &EmfPlayer::onPolyPolygon},
    {9, &EmfPlayer::onSetWindowExt},
    {10, &EmfPlayer::onSetWindowOrg},
    {11, &EmfPlayer::onSetViewportExt},
    {12, &EmfPlayer::onSetViewportOrg},
    {15, &EmfPlayer::onSetPixel},
    {17, &EmfPlayer::onSetMapMode},
    {18, &EmfPlayer::onSetBkMode},
    {19, &EmfPlayer::onSetPolyFillMode},
    {20, &EmfPlayer::onSetRop2},
    {21, &EmfPlayer::onSetStretchMode},
    {22, &EmfPlayer::onSetTextAlign},
    {24, &EmfPlayer::onSetTextColor},
    {25, &EmfPlayer::onSetBkColor},
    {26, &EmfPlayer::onOffsetClipRgn},
    {27, &EmfPlayer::onMoveTo},
    {29, &EmfPlayer::onExcludeClipRect},
    {30, &EmfPlayer::onIntersectClipRect},
    {31, &EmfPlayer::onScaleViewportExt},
    {32, &EmfPlayer::onScaleWindowExt},
    {33, &EmfPlayer::onSaveDc},
    {34, &EmfPlayer::onRestoreDc},
    {35, &EmfPlayer::onSetWorldTransform},
    {36, &EmfPlayer::onModifyWorldTransform},
    {37, &EmfPlayer::onSelectObject},
    {38, &EmfPlayer::onCreatePen},
    {39, &EmfPlayer::onCreateBrush},
    {40, &EmfPlayer::onDeleteObject},
    {41, &EmfPlayer::onAngleArc},
    {42, &EmfPlayer::onEllipse},
    {43, &EmfPlayer::onRectangle},
    {44, &EmfPlayer::onRoundRect},
    {45, &EmfPlayer::onArc},
    {46, &EmfPlayer::onChord},
    {47, &EmfPlayer::onPie},
    {48, &EmfPlayer::onSelectPalette},
    {49, &EmfPlayer::onCreatePalette},
    {54, &EmfPlayer::onLineTo},
    {55, &EmfPlayer::onArcTo},
    {56, &EmfPlayer::onPolyDraw},
    {57, &EmfPlayer::onSetArcDirection},
    {58, &EmfPlayer::onSetMiterLimit},
    {59, &EmfPlayer::onBeginPath},
    {60, &EmfPlayer::onEndPath},
    {61, &EmfPlayer::onCloseFigure},
    {62, &EmfPlayer::onFillPath},
    {63, &EmfPlayer::onStrokeAndFillPath},
    {64, &EmfPlayer::onStrokePath},
    {66, &EmfPlayer::onWidenPath},
    {67, &EmfPlayer::onSelectClipPath},
    {68, &EmfPlayer::onAbortPath},
    {70, &EmfPlayer::onComment},
    {71, &EmfPlayer::onFillRgn},
    {72, &EmfPlayer::onFrameRgn},
    {73, &EmfPlayer::onInvertRgn},
    {74, &EmfPlayer::onPaintRgn},
    {75, &EmfPlayer::onExtSelectClipRgn},
    {76, &EmfPlayer::onBitBlt},
    {77, &EmfPlayer::onStretchBlt},
    {78, &EmfPlayer::onMaskBlt},
    {80, &EmfPlayer::onSetDiBitsToDevice},
    {81, &EmfPlayer::onStretchDiBits},
    {82, &EmfPlayer::onCreateFont},
    {83, &EmfPlayer::onExtTextOutA},
    {84, &EmfPlayer::onExtTextOutW},
    {85, &EmfPlayer::onPolyBezier16},
    {86, &EmfPlayer::onPolygon16},
    {87, &EmfPlayer::onPolyline16},
    {88, &EmfPlayer::onPolyBezierTo16},
    {89, &EmfPlayer::onPolylineTo16},
    {90, &EmfPlayer::onPolyPolyline16},
    {91, &EmfPlayer::onPolyPolygon16},
    {92, &EmfPlayer::onPolyDraw16},
    {93, &EmfPlayer::onCreateMonoBrush},
    {94, &EmfPlayer::onCreateDibPatternBrush},
    {95, &EmfPlayer::onExtCreatePen},
    {108, &EmfPlayer::onSmallTextOut},
    {114, &EmfPlayer::onAlphaBlend},
    {116, &EmfPlayer::onTransparentBlt},
    {118, &EmfPlayer::onGradientFill},
};

namespace {

constexpr std::uint32_t kEndRecord = 14;
constexpr std::uint32_t kEmfPlusTag = 0x2B464D45; // "EMF+"
constexpr std::uint64_t kTickEvery = 256;

// Record types that put marks on the picture (sorted).
constexpr std::uint32_t kDrawingTypes[] = {
    2,  3,  4,  5,  6,  7,  8,  15, 41, 42, 43, 44, 45, 46, 47, 53, 54, 55, 56, 62, 63,  64,  71,  72,
    73, 74, 76, 77, 78, 79, 80, 81, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 96, 97, 108, 114, 116, 118};

constexpr std::uint32_t MWT_IDENTITY = 1;
constexpr std::uint32_t MWT_LEFTMULTIPLY = 2;
constexpr std::uint32_t MWT_RIGHTMULTIPLY = 3;
constexpr std::uint32_t MWT_SET = 4;

constexpr std::uint8_t PT_CLOSEFIGURE = 0x01;
constexpr std::uint8_t PT_LINETO = 0x02;
constexpr std::uint8_t PT_BEZIERTO = 0x04;
constexpr std::uint8_t PT_MOVETO = 0x06;

// A world transform as the file stores it (eM11, eM12, eM21, eM22, eDx,
// eDy: row vectors times the matrix, as QTransform takes them).
QTransform xformAt(const MetaBytes &r, std::uint64_t at)
{
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16),
                      r.f32(at + 20));
}

bool finiteTransform(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

} // namespace

EmfPlayer::EmfPlayer(MetaCanvas &canvas, const QTransform &deviceToPicture)
    : MetaPlayer(canvas, deviceToPicture)
{
}

EmfPlayer::~EmfPlayer() = default;

const EmfPlayer::Entry *EmfPlayer::find(std::uint32_t type)
{
    const auto end = std::end(kEntries);
    const auto it = std::lower_bound(std::begin(kEntries), end, type,
                                     [](const Entry &e, std::uint32_t t) { return e.type < t; });
    return it != end && it->type == type ? it : nullptr;
}

bool EmfPlayer::hasDrawing(const MetaBytes &file, std::size_t start)
{
    for (std::size_t at = start; file.has(at, 8);) {
        const std::uint32_t type = file.u32(at);
        const std::uint64_t size = file.u32(at + 4);
        if (type == kEndRecord || size < 8 || !file.has(at, size))
            return false;
        if (std::binary_search(std::begin(kDrawingTypes), std::end(kDrawingTypes), type))
            return true;
        at += std::size_t(size);
    }
    return false;
}

bool EmfPlayer::play(const MetaBytes &file, std::size_t start, const Tick &tick)
{
    mPlainDrawing = hasDrawing(file, start);
    std::uint64_t count = 0;
    std::size_t at = start;
    while (file.has(at, 8)) {
        const std::uint32_t type = file.u32(at);
        const std::uint64_t size = file.u32(at + 4);
        // A record smaller than its own header, or running past the end,
        // ends the metafile: nothing after it can be found reliably.
        if (type == kEndRecord || size < 8 || !file.has(at, size))
            break;
        if (++count > kMaxRecords || mCanvas.exhausted())
            break;
        if (count % kTickEvery == 0 && !tick(int(100.0 * double(at) / double(file.size()))))
            return false;
        mCanvas.charge(1);
        if (const Entry *entry = find(type)) {
            try {
                (this->*entry->handler)(file.sub(at, size));
            } catch (const MetaShortRecord &) {
                // The record claims more than it holds; it is skipped.
            }
        }
        at += std::size_t(size);
    }
    return true;
}

QPointF EmfPlayer::pointAt(const MetaBytes &r, std::uint64_t at)
{
    return QPointF(r.i32(at), r.i32(at + 4));
}

QRectF EmfPlayer::rectAt(const MetaBytes &r, std::uint64_t at)
{
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

QPolygonF EmfPlayer::pointsAt(const MetaBytes &r, std::uint64_t at, std::uint64_t count, bool wide)
{
    const std::uint64_t step = wide ? 8 : 4;
    r.need(at, count * step);
    QPolygonF points;
    points.reserve(qsizetype(count));
    for (std::uint64_t i = 0; i < count; ++i, at += step)
        points.append(wide ? QPointF(r.i32(at), r.i32(at + 4)) : QPointF(r.i16(at), r.i16(at + 2)));
    return points;
}

// Bounds, a point count, then the points.
QPolygonF EmfPlayer::polyPoints(const MetaBytes &r, bool wide) const
{
    return pointsAt(r, 28, r.u32(24), wide);
}

// Bounds, a polygon count, the total point count, each polygon's count,
// then all the points.
std::vector<QPolygonF> EmfPlayer::polyPolyPoints(const MetaBytes &r, bool wide) const
{
    const std::uint64_t polys = r.u32(24);
    const std::uint64_t total = r.u32(28);
    r.need(32, polys * 4);
    std::uint64_t at = 32 + polys * 4;
    r.need(at, total * (wide ? 8 : 4));
    std::vector<QPolygonF> out;
    out.reserve(std::size_t(polys));
    std::uint64_t used = 0;
    for (std::uint64_t i = 0; i < polys; ++i) {
        const std::uint64_t n = r.u32(32 + 4 * i);
        if (n > total - used)
            break;
        out.push_back(pointsAt(r, at, n, wide));
        at += n * (wide ? 8 : 4);
        used += n;
    }
    return out;
}

void EmfPlayer::onSetWindowExt(const MetaBytes &r)
{
    state().mapping.setWindowExt(QSizeF(r.i32(8), r.i32(12)));
}

void EmfPlayer::onSetWindowOrg(const MetaBytes &r)
{
    state().mapping.setWindowOrg(pointAt(r, 8));
}

void EmfPlayer::onSetViewportExt(const MetaBytes &r)
{
    state().mapping.setViewportExt(QSizeF(r.i32(8), r.i32(12)));
}

void EmfPlayer::onSetViewportOrg(const MetaBytes &r)
{
    state().mapping.setViewportOrg(pointAt(r, 8));
}

// x numerator, x denominator, y numerator, y denominator.
void EmfPlayer::onScaleViewportExt(const MetaBytes &r)
{
    state().mapping.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
}

void EmfPlayer::onScaleWindowExt(const MetaBytes &r)
{
    state().mapping.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
}

void EmfPlayer::onSetMapMode(const MetaBytes &r)
{
    state().mapping.setMapMode(r.u32(8));
}

void EmfPlayer::onSetBkMode(const MetaBytes &r)
{
    state().bkMode = r.u32(8);
}

void EmfPlayer::onSetPolyFillMode(const MetaBytes &r)
{
    state().polyFillMode = r.u32(8);
}

void EmfPlayer::onSetRop2(const MetaBytes &r)
{
    state().rop2 = r.u32(8);
}

void EmfPlayer::onSetStretchMode(const MetaBytes &r)
{
    state().stretchMode = r.u32(8);
}

void EmfPlayer::onSetTextAlign(const MetaBytes &r)
{
    state().textAlign = r.u32(8);
}

void EmfPlayer::onSetTextColor(const MetaBytes &r)
{
    state().textColor = colour(r.u32(8));
}

void EmfPlayer::onSetBkColor(const MetaBytes &r)
{
    state().bkColor = colour(r.u32(8));
}

void EmfPlayer::onSetArcDirection(const MetaBytes &r)
{
    state().arcDirection = r.u32(8);
}

// An integer by the format's definition; some writers store a float, whose
// bit pattern reads as a huge integer.
void EmfPlayer::onSetMiterLimit(const MetaBytes &r)
{
    const std::uint32_t raw = r.u32(8);
    const double limit = raw < 0x10000 ? double(raw) : double(r.f32(8));
    if (std::isfinite(limit) && limit >= 1)
        state().miterLimit = limit;
}

void EmfPlayer::onSaveDc(const MetaBytes &)
{
    saveDc();
}

void EmfPlayer::onRestoreDc(const MetaBytes &r)
{
    restoreDc(r.i32(8));
}

void EmfPlayer::onSetWorldTransform(const MetaBytes &r)
{
    const QTransform t = xformAt(r, 8);
    if (finiteTransform(t))
        state().mapping.setWorld(t);
}

void EmfPlayer::onModifyWorldTransform(const MetaBytes &r)
{
    const QTransform x = xformAt(r, 8);
    const QTransform &world = state().mapping.world();
    QTransform result;
    switch (r.u32(32)) {
    case MWT_IDENTITY: break;
    case MWT_LEFTMULTIPLY: result = x * world; break;
    case MWT_RIGHTMULTIPLY: result = world * x; break;
    case MWT_SET: result = x; break;
    default: return;
    }
    if (finiteTransform(result))
        state().mapping.setWorld(result);
}

void EmfPlayer::onOffsetClipRgn(const MetaBytes &r)
{
    offsetClip(pointAt(r, 8));
}

void EmfPlayer::onExcludeClipRect(const MetaBytes &r)
{
    excludeClipRect(rectAt(r, 8));
}

void EmfPlayer::onIntersectClipRect(const MetaBytes &r)
{
    intersectClipRect(rectAt(r, 8));
}

void EmfPlayer::onPolyBezier(const MetaBytes &r)
{
    polyBezier(polyPoints(r, true), false);
}

void EmfPlayer::onPolygon(const MetaBytes &r)
{
    polygon(polyPoints(r, true));
}

void EmfPlayer::onPolyline(const MetaBytes &r)
{
    polyline(polyPoints(r, true));
}

void EmfPlayer::onPolyBezierTo(const MetaBytes &r)
{
    polyBezier(polyPoints(r, true), true);
}

void EmfPlayer::onPolylineTo(const MetaBytes &r)
{
    polylineTo(polyPoints(r, true));
}

void EmfPlayer::onPolyPolyline(const MetaBytes &r)
{
    polyPolyline(polyPolyPoints(r, true));
}

void EmfPlayer::onPolyPolygon(const MetaBytes &r)
{
    polyPolygon(polyPolyPoints(r, true));
}

void EmfPlayer::onPolyBezier16(const MetaBytes &r)
{
    polyBezier(polyPoints(r, false), false);
}

void EmfPlayer::onPolygon16(const MetaBytes &r)
{
    polygon(polyPoints(r, false));
}

void EmfPlayer::onPolyline16(const MetaBytes &r)
{
    polyline(polyPoints(r, false));
}

void EmfPlayer::onPolyBezierTo16(const MetaBytes &r)
{
    polyBezier(polyPoints(r, false), true);
}

void EmfPlayer::onPolylineTo16(const MetaBytes &r)
{
    polylineTo(polyPoints(r, false));
}

void EmfPlayer::onPolyPolyline16(const MetaBytes &r)
{
    polyPolyline(polyPolyPoints(r, false));
}

void EmfPlayer::onPolyPolygon16(const MetaBytes &r)
{
    polyPolygon(polyPolyPoints(r, false));
}

// Points with a type byte each: move, line, Bezier (three points), and a
// flag that closes the figure.
void EmfPlayer::polyDraw(const QPolygonF &points, const MetaBytes &r, std::uint64_t typesAt)
{
    r.need(typesAt, std::uint64_t(points.size()));
    QPainterPath path(state().position);
    for (qsizetype i = 0; i < points.size(); ++i) {
        const std::uint8_t type = r.u8(typesAt + std::uint64_t(i));
        if ((type & PT_MOVETO) == PT_MOVETO) {
            path.moveTo(points[i]);
        } else if ((type & PT_MOVETO) == PT_BEZIERTO && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else if ((type & PT_MOVETO) == PT_LINETO || (type & PT_MOVETO) == PT_BEZIERTO) {
            path.lineTo(points[i]);
        }
        if ((type & PT_CLOSEFIGURE) && (type & PT_MOVETO) != PT_MOVETO)
            path.closeSubpath();
    }
    state().position = path.currentPosition();
    strokeAndFill(path, false, true);
}

void EmfPlayer::onPolyDraw(const MetaBytes &r)
{
    const QPolygonF points = polyPoints(r, true);
    polyDraw(points, r, 28 + 8 * std::uint64_t(points.size()));
}

void EmfPlayer::onPolyDraw16(const MetaBytes &r)
{
    const QPolygonF points = polyPoints(r, false);
    polyDraw(points, r, 28 + 4 * std::uint64_t(points.size()));
}

void EmfPlayer::onSetPixel(const MetaBytes &r)
{
    setPixel(pointAt(r, 8), colour(r.u32(16)));
}

void EmfPlayer::onMoveTo(const MetaBytes &r)
{
    moveTo(pointAt(r, 8));
}

void EmfPlayer::onLineTo(const MetaBytes &r)
{
    lineTo(pointAt(r, 8));
}

// A line from the current position to the start of an arc of a circle,
// then the arc; angles in degrees, counted counter-clockwise with y growing
// downwards, as arcTo counts them.
void EmfPlayer::onAngleArc(const MetaBytes &r)
{
    const QPointF centre = pointAt(r, 8);
    const double radius = r.u32(16);
    const double start = r.f32(20);
    const double sweep = r.f32(24);
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(state().position);
    path.arcTo(box, start, std::clamp(double(sweep), -3600.0, 3600.0));
    state().position = path.currentPosition();
    strokeAndFill(path, false, true);
}

void EmfPlayer::onEllipse(const MetaBytes &r)
{
    ellipse(rectAt(r, 8));
}

void EmfPlayer::onRectangle(const MetaBytes &r)
{
    rectangle(rectAt(r, 8));
}

void EmfPlayer::onRoundRect(const MetaBytes &r)
{
    roundRect(rectAt(r, 8), QSizeF(r.i32(24), r.i32(28)));
}

void EmfPlayer::onArc(const MetaBytes &r)
{
    arc(ArcKind::Arc, rectAt(r, 8), pointAt(r, 24), pointAt(r, 32));
}

void EmfPlayer::onChord(const MetaBytes &r)
{
    arc(ArcKind::Chord, rectAt(r, 8), pointAt(r, 24), pointAt(r, 32));
}

void EmfPlayer::onPie(const MetaBytes &r)
{
    arc(ArcKind::Pie, rectAt(r, 8), pointAt(r, 24), pointAt(r, 32));
}

void EmfPlayer::onArcTo(const MetaBytes &r)
{
    arc(ArcKind::ArcTo, rectAt(r, 8), pointAt(r, 24), pointAt(r, 32));
}

void EmfPlayer::onBeginPath(const MetaBytes &)
{
    beginPath();
}

void EmfPlayer::onEndPath(const MetaBytes &)
{
    endPath();
}

void EmfPlayer::onCloseFigure(const MetaBytes &)
{
    closeFigure();
}

void EmfPlayer::onFillPath(const MetaBytes &)
{
    fillPath(true, false);
}

void EmfPlayer::onStrokeAndFillPath(const MetaBytes &)
{
    fillPath(true, true);
}

void EmfPlayer::onStrokePath(const MetaBytes &)
{
    fillPath(false, true);
}

void EmfPlayer::onWidenPath(const MetaBytes &)
{
    widenPath();
}

void EmfPlayer::onSelectClipPath(const MetaBytes &r)
{
    selectClipPath(r.u32(8));
}

void EmfPlayer::onAbortPath(const MetaBytes &)
{
    abortPath();
}

// Comments tagged "EMF+" carry the records of EMF+; others are notes.
void EmfPlayer::onComment(const MetaBytes &r)
{
    const std::uint64_t bytes = r.u32(8);
    if (bytes < 4 || r.u32(12) != kEmfPlusTag)
        return;
    if (!mPlus)
        mPlus = std::make_unique<EmfPlusPlayer>(mCanvas, deviceToPicture(), mPlainDrawing);
    mPlus->play(r.sub(16, bytes - 4));
}
