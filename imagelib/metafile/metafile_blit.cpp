// imagelib/metafile/metafile_blit.cpp
// Bit-block transfers of the metafile player: bitmaps stretched onto the
// picture and pattern fills, under ternary raster operations.
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_cut.h"
#include "imagelib/metafile/metafile_player.h"

#include <algorithm>
#include <cmath>

using namespace metagdi;

namespace {

struct RopMode
{
    std::uint32_t rop;
    QPainter::CompositionMode mode;
};

// The raster operations with a source that composition modes express; other
// operations that read the source are drawn as a plain copy.
constexpr RopMode kSourceRops[] = {
    {SRCCOPY, QPainter::CompositionMode_SourceOver},
    {SRCPAINT, QPainter::RasterOp_SourceOrDestination},
    {SRCAND, QPainter::RasterOp_SourceAndDestination},
    {SRCINVERT, QPainter::RasterOp_SourceXorDestination},
    {SRCERASE, QPainter::RasterOp_SourceAndNotDestination},
    {NOTSRCCOPY, QPainter::RasterOp_NotSource},
    {NOTSRCERASE, QPainter::RasterOp_NotSourceAndNotDestination},
    {MERGEPAINT, QPainter::RasterOp_NotSourceOrDestination},
};

// The operation code of a ternary raster operation is the result for each
// of the eight combinations of pattern, source and destination bits; an
// operand matters when flipping it changes some result.
std::uint32_t ropCode(std::uint32_t rop)
{
    return (rop >> 16) & 0xFF;
}
bool ropUsesSource(std::uint32_t rop)
{
    const std::uint32_t r = ropCode(rop);
    return (((r >> 2) ^ r) & 0x33) != 0;
}
bool ropUsesPattern(std::uint32_t rop)
{
    const std::uint32_t r = ropCode(rop);
    return (((r >> 4) ^ r) & 0x0F) != 0;
}

QPainter::CompositionMode sourceMode(std::uint32_t rop)
{
    for (const RopMode &m : kSourceRops)
        if (m.rop == rop)
            return m.mode;
    return QPainter::CompositionMode_SourceOver;
}

bool finite(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

// The image with the key colour made transparent (TransparentBlt).
QImage keyedOut(const QImage &image, QRgb key)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = 0;
    }
    return out;
}

} // namespace

void MetaPlayer::blit(const MetaBlit &b)
{
    if (b.image.isNull() || !ropUsesSource(b.rop)) {
        patBlt(b.dest, b.rop);
        return;
    }
    const QRectF whole(b.image.rect());
    const QRectF src = b.source.isValid() ? b.source.intersected(whole) : whole;
    if (src.isEmpty() || b.dest.width() == 0 || b.dest.height() == 0 || b.source.width() == 0 ||
        b.source.height() == 0)
        return;
    // Source pixels onto the logical destination, then onto the picture.
    const double sx = b.dest.width() / (b.source.isValid() ? b.source.width() : whole.width());
    const double sy = b.dest.height() / (b.source.isValid() ? b.source.height() : whole.height());
    const QPointF origin = b.source.isValid() ? b.source.topLeft() : QPointF();
    const QTransform toLogical(sx, 0, 0, sy, b.dest.x() - origin.x() * sx, b.dest.y() - origin.y() * sy);
    const QTransform full = toLogical * toPicture();
    if (!finite(full))
        return;
    const QRectF bounds = full.mapRect(src);
    if (std::fabs(bounds.left()) > MetaCanvas::kCoordLimit ||
        std::fabs(bounds.right()) > MetaCanvas::kCoordLimit ||
        std::fabs(bounds.top()) > MetaCanvas::kCoordLimit ||
        std::fabs(bounds.bottom()) > MetaCanvas::kCoordLimit)
        return;
    QPainter *painter = mCanvas.begin(bounds, mState, src.width() * src.height());
    if (!painter)
        return;
    QImage image = b.image;
    if (b.monochrome && image.format() == QImage::Format_Indexed8)
        image.setColorTable({mState.textColor.rgb(), mState.bkColor.rgb()});
    if (b.transparentKey)
        image = keyedOut(image, b.key);
    const QPainter::CompositionMode mode = sourceMode(b.rop);
    const bool plain = mode == QPainter::CompositionMode_SourceOver;
    painter->setTransform(full);
    painter->setCompositionMode(mode);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, plain);
    painter->setOpacity(std::clamp(b.constantAlpha, 0.0, 1.0));
    painter->drawImage(src, image, src);
}

void MetaPlayer::patBlt(const QRectF &dest, std::uint32_t rop)
{
    // Operations on the destination alone other than inversion (leaving it
    // as it is, for one) draw nothing here.
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || ropUsesPattern(rop)) {
        QPainterPath area;
        area.addRect(dest.normalized());
        const QPainterPath path = mapPath(area, toPicture());
        QPainter *painter = mCanvas.begin(path.controlPointRect(), mState);
        if (!painter)
            return;
        QBrush brush = makeBrush(mState.brush);
        if (rop == BLACKNESS || rop == WHITENESS)
            brush = QBrush(rop == BLACKNESS ? Qt::black : Qt::white);
        if (rop == DSTINVERT) {
            brush = QBrush(Qt::white);
            painter->setCompositionMode(QPainter::RasterOp_NotDestination);
        } else if (rop == PATINVERT) {
            painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        }
        if (brush.style() != Qt::SolidPattern && mState.bkMode == OPAQUE) {
            painter->setBackgroundMode(Qt::OpaqueMode);
            painter->setBackground(QBrush(mState.bkColor));
        }
        painter->setRenderHint(QPainter::Antialiasing,
                               painter->compositionMode() == QPainter::CompositionMode_SourceOver);
        drawWithin(*painter, path, Qt::NoPen, brush, mCanvas.reach(0));
    }
}
