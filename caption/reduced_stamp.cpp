// caption/reduced_stamp.cpp
#include "caption/reduced_stamp.h"

#include "caption/caption_geometry.h"
#include "caption/caption_render.h"
#include "caption/caption_scale.h"
#include "imagelib/core/image.h"

#include <algorithm>

namespace {

// Pixel (x, y) counted from the top row of a 24-bit bottom-up picture.
std::uint8_t *pixelAt(const ZvImage &picture, std::int64_t x, std::int64_t y)
{
    return picture.GetBits(std::uint32_t(picture.GetHeight() - 1 - std::uint32_t(y))) + std::size_t(x) * 3;
}

// area is in reduced pixels; the patch covers it at d times the size.
void blowUp(const ZvImage &picture, const RECT &area, int d, ZvImage &patch)
{
    for (std::int64_t y = 0; y < std::int64_t(patch.GetHeight()); ++y) {
        std::uint8_t *out = pixelAt(patch, 0, y);
        for (std::int64_t x = area.left; x < area.right; ++x) {
            const std::uint8_t *in = pixelAt(picture, x, area.top + y / d);
            for (int i = 0; i < d; ++i, out += 3)
                std::copy(in, in + 3, out);
        }
    }
}

void averageDown(const ZvImage &patch, const RECT &area, int d, ZvImage &picture)
{
    const int cells = d * d;
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        for (std::int64_t x = area.left; x < area.right; ++x) {
            int sum[3] = {};
            for (int dy = 0; dy < d; ++dy) {
                const std::uint8_t *p = pixelAt(patch, (x - area.left) * d, (y - area.top) * d + dy);
                for (int dx = 0; dx < d * 3; ++dx)
                    sum[dx % 3] += p[dx];
            }
            std::uint8_t *out = pixelAt(picture, x, y);
            for (int c = 0; c < 3; ++c)
                out[c] = std::uint8_t((sum[c] + cells / 2) / cells);
        }
    }
}

std::int32_t ceilDiv(std::int32_t v, int d)
{
    return std::int32_t((std::int64_t(v) + d - 1) / d);
}

} // namespace

bool stampCaptionReduced(ZvImage &picture, const CaptionSettings &design, std::int64_t fullWidth,
                         std::int64_t fullHeight, int d)
{
    const CaptionSettings caption = CaptionForPicture(design, fullWidth, fullHeight);
    // Makes the picture 24-bit as a full stamp would, touching no pixel.
    if (!DrawCaptionOnPicture(picture, RECT{}, caption))
        return false;
    const RECT box = CaptionBoxInPicture(caption.offsets, caption.anchor, fullWidth, fullHeight);
    const RECT whole{0, 0, std::int32_t(std::min<std::int64_t>(fullWidth, INT32_MAX)),
                     std::int32_t(std::min<std::int64_t>(fullHeight, INT32_MAX))};
    const RECT visible = IntersectRect(box, whole);
    if (IsRectEmpty(visible))
        return true;
    const RECT area{visible.left / d, visible.top / d,
                    std::min(ceilDiv(visible.right, d), std::int32_t(picture.GetWidth())),
                    std::min(ceilDiv(visible.bottom, d), std::int32_t(picture.GetHeight()))};
    if (IsRectEmpty(area))
        return true;
    const std::int64_t patchWidth = std::int64_t(area.right - area.left) * d;
    const std::int64_t patchHeight = std::int64_t(area.bottom - area.top) * d;
    ZvImage patch;
    if (patchWidth > INT32_MAX || patchHeight > INT32_MAX ||
        !patch.Create(std::uint32_t(patchWidth), std::uint32_t(patchHeight), 24)) {
        picture.SetLastError("ZvImage::Create size limit exceeded");
        return false;
    }
    blowUp(picture, area, d, patch);
    if (!DrawCaptionOnPicture(
            patch, OffsetRect(box, -std::int64_t(area.left) * d, -std::int64_t(area.top) * d), caption)) {
        picture.SetLastError(patch.GetLastError());
        return false;
    }
    averageDown(patch, area, d, picture);
    return true;
}
