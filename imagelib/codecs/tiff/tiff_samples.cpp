// imagelib/codecs/tiff/tiff_samples.cpp
#include "imagelib/codecs/tiff/tiff_samples.h"

#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include <immintrin.h>

static_assert(std::endian::native == std::endian::little, "24-bit samples are read as little-endian");

ZvTiffSamples::ZvTiffSamples(ZvTiffSampleFormat format, std::uint32_t stride)
    : mFormat(format)
    , mStride(stride)
    , mMax(format.bps >= 1 && format.bps <= 32 ? (std::uint64_t(1) << format.bps) - 1 : 1)
{
}

bool ZvTiffSamples::Readable(ZvTiffSampleFormat format)
{
    if (format.format == SAMPLEFORMAT_IEEEFP)
        return format.bps == 32 || format.bps == 64;
    return (format.format == SAMPLEFORMAT_UINT || format.format == SAMPLEFORMAT_VOID) && format.bps >= 1 &&
           format.bps <= 32;
}

std::uint64_t ZvTiffSamples::Fetch(const std::uint8_t *row, std::size_t index) const
{
    switch (mFormat.bps) {
    case 8: return row[index];
    case 16: {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * index, 2);
        return v;
    }
    case 24: {
        const std::uint8_t *p = row + 3 * index;
        return std::uint64_t(p[0]) | std::uint64_t(p[1]) << 8 | std::uint64_t(p[2]) << 16;
    }
    case 32: {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * index, 4);
        return v;
    }
    default: break;
    }
    // Packed: gather the bytes the sample spans (at most five) and cut it out.
    const std::uint64_t bit = std::uint64_t(index) * mFormat.bps;
    const std::uint32_t skip = std::uint32_t(bit & 7);
    const std::uint32_t bytes = (skip + mFormat.bps + 7) / 8;
    const std::uint8_t *p = row + bit / 8;
    std::uint64_t v = 0;
    for (std::uint32_t i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return (v >> (bytes * 8 - skip - mFormat.bps)) & mMax;
}

std::uint32_t ZvTiffSamples::Raw(const std::uint8_t *row, std::uint32_t x, int sample) const
{
    return std::uint32_t(Fetch(row, std::size_t(x) * mStride + std::size_t(sample)));
}

double ZvTiffSamples::Unit(const std::uint8_t *row, std::uint32_t x, int sample) const
{
    const std::size_t index = std::size_t(x) * mStride + std::size_t(sample);
    if (mFormat.format != SAMPLEFORMAT_IEEEFP)
        return double(Fetch(row, index)) / double(mMax);
    double v;
    if (mFormat.bps == 32) {
        float f;
        std::memcpy(&f, row + 4 * index, 4);
        v = f;
    } else {
        std::memcpy(&v, row + 8 * index, 8);
    }
    if (!(v > 0)) // also NaN
        return 0;
    return v >= 1 ? 1 : v;
}

std::uint8_t ZvTiffSamples::Level(const std::uint8_t *row, std::uint32_t x, int sample) const
{
    if (mFormat.format == SAMPLEFORMAT_IEEEFP)
        return std::uint8_t(Unit(row, x, sample) * 255.0 + 0.5);
    const std::uint64_t v = Fetch(row, std::size_t(x) * mStride + std::size_t(sample));
    if (mFormat.bps == 8)
        return std::uint8_t(v);
    return std::uint8_t((v * 255 + mMax / 2) / mMax);
}

void ZvTiffSamples::PutIndex(std::uint8_t *row, std::uint32_t x, std::uint32_t bpp, std::uint8_t index)
{
    switch (bpp) {
    case 8: row[x] = index; break;
    case 4: {
        std::uint8_t &b = row[x >> 1];
        b = (x & 1) ? std::uint8_t((b & 0xF0) | (index & 0x0F)) : std::uint8_t((b & 0x0F) | (index << 4));
        break;
    }
    default: {
        std::uint8_t &b = row[x >> 3];
        const std::uint8_t mask = std::uint8_t(0x80 >> (x & 7));
        b = (index & 1) ? std::uint8_t(b | mask) : std::uint8_t(b & ~mask);
        break;
    }
    }
}

void ZvTiffSamples::RgbToBgr(const std::uint8_t *src, std::uint8_t *dst, std::uint32_t width,
                             std::uint32_t stride)
{
    if (stride == 3) {
        SwapRedBlue(src, dst, width);
        return;
    }
    for (std::uint32_t x = 0; x < width; ++x, src += stride, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

namespace {

// Five pixels per step: one 16-byte load, a byte shuffle, one 16-byte
// store. Reads and writes stay inside the 3 x width bytes, since the last
// step is left to the plain loop while fewer than six pixels remain.
__attribute__((target("ssse3"))) std::uint32_t swapRedBlueSsse3(const std::uint8_t *src, std::uint8_t *dst,
                                                                std::uint32_t width)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    std::uint32_t x = 0;
    for (; x + 6 <= width; x += 5, src += 15, dst += 15) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_shuffle_epi8(v, order));
    }
    return x;
}

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}

} // namespace

void ZvTiffSamples::SwapRedBlue(const std::uint8_t *src, std::uint8_t *dst, std::uint32_t width)
{
    std::uint32_t x = 0;
    if (haveSsse3())
        x = swapRedBlueSsse3(src, dst, width);
    for (src += 3 * std::size_t(x), dst += 3 * std::size_t(x); x < width; ++x, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

void ZvTiffSamples::AbgrToBgr(const std::uint32_t *src, std::uint8_t *dst, std::uint8_t *alpha,
                              std::uint32_t width)
{
    for (std::uint32_t x = 0; x < width; ++x, dst += 3) {
        const std::uint32_t p = src[x];
        const std::uint8_t a = std::uint8_t(TIFFGetA(p));
        const std::uint8_t rgb[3] = {std::uint8_t(TIFFGetR(p)), std::uint8_t(TIFFGetG(p)),
                                     std::uint8_t(TIFFGetB(p))};
        for (int k = 0; k < 3; ++k)
            dst[2 - k] = alpha ? Unpremultiply(rgb[k], a) : rgb[k];
        if (alpha)
            alpha[x] = a;
    }
}

std::uint8_t ZvTiffSamples::Unpremultiply(std::uint8_t c, std::uint8_t a)
{
    if (a == 255 || a == 0)
        return a == 0 ? 0 : c;
    return std::uint8_t(std::min<std::uint32_t>(255, (std::uint32_t(c) * 255 + a / 2) / a));
}
