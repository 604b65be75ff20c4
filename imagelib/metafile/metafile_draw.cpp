// imagelib/metafile/metafile_draw.cpp
// Lines, shapes, paths and regions of the metafile player.
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_cut.h"
#include "imagelib/metafile/metafile_player.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

using namespace metagdi;

namespace {

// Widest pen drawn, in picture pixels; wider ones cover the picture anyway.
constexpr double kMaxPenWidth = 1 << 14;

struct Rop2Mode
{
    std::uint32_t rop2;
    QPainter::CompositionMode mode;
};

// Binary raster operations as composition modes; R2_NOP draws nothing and
// R2_COPYPEN is plain painting.
constexpr Rop2Mode kRop2Modes[] = {
    {R2_BLACK, QPainter::RasterOp_ClearDestination},
    {R2_NOTMERGEPEN, QPainter::RasterOp_NotSourceAndNotDestination},
    {R2_MASKNOTPEN, QPainter::RasterOp_NotSourceAndDestination},
    {R2_NOTCOPYPEN, QPainter::RasterOp_NotSource},
    {R2_MASKPENNOT, QPainter::RasterOp_SourceAndNotDestination},
    {R2_NOT, QPainter::RasterOp_NotDestination},
    {R2_XORPEN, QPainter::RasterOp_SourceXorDestination},
    {R2_NOTMASKPEN, QPainter::RasterOp_NotSourceOrNotDestination},
    {R2_MASKPEN, QPainter::RasterOp_SourceAndDestination},
    {R2_NOTXORPEN, QPainter::RasterOp_NotSourceXorDestination},
    {R2_MERGENOTPEN, QPainter::RasterOp_NotSourceOrDestination},
    {R2_MERGEPENNOT, QPainter::RasterOp_SourceOrNotDestination},
    {R2_MERGEPEN, QPainter::RasterOp_SourceOrDestination},
    {R2_WHITE, QPainter::RasterOp_SetDestination},
};

constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                       Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};

bool finiteTransform(const QTransform &t)
{
    const double v[] = {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()};
    return std::all_of(std::begin(v), std::end(v), [](double x) { return std::isfinite(x); });
}

double clampCoordF(double v)
{
    return std::clamp(v, -MetaCanvas::kCoordLimit, MetaCanvas::kCoordLimit);
}

// Counter-clockwise angle in degrees of p seen from the centre of box,
// measured on the circle the ellipse is a squeezed copy of (what arcTo takes).
double ellipseAngle(const QRectF &box, QPointF p)
{
    const QPointF c = box.center();
    const double rx = std::max(box.width() / 2, 1e-9);
    const double ry = std::max(box.height() / 2, 1e-9);
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / M_PI;
}

} // namespace

QPainterPath MetaPlayer::mapPath(const QPainterPath &logical, const QTransform &t) const
{
    if (!finiteTransform(t))
        return QPainterPath();
    QPainterPath out = t.map(logical);
    for (int i = 0; i < out.elementCount(); ++i) {
        const QPainterPath::Element e = out.elementAt(i);
        if (std::fabs(e.x) > MetaCanvas::kCoordLimit || std::fabs(e.y) > MetaCanvas::kCoordLimit)
            out.setElementPositionAt(i, clampCoordF(e.x), clampCoordF(e.y));
    }
    return out;
}

QPointF MetaPlayer::mapPoint(QPointF logical) const
{
    const QTransform t = toPicture();
    if (!finiteTransform(t))
        return QPointF();
    const QPointF p = t.map(logical);
    return QPointF(clampCoordF(p.x()), clampCoordF(p.y()));
}

