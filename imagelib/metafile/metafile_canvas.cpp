// imagelib/metafile/metafile_canvas.cpp
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_state.h"

#include <algorithm>
#include <cmath>

namespace {

// Work allowed per pixel of the picture (each drawing is charged the area it
// covers) and a fixed allowance for records, points and small drawings.
constexpr double kWorkPerPixel = 48;
constexpr double kWorkBase = double(1 << 24);
// Least charge of one drawing: setting up a painter is not free.
constexpr double kDrawingCost = 64;
// While measuring, the budget counts records and points only.
constexpr double kMeasureBudget = double(1 << 26);

bool finiteRect(const QRectF &r)
{
    return std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

} // namespace

MetaCanvas::MetaCanvas(QSize size)
    : mImage(size, QImage::Format_RGB32)
{
    mBudget = kWorkPerPixel * double(size.width()) * double(size.height()) + kWorkBase;
    if (mImage.isNull())
        return;
    mImage.fill(Qt::white);
    mPainter = std::make_unique<QPainter>(&mImage);
    mPainter->setRenderHint(QPainter::Antialiasing, true);
    mPainter->setRenderHint(QPainter::TextAntialiasing, true);
}

MetaCanvas::MetaCanvas()
    : mBudget(kMeasureBudget)
{
}

MetaCanvas::~MetaCanvas()
{
    if (mPainter)
        mPainter->end();
}

QPainter *MetaCanvas::begin(const QRectF &bounds, const MetaDcState &state, double extraCost)
{
    mWork += extraCost + kDrawingCost;
    if (!finiteRect(bounds) || exhausted())
        return nullptr;
    if (!mPainter) {
        mMeasured = mMeasured.isNull() ? bounds : mMeasured.united(bounds);
        return nullptr;
    }
    // A pixel of margin: anti-aliased edges and hairlines reach beyond the
    // geometry, and a line along one axis has bounds of no area.
    QRectF area = bounds.adjusted(-1, -1, 1, 1).intersected(rect());
    if (state.clipped)
        area = area.intersected(QRectF(state.clip.boundingRect()));
    if (area.isEmpty())
        return nullptr;
    mWork += area.width() * area.height();
    if (exhausted())
        return nullptr;
    applyClip(state);
    mPainter->resetTransform();
    mPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    mPainter->setBackgroundMode(Qt::TransparentMode);
    mPainter->setOpacity(1.0);
    mPainter->setRenderHint(QPainter::Antialiasing, true);
    mPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    return mPainter.get();
}

QRectF MetaCanvas::reach(double margin) const
{
    // Beyond the pen's reach, room for anti-aliased edges and caps; a pen of
    // absurd reach (a hostile miter limit) is not followed far out.
    constexpr double kBeyond = 256;
    constexpr double kMostReach = 1 << 14;
    const double out = kBeyond + (std::isfinite(margin) ? std::clamp(margin, 0.0, kMostReach) : kMostReach);
    return rect().adjusted(-out, -out, out, out);
}

void MetaCanvas::applyClip(const MetaDcState &state)
{
    const std::uint64_t serial = state.clipped ? state.clipSerial : 0;
    if (serial == mClipSerial)
        return;
    mClipSerial = serial;
    mPainter->resetTransform();
    if (state.clipped)
        mPainter->setClipRegion(state.clip);
    else
        mPainter->setClipping(false);
}
