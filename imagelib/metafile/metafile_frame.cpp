// imagelib/metafile/metafile_frame.cpp
#include "imagelib/metafile/metafile_frame.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfHeaderType = 1;
constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr std::uint16_t kWmfHeaderWords = 9;
constexpr double kPictureDpi = 96;

} // namespace

MetaKind metaSniff(const MetaBytes &head)
{
    if (head.has(0, 4) && head.u32(0) == kPlaceableKey)
        return MetaKind::PlaceableWmf;
    if (head.has(0, 44) && head.u32(0) == kEmfHeaderType && head.u32(40) == kEmfSignature)
        return MetaKind::Emf;
    // A plain WMF: memory or disk metafile, a 9-word header, version 1 or 3.
    if (head.has(0, 6) && (head.u16(0) == 1 || head.u16(0) == 2) && head.u16(2) == kWmfHeaderWords &&
        (head.u16(4) == 0x0100 || head.u16(4) == 0x0300))
        return MetaKind::Wmf;
    return MetaKind::None;
}

QSize MetaPictureSize(const MetaFrame &frame, std::uint32_t maxSide)
{
    double w = frame.frame.width() / frame.unitsPerInchX * kPictureDpi;
    double h = frame.frame.height() / frame.unitsPerInchY * kPictureDpi;
    if (!std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
        return QSize();
    const double longer = std::max(w, h);
    if (longer > maxSide) {
        w *= maxSide / longer;
        h *= maxSide / longer;
    }
    return QSize(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))));
}

QTransform metaDeviceToPicture(const QRectF &frame, QSize picture)
{
    const double sx = picture.width() / frame.width();
    const double sy = picture.height() / frame.height();
    return QTransform(sx, 0, 0, sy, -frame.left() * sx, -frame.top() * sy);
}
