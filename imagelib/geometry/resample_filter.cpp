// imagelib/geometry/resample_filter.cpp
// The interpolating fills of Resample: bilinear (mode 0 when area averaging
// does not apply) and bicubic B-spline (mode 2). Single precision throughout,
// in the order the formulas are written, so results are reproducible to the bit;
// this file is built without floating-point contraction for that reason.
#include "imagelib/geometry/resample_kernels.h"

#include "imagelib/core/image.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Both kinds of source hand out a pointer to three bytes blue, green, red:
// the pixel itself, or the palette entry of its index.
struct TrueColourPixels
{
    const std::uint8_t *at(const std::uint8_t *row, std::int32_t x) const { return row + std::size_t(x) * 3; }
};

struct IndexedPixels
{
    const RGBQUAD *palette;
    std::uint32_t bpp;
    const std::uint8_t *at(const std::uint8_t *row, std::int32_t x) const
    {
        return reinterpret_cast<const std::uint8_t *>(&palette[zvRowIndex(row, x, bpp)]);
    }
};

struct TrueColourSink
{
    void put(std::uint8_t *row, std::int32_t x, std::uint8_t b, std::uint8_t g, std::uint8_t r) const
    {
        std::uint8_t *p = row + std::size_t(x) * 3;
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
};

// Indexed results store the palette entry nearest to the colour. The full
// search is 256 distances; interpolated colours repeat a lot, so answers are
// remembered in a small direct-mapped table (the same answers, found sooner).
class IndexedSink
{
  public:
    IndexedSink(ZvImage *result, std::uint32_t bpp)
        : mResult(result)
        , mBpp(bpp)
        , mMemo(kMemoSize)
    {
    }

    void put(std::uint8_t *row, std::int32_t x, std::uint8_t b, std::uint8_t g, std::uint8_t r)
    {
        const std::uint32_t key = std::uint32_t(b) | std::uint32_t(g) << 8 | std::uint32_t(r) << 16;
        Memo &memo = mMemo[(key * 2654435761u) >> (32 - kMemoBits)];
        if (!memo.valid || memo.key != key)
            memo = Memo{key, mResult->GetNearestIndex(RGBQUAD{b, g, r, 0}), true};
        zvRowOrIndex(row, x, mBpp, memo.index);
    }

  private:
    struct Memo
    {
        std::uint32_t key = 0;
        std::uint8_t index = 0;
        bool valid = false;
    };
    static constexpr int kMemoBits = 12;
    static constexpr std::size_t kMemoSize = std::size_t(1) << kMemoBits;

