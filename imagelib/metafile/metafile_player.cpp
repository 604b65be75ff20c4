// imagelib/metafile/metafile_player.cpp
// Objects, saved states, clipping and colours of the metafile player.
#include "imagelib/metafile/metafile_player.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_region.h"

#include <algorithm>
#include <cmath>

using namespace metagdi;

namespace {

// Bytes of pattern pictures one metafile may hold in its brushes.
constexpr std::uint64_t kMaxPatternBytes = 256ull << 20;
// A clip region with more rectangles than this is taken as its bounding
// box: the region operations grow with the rectangles they combine.
constexpr int kMaxClipRects = 1 << 16;

int clampCoord(double v)
{
    const double limit = MetaCanvas::kCoordLimit;
    return int(std::lround(std::clamp(std::isfinite(v) ? v : 0.0, -limit, limit)));
}

} // namespace

MetaPlayer::MetaPlayer(MetaCanvas &canvas, const QTransform &deviceToPicture)
    : mCanvas(canvas)
    , mDeviceToPicture(deviceToPicture)
{
}

void MetaPlayer::addObject(MetaObject object)
{
    if (!mFreeSlots.empty()) {
        const std::uint32_t slot = *mFreeSlots.begin();
        mFreeSlots.erase(mFreeSlots.begin());
        mObjects[slot] = std::move(object);
    } else if (mObjects.size() < mObjectLimit) {
        mObjects.push_back(std::move(object));
    }
    // A full table loses the object, as a device would refuse to make it.
}

void MetaPlayer::setObject(std::uint32_t index, MetaObject object)
{
    if (index >= mObjectLimit)
        return;
    if (index >= mObjects.size())
        mObjects.resize(std::size_t(index) + 1);
    mObjects[index] = std::move(object);
}

const MetaObject *MetaPlayer::object(std::uint32_t index) const
{
    return index < mObjects.size() ? &mObjects[index] : nullptr;
}

void MetaPlayer::selectObject(std::uint32_t index)
{
    if (const MetaObject *obj = object(index))
        selectObjectValue(*obj);
}

void MetaPlayer::selectObjectValue(const MetaObject &object)
{
    const MetaObject *obj = &object;
    if (const auto *pen = std::get_if<MetaPen>(obj))
        mState.pen = *pen;
    else if (const auto *brush = std::get_if<MetaBrush>(obj))
        mState.brush = *brush;
    else if (const auto *font = std::get_if<MetaFont>(obj))
        mState.font = *font;
    else if (const auto *palette = std::get_if<MetaPalette>(obj))
        mState.palette = palette->colours;
    else if (const auto *region = std::get_if<MetaRegion>(obj)) {
        const QRegion r = regionToPicture(*region);
        selectClipRegion(&r, RGN_COPY);
    }
}

void MetaPlayer::deleteObject(std::uint32_t index)
{
    if (index >= mObjects.size() || std::holds_alternative<std::monostate>(mObjects[index]))
        return;
    mObjects[index] = std::monostate();
    mFreeSlots.insert(index);
}

bool MetaPlayer::allowPattern(const QImage &pattern)
{
    const std::uint64_t bytes = std::uint64_t(pattern.sizeInBytes());
    if (mPatternBytes + bytes > kMaxPatternBytes)
        return false;
    mPatternBytes += bytes;
    return true;
}

bool MetaPlayer::affordBitmap(std::uint64_t pixels)
{
    mCanvas.charge(double(pixels));
    return !mCanvas.exhausted();
}

void MetaPlayer::saveDc()
{
    if (mSaved.size() < kMaxSavedStates)
        mSaved.push_back(mState);
}