QPen MetaPlayer::makePen(const QTransform &t) const
{
    const MetaPen &p = mState.pen;
    const std::uint32_t style = p.style & PS_STYLE_MASK;
    if (style == PS_NULL)
        return QPen(Qt::NoPen);
    double width = 1;
    if (p.geometric && p.width > 0)
        width = std::clamp(p.width * std::hypot(t.m11(), t.m12()), 1.0, kMaxPenWidth);
    if (!std::isfinite(width))
        width = 1;
    QPen pen(p.color, width);
    const std::uint32_t cap = p.style & PS_ENDCAP_MASK;
    pen.setCapStyle(cap == PS_ENDCAP_SQUARE ? Qt::SquareCap
                    : cap == PS_ENDCAP_FLAT ? Qt::FlatCap
                                            : Qt::RoundCap);
    const std::uint32_t join = p.style & PS_JOIN_MASK;
    pen.setJoinStyle(join == PS_JOIN_BEVEL   ? Qt::BevelJoin
                     : join == PS_JOIN_MITER ? Qt::MiterJoin
                                             : Qt::RoundJoin);
    pen.setMiterLimit(std::clamp(mState.miterLimit, 1.0, 100.0));
    switch (style) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT:
    case PS_ALTERNATE: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    case PS_USERSTYLE:
        if (!p.dashes.empty())
            pen.setDashPattern(QList<qreal>(p.dashes.begin(), p.dashes.end()));
        break;
    default: break;
    }
    return pen;
}

QBrush MetaPlayer::makeBrush(const MetaBrush &b) const
{
    switch (b.style) {
    case BS_NULL: return QBrush(Qt::NoBrush);
    case BS_HATCHED: return QBrush(b.color, b.hatch <= HS_DIAGCROSS ? kHatches[b.hatch] : Qt::SolidPattern);
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (b.pattern.isNull())
            return QBrush(b.color);
        if (b.monochrome) {
            // Clear bits take the text colour, set bits the background.
            QImage tinted = b.pattern;
            tinted.setColorTable({mState.textColor.rgb(), mState.bkColor.rgb()});
            return QBrush(tinted);
        }
        return QBrush(b.pattern);
    default: return QBrush(b.color);
    }
}

void MetaPlayer::applyRop2(QPainter &painter) const
{
    for (const Rop2Mode &m : kRop2Modes) {
        if (m.rop2 == mState.rop2) {
            // Raster operations act on whole pixels; smoothed edges would
            // leave their partial colours behind.
            painter.setCompositionMode(m.mode);
            painter.setRenderHint(QPainter::Antialiasing, false);
            return;
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void MetaPlayer::drawPicturePath(QPainterPath path, bool fill, bool stroke)
{
    if (mState.rop2 == R2_NOP || path.isEmpty())
        return;
    const QPen pen = stroke ? makePen(toPicture()) : QPen(Qt::NoPen);
    const QBrush brush = fill ? makeBrush(mState.brush) : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    path.setFillRule(mState.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    const double margin = pen.style() == Qt::NoPen ? 0 : pen.widthF() * std::max(1.0, pen.miterLimit() / 2);
    const QRectF bounds = path.controlPointRect().adjusted(-margin, -margin, margin, margin);
    QPainter *painter = mCanvas.begin(bounds, mState, path.elementCount());
    if (!painter)
        return;
    applyRop2(*painter);
    if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush && mState.bkMode == OPAQUE) {
        painter->setBackgroundMode(Qt::OpaqueMode);
        painter->setBackground(QBrush(mState.bkColor));
    }
    drawWithin(*painter, path, pen, brush, mCanvas.reach(margin));
}

void MetaPlayer::strokeAndFill(const QPainterPath &logical, bool fill, bool stroke)
{
    if (mInPath) {
        addToPath(logical);
        return;
    }
    drawPicturePath(mapPath(logical, toPicture()), fill, stroke);
}

void MetaPlayer::addToPath(const QPainterPath &logical)
{
    mPath.addPath(mapPath(logical, toPicture()));
    mCanvas.charge(logical.elementCount());
}

void MetaPlayer::moveTo(QPointF p)
{
    mState.position = p;
    if (mInPath)
        mPath.moveTo(mapPoint(p));
}

void MetaPlayer::lineTo(QPointF p)
{
    if (mInPath) {
        if (mPath.elementCount() == 0)
            mPath.moveTo(mapPoint(mState.position));
        mPath.lineTo(mapPoint(p));
        mCanvas.charge(1);
    } else {
        QPainterPath line(mState.position);
        line.lineTo(p);
        drawPicturePath(mapPath(line, toPicture()), false, true);
    }
    mState.position = p;
}

void MetaPlayer::polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    strokeAndFill(path, false, true);
}

void MetaPlayer::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    QPolygonF all;
    all.reserve(points.size() + 1);
    all << mState.position << points;
    if (mInPath) {
        for (const QPointF &p : points)
            lineTo(p);
        return;
    }
    polyline(all);
    mState.position = points.back();
}

void MetaPlayer::polygon(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    strokeAndFill(path, true, true);
}

void MetaPlayer::polyPolygon(const std::vector<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &poly : polygons) {
        if (poly.size() < 2)
            continue;
        path.addPolygon(poly);
        path.closeSubpath();
    }
    strokeAndFill(path, true, true);
}

