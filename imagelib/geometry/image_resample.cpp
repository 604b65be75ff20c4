// imagelib/geometry/image_resample.cpp
// ZvImage::Resample: nearest pixel, bilinear or area averaging, bicubic B-spline.
#include "imagelib/core/image.h"

#include "imagelib/geometry/geometry_rows.h"
#include "imagelib/geometry/geometry_target.h"
#include "imagelib/geometry/resample_kernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Source column (or row) of each result column for the nearest-pixel rule
// floor(x * scale), in single precision; clamped because at absurd sizes the
// float product can round up onto the edge.
std::vector<std::int32_t> nearestSources(std::int32_t count, float scale, std::int32_t limit)
{
    std::vector<std::int32_t> sources(static_cast<std::size_t>(count));
    for (std::int32_t x = 0; x < count; ++x)
        sources[std::size_t(x)] = std::min(limit - 1, std::int32_t(float(x) * scale));
    return sources;
}

// 24-bit pixels or alpha bytes: a plain gather of `bytes` bytes per pixel.
std::int32_t nearestBytes(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale,
                          std::size_t bytes, const ZvRowProgress &progress)
{
    const std::vector<std::int32_t> xs = nearestSources(dst.width, xScale, src.width);
    for (std::int32_t y = 0; y < dst.height; ++y) {
        if (!progress.next(y, dst.height))
            return y;
        const std::int32_t sy = std::min(src.height - 1, std::int32_t(float(y) * yScale));
        const std::uint8_t *s = src.row(sy);
        std::uint8_t *d = dst.row(y);
        if (bytes == 3) {
            for (std::int32_t x : xs) {
                std::memcpy(d, s + std::size_t(x) * 3, 3);
                d += 3;
            }
        } else {
            for (std::int32_t x : xs)
                *d++ = s[x];
        }
    }
    return dst.height;
}

// Indexed pictures: the source colour's nearest entry in the result palette,
// looked up once per source index since the palettes are the same.
std::int32_t nearestIndices(const ZvRowView &src, ZvImage &result, float xScale, float yScale,
                            const ZvRowProgress &progress)
{
    const ZvRowView dst = ZvRowView::of(result);
    std::uint8_t map[256] = {};
    for (std::uint32_t i = 0; i < result.GetNumColors(); ++i)
        map[i] = result.GetNearestIndex(src.palette[i]);
    const std::vector<std::int32_t> xs = nearestSources(dst.width, xScale, src.width);
    for (std::int32_t y = 0; y < dst.height; ++y) {
        if (!progress.next(y, dst.height))
            return y;
        const std::int32_t sy = std::min(src.height - 1, std::int32_t(float(y) * yScale));
        const std::uint8_t *s = src.row(sy);
        std::uint8_t *d = dst.row(y);
        for (std::int32_t x = 0; x < dst.width; ++x)
            zvRowOrIndex(d, x, dst.bpp, map[zvRowIndex(s, xs[std::size_t(x)], src.bpp)]);
    }
    return dst.height;
}

void resampleAlpha(const ZvImage &src, ZvImage &result, float xScale, float yScale)
{
    nearestBytes(ZvRowView::alphaOf(src), ZvRowView::alphaOf(result), xScale, yScale, 1, ZvRowProgress());
}

// Fills the result's rows by mode; returns how many were completed.
std::int32_t fillResult(const ZvRowView &src, ZvImage &result, int mode, float xScale, float yScale,
                        const ZvRowProgress &progress)
{
    const ZvRowView dst = ZvRowView::of(result);
    if (mode == 1)
        return src.palette ? nearestIndices(src, result, xScale, yScale, progress)
                           : nearestBytes(src, dst, xScale, yScale, 3, progress);
    if (mode == 2)
        return zvResampleBicubic(src, result, xScale, yScale, progress);
    if (dst.width < src.width && dst.height < src.height && src.bpp == 24)
        return zvResampleAreaAverage(src, dst, xScale, yScale, progress);
    return zvResampleBilinear(src, result, xScale, yScale, progress);
}

} // namespace

bool ZvImage::Resample(std::int32_t newx, std::int32_t newy, int mode, ZvImage *iDst)
{
    // A picture without pixels (including a zero-sized one) has nothing to sample.
    if (!IsValid() || mHead.biWidth <= 0 || mHead.biHeight <= 0 || newx == 0 || newy == 0)
        return false;
    if (mode < 0 || mode > 2) {
        SetLastError("Resample: unknown mode");
        return false;
    }
    if (newx == mHead.biWidth && newy == mHead.biHeight) {
        if (iDst)
            iDst->Copy(*this, true, true, true);
        return true;
    }
    const float xScale = float(mHead.biWidth) / float(newx);
    const float yScale = float(mHead.biHeight) / float(newy);

    // A negative size reaches Create as a huge unsigned one and is refused by its limit.
    ZvGeometryTarget result;
    if (!result.Prepare(*this, std::uint32_t(newx), std::uint32_t(newy)))
        return false;
    if (mAlpha && !result.PrepareAlpha(*this))
        return false;
    if (IsIndexed())
        result.ClearPixels();
    const ZvRowProgress progress{&mInfo.nProgress, &mInfo.nEscape, mInfo.pStop};
    result.ClearPadding(fillResult(ZvRowView::of(*this), result, mode, xScale, yScale, progress));
    if (mAlpha)
        resampleAlpha(*this, result, xScale, yScale);
    return result.MoveInto(*this, iDst);
}