// Negative: that many levels back from the last save; positive: the state
// of that save counted from the first. Requests beyond the saves are
// refused, as a device refuses them.
void MetaPlayer::restoreDc(std::int32_t which)
{
    std::size_t keep;
    if (which < 0) {
        const std::uint64_t back = std::uint64_t(-std::int64_t(which));
        if (back > mSaved.size())
            return;
        keep = mSaved.size() - std::size_t(back);
    } else {
        if (which == 0 || std::uint64_t(which) > mSaved.size())
            return;
        keep = std::size_t(which) - 1;
    }
    mState = std::move(mSaved[keep]);
    mSaved.resize(keep);
}

QColor MetaPlayer::colour(std::uint32_t colorref) const
{
    if ((colorref & 0xFF000000u) == PALETTEINDEX_FLAG) {
        const std::uint32_t i = colorref & 0xFFFF;
        return i < std::uint32_t(mState.palette.size()) ? QColor(mState.palette[qsizetype(i)])
                                                        : QColor(Qt::black);
    }
    return QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
}

QRect MetaPlayer::toPictureRect(const QRectF &logical) const
{
    const QRectF r = toPicture().mapRect(logical.normalized());
    const int l = clampCoord(r.left());
    const int t = clampCoord(r.top());
    const int rt = clampCoord(r.right());
    const int b = clampCoord(r.bottom());
    return QRect(QPoint(l, t), QPoint(rt - 1, b - 1));
}

QRegion MetaPlayer::regionToPicture(const MetaRegion &region)
{
    QList<QRect> rects;
    rects.reserve(region.rects.size());
    for (const QRectF &r : region.rects)
        rects.append(toPictureRect(r));
    return regionFromRects(rects);
}

QRegion MetaPlayer::regionFromRects(const QList<QRect> &rects)
{
    return metaRegionFromRects(mCanvas, rects);
}

QRegion MetaPlayer::regionFromPath(const QPainterPath &path)
{
    return metaRegionFromPath(mCanvas, path);
}

QRegion MetaPlayer::currentClipOrAll() const
{
    if (mState.clipped)
        return mState.clip;
    return QRegion(mCanvas.rect().toAlignedRect().adjusted(-1, -1, 1, 1));
}

void MetaPlayer::setClip(const QRegion &region)
{
    // Kept within the picture: nothing outside it is drawn anyway, and
    // offsets applied later cannot carry the region out of integer range.
    const QRect all = mCanvas.rect().toAlignedRect().adjusted(-1, -1, 1, 1);
    const QRegion inside = region.intersected(all);
    mCanvas.charge(inside.rectCount());
    mState.clipped = true;
    mState.clip = inside.rectCount() > kMaxClipRects ? QRegion(inside.boundingRect()) : inside;
    mState.clipSerial = mCanvas.newClipSerial();
}

void MetaPlayer::intersectClipRect(const QRectF &rect)
{
    setClip(currentClipOrAll().intersected(toPictureRect(rect)));
}

void MetaPlayer::excludeClipRect(const QRectF &rect)
{
    setClip(currentClipOrAll().subtracted(toPictureRect(rect)));
}

void MetaPlayer::selectClipRegion(const QRegion *region, std::uint32_t mode)
{
    if (!region) {
        // Without a region only a copy means anything: back to no clipping.
        if (mode == RGN_COPY) {
            mState.clipped = false;
            mState.clip = QRegion();
        }
        return;
    }
    const QRegion current = currentClipOrAll();
    switch (mode) {
    case RGN_AND: setClip(current.intersected(*region)); break;
    case RGN_OR: setClip(current.united(*region)); break;
    case RGN_XOR: setClip(current.xored(*region)); break;
    case RGN_DIFF: setClip(current.subtracted(*region)); break;
    case RGN_COPY: setClip(*region); break;
    default: break;
    }
}

void MetaPlayer::offsetClip(QPointF logicalDelta)
{
    if (!mState.clipped)
        return;
    const QTransform t = toPicture();
    const QPointF d = t.map(logicalDelta) - t.map(QPointF(0, 0));
    setClip(mState.clip.translated(clampCoord(d.x()), clampCoord(d.y())));
}
