// imagelib/codecs/heif/heif_pixels.cpp
#include "imagelib/codecs/heif/heif_pixels.h"

#include "imagelib/colour/hdr_tone_map.h"
#include "imagelib/core/image.h"

#include <algorithm>

std::vector<std::uint8_t> heifEightBitTable(int bits)
{
    const std::uint32_t max = (std::uint32_t(1) << bits) - 1;
    std::vector<std::uint8_t> table(std::size_t(max) + 1);
    for (std::uint32_t v = 0; v <= max; ++v)
        table[v] = std::uint8_t((v * 255 + max / 2) / max);
    return table;
}

namespace {

// The channel count is a template argument so that the inner loops have a
// fixed stride and no per-pixel test for alpha: the copy of a 12 MP
// picture is then a small part of its decode.
template <int N> void copyRows8(const HeifPlane &plane, ZvImage &picture)
{
    for (int y = 0; y < plane.height; ++y) {
        const std::uint8_t *src = plane.data + std::size_t(y) * std::size_t(plane.stride);
        const std::uint32_t row = std::uint32_t(plane.height - 1 - y);
        std::uint8_t *dst = picture.GetBits(row);
        for (int x = 0; x < plane.width; ++x, src += N, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        if constexpr (N == 4) {
            std::uint8_t *alpha = picture.AlphaGetPointer(0, std::int32_t(row));
            src = plane.data + std::size_t(y) * std::size_t(plane.stride) + 3;
            for (int x = 0; x < plane.width; ++x, src += 4)
                alpha[x] = *src;
        }
    }
}

template <int N> void copyRowsDeep(const HeifPlane &plane, ZvImage &picture)
{
    const std::vector<std::uint8_t> table = heifEightBitTable(plane.bits);
    const std::uint8_t *level = table.data();
    const std::uint32_t mask = (std::uint32_t(1) << plane.bits) - 1;
    auto sample = [&](const std::uint8_t *p, int c) {
        return level[(std::uint32_t(p[2 * c]) | std::uint32_t(p[2 * c + 1]) << 8) & mask];
    };
    for (int y = 0; y < plane.height; ++y) {
        const std::uint8_t *src = plane.data + std::size_t(y) * std::size_t(plane.stride);
        const std::uint32_t row = std::uint32_t(plane.height - 1 - y);
        std::uint8_t *dst = picture.GetBits(row);
        std::uint8_t *alpha = N == 4 ? picture.AlphaGetPointer(0, std::int32_t(row)) : nullptr;
        for (int x = 0; x < plane.width; ++x, src += 2 * N, dst += 3) {
            dst[0] = sample(src, 2);
            dst[1] = sample(src, 1);
            dst[2] = sample(src, 0);
            if constexpr (N == 4)
                alpha[x] = sample(src, 3);
        }
    }
}

template <int N> void copyRowsHdr(const HeifPlane &plane, const ZvHdrToneMap &hdr, ZvImage &picture)
{
    const int bytes = plane.bits > 8 ? 2 : 1;
    const std::uint32_t alphaMax = (std::uint32_t(1) << plane.bits) - 1;
    auto sample = [&](const std::uint8_t *p, int c) {
        return bytes == 2 ? std::uint32_t(p[2 * c]) | std::uint32_t(p[2 * c + 1]) << 8 : std::uint32_t(p[c]);
    };
    for (int y = 0; y < plane.height; ++y) {
        const std::uint8_t *src = plane.data + std::size_t(y) * std::size_t(plane.stride);
        const std::uint32_t row = std::uint32_t(plane.height - 1 - y);
        std::uint8_t *dst = picture.GetBits(row);
        std::uint8_t *alpha = N == 4 ? picture.AlphaGetPointer(0, std::int32_t(row)) : nullptr;
        for (int x = 0; x < plane.width; ++x, src += bytes * N, dst += 3) {
            hdr.MapToBgr(sample(src, 0), sample(src, 1), sample(src, 2), dst);
            if constexpr (N == 4)
                alpha[x] = std::uint8_t((std::min(sample(src, 3), alphaMax) * 255 + alphaMax / 2) / alphaMax);
        }
    }
}

} // namespace

void heifCopyPlane(const HeifPlane &plane, ZvImage &picture, const ZvHdrToneMap *hdr)
{
    const bool alpha = plane.channels == 4;
    if (hdr) {
        alpha ? copyRowsHdr<4>(plane, *hdr, picture) : copyRowsHdr<3>(plane, *hdr, picture);
        return;
    }
    if (plane.bits <= 8)
        alpha ? copyRows8<4>(plane, picture) : copyRows8<3>(plane, picture);
    else
        alpha ? copyRowsDeep<4>(plane, picture) : copyRowsDeep<3>(plane, picture);
}