    ZvImage *mResult;
    std::uint32_t mBpp;
    std::vector<Memo> mMemo;
};

// Truncation toward zero, then the low 8 bits.
inline std::uint8_t toByte(float v)
{
    return std::uint8_t(std::int32_t(v));
}

struct LinearTap
{
    std::int32_t i0, i1;
    float d;
};

LinearTap linearTap(std::int32_t x, float scale, std::int32_t limit)
{
    const float f = float(x) * scale;
    const std::int32_t i = std::int32_t(f);
    return LinearTap{std::min(limit - 1, i), std::min(limit - 1, i + 1), f - float(i)};
}

template <class Pixels, class Sink>
std::int32_t bilinearRows(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale,
                          Pixels pixels, Sink &&sink, const ZvRowProgress &progress)
{
    std::vector<LinearTap> cols(static_cast<std::size_t>(dst.width));
    for (std::int32_t x = 0; x < dst.width; ++x)
        cols[std::size_t(x)] = linearTap(x, xScale, src.width);
    for (std::int32_t y = 0; y < dst.height; ++y) {
        if (!progress.next(y, dst.height))
            return y;
        const LinearTap t = linearTap(y, yScale, src.height);
        const std::uint8_t *r0 = src.row(t.i0);
        const std::uint8_t *r1 = src.row(t.i1);
        const float dy = t.d;
        std::uint8_t *d = dst.row(y);
        for (std::int32_t x = 0; x < dst.width; ++x) {
            const LinearTap &c = cols[std::size_t(x)];
            const std::uint8_t *c1 = pixels.at(r0, c.i0), *c2 = pixels.at(r0, c.i1);
            const std::uint8_t *c3 = pixels.at(r1, c.i0), *c4 = pixels.at(r1, c.i1);
            const float dx = c.d;
            float v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = (1 - dx) * ((1 - dy) * c1[k] + dy * c3[k]) + dx * ((1 - dy) * c2[k] + dy * c4[k]);
            sink.put(d, x, toByte(v[0]), toByte(v[1]), toByte(v[2]));
        }
    }
    return dst.height;
}

// Cubic B-spline: (1/6)(P(t+2)^3 - 4P(t+1)^3 + 6P(t)^3 - 4P(t-1)^3), P(u) = max(u, 0).
float bspline(float t)
{
    auto cube = [](float u) { return u > 0.0f ? u * u * u : 0.0f; };
    return 0.16666667f * (cube(t + 2.0f) - 4.0f * cube(t + 1.0f) + 6.0f * cube(t) - 4.0f * cube(t - 1.0f));
}

// The four source positions around a result position, clamped into the
// picture, and their weights: w[k] for position i[k] = floor(f) + k - 1.
struct CubicTaps
{
    std::int32_t i[4];
    float w[4];
};

CubicTaps cubicTaps(std::int32_t x, float scale, std::int32_t limit, bool rows)
{
    const float f = float(x) * scale - 0.5f;
    const float fl = std::floor(f);
    const float frac = f - fl;
    CubicTaps taps;
    for (int k = 0; k < 4; ++k) {
        const float n = float(k - 1);
        taps.i[k] = std::clamp(std::int32_t(fl) + k - 1, 0, limit - 1);
        taps.w[k] = rows ? bspline(n - frac) : bspline(frac - n);
    }
    return taps;
}

template <class Pixels, class Sink>
std::int32_t bicubicRows(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale,
                         Pixels pixels, Sink &&sink, const ZvRowProgress &progress)
{
    std::vector<CubicTaps> cols(static_cast<std::size_t>(dst.width));
    for (std::int32_t x = 0; x < dst.width; ++x)
        cols[std::size_t(x)] = cubicTaps(x, xScale, src.width, false);
    for (std::int32_t y = 0; y < dst.height; ++y) {
        if (!progress.next(y, dst.height))
            return y;
        const CubicTaps t = cubicTaps(y, yScale, src.height, true);
        const std::uint8_t *rows[4] = {src.row(t.i[0]), src.row(t.i[1]), src.row(t.i[2]), src.row(t.i[3])};
        std::uint8_t *d = dst.row(y);
        for (std::int32_t x = 0; x < dst.width; ++x) {
            const CubicTaps &c = cols[std::size_t(x)];
            float b = 0, g = 0, r = 0;
            for (int m = 0; m < 4; ++m) {
                for (int n = 0; n < 4; ++n) {
                    const float w = t.w[m] * c.w[n];
                    const std::uint8_t *p = pixels.at(rows[m], c.i[n]);
                    b += w * p[0];
                    g += w * p[1];
                    r += w * p[2];
                }
            }
            sink.put(d, x, toByte(b), toByte(g), toByte(r));
        }
    }
    return dst.height;
}

} // namespace

std::int32_t zvResampleBilinear(const ZvRowView &src, ZvImage &result, float xScale, float yScale,
                                const ZvRowProgress &progress)
{
    const ZvRowView dst = ZvRowView::of(result);
    if (src.bpp == 24)
        return bilinearRows(src, dst, xScale, yScale, TrueColourPixels(), TrueColourSink(), progress);
    return bilinearRows(src, dst, xScale, yScale, IndexedPixels{src.palette, src.bpp},
                        IndexedSink(&result, dst.bpp), progress);
}

std::int32_t zvResampleBicubic(const ZvRowView &src, ZvImage &result, float xScale, float yScale,
                               const ZvRowProgress &progress)
{
    const ZvRowView dst = ZvRowView::of(result);
    if (src.bpp == 24)
        return bicubicRows(src, dst, xScale, yScale, TrueColourPixels(), TrueColourSink(), progress);
    return bicubicRows(src, dst, xScale, yScale, IndexedPixels{src.palette, src.bpp},
                       IndexedSink(&result, dst.bpp), progress);
}
