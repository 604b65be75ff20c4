// imagelib/metafile/metafile_cut.cpp
#include "imagelib/metafile/metafile_cut.h"

#include <cmath>
#include <utility>

namespace {

// The visible part [t0, t1] of the segment a + t (b - a) inside keep, by
// narrowing t against each side in turn; false when nothing of it is inside.
bool clipSegment(QPointF a, QPointF b, const QRectF &keep, double &t0, double &t1)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const std::pair<double, double> sides[] = {
        {-dx, a.x() - keep.left()},
        {dx, keep.right() - a.x()},
        {-dy, a.y() - keep.top()},
        {dy, keep.bottom() - a.y()},
    };
    t0 = 0;
    t1 = 1;
    for (const auto &[p, q] : sides) {
        if (p == 0) {
            if (q < 0)
                return false;
            continue;
        }
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 < t1;
}

QPointF along(QPointF a, QPointF b, double t)
{
    return t == 0 ? a : t == 1 ? b : a + (b - a) * t;
}

// Appends the runs of one flattened figure that lie inside keep.
void cutFigure(const QPolygonF &figure, const QRectF &keep, std::vector<OutlinePiece> &pieces)
{
    double walked = 0;
    bool open = false; // the last piece goes on where the last segment ended
    for (qsizetype i = 0; i + 1 < figure.size(); ++i) {
        const QPointF a = figure[i];
        const QPointF b = figure[i + 1];
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        double t0 = 0;
        double t1 = 1;
        if (!clipSegment(a, b, keep, t0, t1)) {
            open = false;
        } else {
            if (!open || t0 > 0) {
                pieces.push_back({QPainterPath(along(a, b, t0)), walked + t0 * length});
            }
            pieces.back().path.lineTo(along(a, b, t1));
            open = t1 == 1;
        }
        walked += length;
    }
}

// A closed figure walked from a corner outside keep, so that no run starts
// or ends at a corner that shows: there the figure has a join, not caps.
QPolygonF startOutside(const QPolygonF &closed, const QRectF &keep)
{
    for (qsizetype k = 0; k + 1 < closed.size(); ++k) {
        if (!keep.contains(closed[k])) {
            QPolygonF turned = closed.mid(k, closed.size() - 1 - k);
            turned += closed.mid(0, k + 1);
            return turned;
        }
    }
    return closed;
}

} // namespace

QPainterPath cutFill(const QPainterPath &path, const QRectF &keep)
{
    QPainterPath window;
    window.addRect(keep);
    return path.intersected(window);
}

std::vector<OutlinePiece> cutOutline(const QPainterPath &path, const QRectF &keep)
{
    std::vector<OutlinePiece> pieces;
    for (const QPolygonF &figure : path.toSubpathPolygons()) {
        if (figure.size() < 2)
            continue;
        if (keep.contains(figure.boundingRect())) {
            QPainterPath whole;
            whole.addPolygon(figure);
            if (figure.isClosed())
                whole.closeSubpath();
            pieces.push_back({whole, 0});
        } else {
            cutFigure(figure.isClosed() ? startOutside(figure, keep) : figure, keep, pieces);
        }
    }
    return pieces;
}

void drawWithin(QPainter &painter, const QPainterPath &path, const QPen &pen, const QBrush &brush,
                const QRectF &keep)
{
    if (keep.contains(path.controlPointRect())) {
        painter.setPen(pen);
        painter.setBrush(brush);
        painter.drawPath(path);
        return;
    }
    if (brush.style() != Qt::NoBrush) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(brush);
        painter.drawPath(cutFill(path, keep));
    }
    painter.setBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen)
        return;
    // Dash lengths count in pen widths, a hairline's as one pixel.
    const double unit = pen.widthF() > 0 ? pen.widthF() : 1;
    for (const OutlinePiece &piece : cutOutline(path, keep)) {
        QPen run = pen;
        if (pen.style() != Qt::SolidLine)
            run.setDashOffset(pen.dashOffset() + piece.start / unit);
        painter.setPen(run);
        painter.drawPath(piece.path);
    }
}