void MetaPlayer::polyPolyline(const std::vector<QPolygonF> &lines)
{
    QPainterPath path;
    for (const QPolygonF &line : lines)
        if (line.size() >= 2)
            path.addPolygon(line);
    strokeAndFill(path, false, true);
}

// Bezier segments of three points each after a start point: the first
// point of the list, or the current position for the "To" form.
void MetaPlayer::polyBezier(const QPolygonF &points, bool fromCurrent)
{
    qsizetype i = 0;
    QPainterPath path(fromCurrent ? mState.position : (points.isEmpty() ? QPointF() : points[i++]));
    for (; i + 3 <= points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (fromCurrent) {
        if (path.elementCount() > 1)
            mState.position = path.currentPosition();
        if (mInPath) {
            for (int k = 1; k + 2 < path.elementCount(); k += 3)
                mPath.cubicTo(mapPoint(path.elementAt(k)), mapPoint(path.elementAt(k + 1)),
                              mapPoint(path.elementAt(k + 2)));
            return;
        }
    }
    if (path.elementCount() > 1)
        strokeAndFill(path, false, true);
}

void MetaPlayer::rectangle(const QRectF &box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    strokeAndFill(path, true, true);
}

void MetaPlayer::roundRect(const QRectF &box, QSizeF corner)
{
    QPainterPath path;
    const QRectF r = box.normalized();
    const double rx = std::min(std::fabs(corner.width()) / 2, r.width() / 2);
    const double ry = std::min(std::fabs(corner.height()) / 2, r.height() / 2);
    path.addRoundedRect(r, rx, ry);
    strokeAndFill(path, true, true);
}

void MetaPlayer::ellipse(const QRectF &box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    strokeAndFill(path, true, true);
}

// The arc runs from where the ray from the centre through start meets the
// ellipse to where the ray through end does, in the arc direction as seen on
// the device: a mapping that turns the y axis over turns the direction too.
QPainterPath MetaPlayer::arcPath(ArcKind kind, const QRectF &boxIn, QPointF start, QPointF end) const
{
    const QRectF box = boxIn.normalized();
    const double a0 = ellipseAngle(box, start);
    double sweep = ellipseAngle(box, end) - a0;
    const QTransform t = toPicture();
    const bool flipped = t.m11() * t.m22() - t.m12() * t.m21() < 0;
    const bool ccw = (mState.arcDirection != AD_CLOCKWISE) != flipped;
    // Qt counts angles counter-clockwise on a y-down surface: as a picture
    // shows them, and as logical units show them before any flip.
    if (!std::isfinite(sweep))
        sweep = 0;
    if (ccw)
        sweep = sweep <= 0 ? sweep + 360 : sweep;
    else
        sweep = sweep >= 0 ? sweep - 360 : sweep;
    QPainterPath path;
    if (kind == ArcKind::Pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, a0);
    path.arcTo(box, a0, sweep);
    if (kind == ArcKind::Pie || kind == ArcKind::Chord)
        path.closeSubpath();
    return path;
}

void MetaPlayer::arc(ArcKind kind, const QRectF &box, QPointF start, QPointF end)
{
    const QPainterPath path = arcPath(kind, box, start, end);
    if (kind == ArcKind::ArcTo) {
        QPainterPath joined(mState.position);
        joined.connectPath(path);
        mState.position = path.currentPosition();
        strokeAndFill(joined, false, true);
        return;
    }
    const bool closed = kind != ArcKind::Arc;
    strokeAndFill(path, closed, true);
}

void MetaPlayer::setPixel(QPointF p, const QColor &colour)
{
    const QPointF at = mapPoint(p);
    const QRectF pixel(std::floor(at.x()), std::floor(at.y()), 1, 1);
    QPainter *painter = mCanvas.begin(pixel, mState);
    if (painter)
        painter->fillRect(pixel, colour);
}

void MetaPlayer::fillRegion(const QRegion &region, const MetaBrush &brush)
{
    QPainter *painter = mCanvas.begin(QRectF(region.boundingRect()), mState, region.rectCount());
    if (!painter)
        return;
    painter->save();
    painter->setClipRegion(region, Qt::IntersectClip);
    painter->fillRect(region.boundingRect(), makeBrush(brush));
    painter->restore();
}

// What is left of the region after shrinking it by the frame's width and
// height on every side.
void MetaPlayer::frameRegion(const QRegion &region, const MetaBrush &brush, QSizeF frame)
{
    const QTransform t = toPicture();
    const int w = int(std::clamp(std::fabs(frame.width() * std::hypot(t.m11(), t.m12())), 1.0, 64.0));
    const int h = int(std::clamp(std::fabs(frame.height() * std::hypot(t.m21(), t.m22())), 1.0, 64.0));
    const QRegion inner = region.translated(w, 0) & region.translated(-w, 0) & region.translated(0, h) &
                          region.translated(0, -h) & region;
    fillRegion(region - inner, brush);
}

void MetaPlayer::fillLogical(const QPainterPath &logical, const QBrush &brush)
{
    const QPainterPath path = mapPath(logical, toPicture());
    QPainter *painter = mCanvas.begin(path.controlPointRect(), mState, path.elementCount());
    if (painter)
        drawWithin(*painter, path, Qt::NoPen, brush, mCanvas.reach(0));
}

void MetaPlayer::invertRegion(const QRegion &region)
{
    QPainter *painter = mCanvas.begin(QRectF(region.boundingRect()), mState, region.rectCount());
    if (!painter)
        return;
    painter->save();
    painter->setClipRegion(region, Qt::IntersectClip);
    painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    painter->fillRect(region.boundingRect(), Qt::white);
    painter->restore();
}

void MetaPlayer::beginPath()
{
    mInPath = true;
    mPath = QPainterPath();
}

void MetaPlayer::abortPath()
{
    mInPath = false;
    mPath = QPainterPath();
}

void MetaPlayer::closeFigure()
{
    if (mInPath)
        mPath.closeSubpath();
}

void MetaPlayer::fillPath(bool fill, bool stroke)
{
    if (mInPath)
        return;
    QPainterPath path = std::move(mPath);
    mPath = QPainterPath();
    if (fill) {
        // Filling closes every open figure.
        QPainterPath closed;
        for (const QPolygonF &poly : path.toSubpathPolygons()) {
            closed.addPolygon(poly);
            closed.closeSubpath();
        }
        if (stroke) {
            drawPicturePath(closed, true, false);
            drawPicturePath(path, false, true);
            return;
        }
        path = closed;
    }
    drawPicturePath(path, fill, stroke);
}

void MetaPlayer::widenPath()
{
    if (mInPath)
        return;
    QPainterPathStroker stroker(makePen(toPicture()));
    mPath = stroker.createStroke(mPath);
}

void MetaPlayer::selectClipPath(std::uint32_t mode)
{
    if (mInPath)
        return;
    mPath.setFillRule(mState.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    const QRegion region = regionFromPath(mPath);
    mPath = QPainterPath();
    selectClipRegion(&region, mode);
}
