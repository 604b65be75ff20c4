// imagelib/codecs/heif/heif_pixels.cpp
#include "imagelib/codecs/heif/heif_pixels.h"

#include "imagelib/core/image.h"

std::vector<std::uint8_t> heifEightBitTable(int bits)
{
    const std::uint32_t max = (std::uint32_t(1) << bits) - 1;
    std::vector<std::uint8_t> table(std::size_t(max) + 1);
    for (std::uint32_t v = 0; v <= max; ++v)
        table[v] = std::uint8_t((v * 255 + max / 2) / max);
    return table;
}

namespace {

void copyRows8(const HeifPlane &plane, ZvImage &picture)
{
    const int n = plane.channels;
    for (int y = 0; y < plane.height; ++y) {
        const std::uint8_t *src = plane.data + std::size_t(y) * std::size_t(plane.stride);
        const std::uint32_t row = std::uint32_t(plane.height - 1 - y);
        std::uint8_t *dst = picture.GetBits(row);
        std::uint8_t *alpha = n == 4 ? picture.AlphaGetPointer(0, std::int32_t(row)) : nullptr;
        for (int x = 0; x < plane.width; ++x, src += n, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (alpha)
                alpha[x] = src[3];
        }
    }
}

void copyRowsDeep(const HeifPlane &plane, ZvImage &picture)
{
    const std::vector<std::uint8_t> table = heifEightBitTable(plane.bits);
    const std::uint32_t mask = (std::uint32_t(1) << plane.bits) - 1;
    const int n = plane.channels;
    auto sample = [&](const std::uint8_t *p, int c) {
        return table[(std::uint32_t(p[2 * c]) | std::uint32_t(p[2 * c + 1]) << 8) & mask];
    };
    for (int y = 0; y < plane.height; ++y) {
        const std::uint8_t *src = plane.data + std::size_t(y) * std::size_t(plane.stride);
        const std::uint32_t row = std::uint32_t(plane.height - 1 - y);
        std::uint8_t *dst = picture.GetBits(row);
        std::uint8_t *alpha = n == 4 ? picture.AlphaGetPointer(0, std::int32_t(row)) : nullptr;
        for (int x = 0; x < plane.width; ++x, src += 2 * n, dst += 3) {
            dst[0] = sample(src, 2);
            dst[1] = sample(src, 1);
            dst[2] = sample(src, 0);
            if (alpha)
                alpha[x] = sample(src, 3);
        }
    }
}

} // namespace

void heifCopyPlane(const HeifPlane &plane, ZvImage &picture)
{
    if (plane.bits <= 8)
        copyRows8(plane, picture);
    else
        copyRowsDeep(plane, picture);
}
