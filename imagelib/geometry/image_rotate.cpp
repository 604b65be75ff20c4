// imagelib/geometry/image_rotate.cpp
// Quarter and half turns of ZvImage. Rows are bottom-up, so "left" (counter-
// clockwise as displayed) maps result (x, y) to source (y, height - 1 - x).
#include "imagelib/core/image.h"

#include "imagelib/geometry/geometry_rows.h"
#include "imagelib/geometry/geometry_target.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Tile edge in pixels. A 64 x 64 tile of 24-bit pixels touches 12 KB of
// source and 12 KB of result, so both stay in L1 while the tile is walked;
// without tiling every result row would pull one cache line per pixel.
constexpr std::int32_t kTile = 64;

// Result row r, column c is the source pixel at first + r * rowStep + c * colStep.
// edgeRow is the result row that reads the source's last column.
struct QuarterTurn
{
    const std::uint8_t *first;
    std::ptrdiff_t rowStep;
    std::ptrdiff_t colStep;
    std::int32_t edgeRow;
};

QuarterTurn quarterTurnOf(const ZvRowView &src, bool left, std::ptrdiff_t pixelBytes)
{
    const std::ptrdiff_t stride = std::ptrdiff_t(src.stride);
    if (left)
        return QuarterTurn{src.row(src.height - 1), pixelBytes, -stride, src.width - 1};
    return QuarterTurn{src.row(0) + (src.width - 1) * pixelBytes, -pixelBytes, stride, 0};
}

// The strided source reads defeat the hardware prefetchers, so the lines of
// the next tile are asked for while this one is copied. Addresses are formed
// as integers; only bytes inside the picture are named.
template <int ForWrite> void prefetchBytes(const std::uint8_t *from, std::size_t bytes)
{
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(from);
    for (std::uintptr_t a = start & ~std::uintptr_t(63); a < start + bytes; a += 64)
        __builtin_prefetch(reinterpret_cast<const void *>(a), ForWrite, 3);
}

// Pixels c0..c1-1 of one result row. 24-bit pixels move as 4-byte words, the
// spare byte being overwritten by the next pixel and the last moving as 3
// bytes; not from the source's last column, whose fourth byte may lie past
// the end of the block.
template <std::size_t N>
void copyRun(const std::uint8_t *s, std::ptrdiff_t step, std::uint8_t *d, std::int32_t c0, std::int32_t c1,
             bool wide)
{
    std::int32_t c = c0;
    if constexpr (N == 3) {
        for (; wide && c + 1 < c1; ++c) {
            std::uint32_t v;
            std::memcpy(&v, s + c * step, 4);
            std::memcpy(d + std::size_t(c) * 3, &v, 4);
        }
    }
    for (; c < c1; ++c)
        std::memcpy(d + std::size_t(c) * N, s + c * step, N);
}

template <std::size_t N>
void turnTile(const QuarterTurn &turn, const ZvRowView &dst, std::int32_t r0, std::int32_t r1,
              std::int32_t c0, std::int32_t c1)
{
    const std::int32_t nextEnd = std::min(dst.width, c1 + kTile);
    const std::int32_t lowRow = turn.rowStep > 0 ? r0 : r1 - 1;
    for (std::int32_t r = r0; r < r1; ++r) {
        const std::uint8_t *s = turn.first + r * turn.rowStep;
        std::uint8_t *d = dst.row(r);
        const std::int32_t ahead = c1 + (r - r0);
        if (ahead < nextEnd)
            prefetchBytes<0>(turn.first + ahead * turn.colStep + lowRow * turn.rowStep,
                             std::size_t(r1 - r0) * N);
        if (c1 < nextEnd)
            prefetchBytes<1>(d + std::size_t(c1) * N, std::size_t(nextEnd - c1) * N);
        copyRun<N>(s, turn.colStep, d, c0, c1, r != turn.edgeRow);
    }
}

// 8- and 24-bit pixels and alpha bytes.
template <std::size_t N>
void turnBytes(const QuarterTurn &turn, const ZvRowView &dst, const ZvRowProgress &progress)
{
    for (std::int32_t r0 = 0; r0 < dst.height; r0 += kTile) {
        progress.next(r0, dst.height);
        const std::int32_t r1 = std::min(dst.height, r0 + kTile);
        for (std::int32_t c0 = 0; c0 < dst.width; c0 += kTile)
            turnTile<N>(turn, dst, r0, r1, c0, std::min(dst.width, c0 + kTile));
    }
}

// 1-bit pictures on their packed rows: the result starts all 0 and each set
// source bit sets its mapped bit. Source padding bits map outside and are skipped.
void turnBits(const ZvRowView &src, const ZvRowView &dst, bool left)
{
    const std::size_t rowBytes = (std::size_t(src.width) + 7) / 8;
    for (std::int32_t sy = 0; sy < src.height; ++sy) {
        const std::uint8_t *s = src.row(sy);
        const std::int32_t c = left ? src.height - 1 - sy : sy;
        const std::uint8_t bit = std::uint8_t(0x80 >> (c & 7));
        for (std::size_t k = 0; k < rowBytes; ++k) {
            for (std::uint32_t b = 0; s[k] != 0 && b < 8; ++b) {
                const std::int32_t sx = std::int32_t(k * 8 + b);
                if (sx >= src.width || !(s[k] & (0x80 >> b)))
                    continue;
                dst.row(left ? sx : src.width - 1 - sx)[c >> 3] |= bit;
            }
        }
    }
}

// 4-bit pictures, index by index into a cleared result.
void turnNibbles(const ZvRowView &src, const ZvRowView &dst, bool left, const ZvRowProgress &progress)
{
    for (std::int32_t r = 0; r < dst.height; ++r) {
        progress.next(r, dst.height);
        const std::int32_t sx = left ? r : src.width - 1 - r;
        for (std::int32_t c = 0; c < dst.width; ++c) {
            const std::int32_t sy = left ? src.height - 1 - c : c;
            zvRowOrIndex(dst.row(r), c, 4, zvRowIndex(src.row(sy), sx, 4));
        }
    }
}

template <std::size_t N>
void halfTurnBytes(const ZvRowView &src, const ZvRowView &dst, const ZvRowProgress &progress)
{
    for (std::int32_t y = 0; y < src.height; ++y) {
        progress.next(y, src.height);
        const std::uint8_t *s = src.row(y);
        std::uint8_t *d = dst.row(src.height - 1 - y) + std::size_t(src.width) * N;
        for (std::int32_t x = 0; x < src.width; ++x, s += N) {
            d -= N;
            std::memcpy(d, s, N);
        }
    }
}

// 1- and 4-bit pictures, index by index into a cleared result.
void halfTurnIndices(const ZvRowView &src, const ZvRowView &dst, const ZvRowProgress &progress)
{
    for (std::int32_t y = 0; y < src.height; ++y) {
        progress.next(y, src.height);
        const std::uint8_t *s = src.row(y);
        std::uint8_t *d = dst.row(src.height - 1 - y);
        for (std::int32_t x = 0; x < src.width; ++x)
            zvRowOrIndex(d, src.width - 1 - x, src.bpp, zvRowIndex(s, x, src.bpp));
    }
}

void halfTurnPixels(const ZvRowView &src, ZvGeometryTarget &result, const ZvRowProgress &progress)
{
    const ZvRowView dst = ZvRowView::of(result);
    if (src.bpp == 24) {
        halfTurnBytes<3>(src, dst, progress);
    } else if (src.bpp == 8) {
        halfTurnBytes<1>(src, dst, progress);
    } else {
        result.ClearPixels();
        halfTurnIndices(src, dst, progress);
    }
    result.ClearPadding(dst.height);
}

void quarterTurnPixels(const ZvRowView &src, ZvGeometryTarget &result, bool left,
                       const ZvRowProgress &progress)
{
    const ZvRowView dst = ZvRowView::of(result);
    if (src.width == 0 || src.height == 0)
        return;
    if (src.bpp == 24 || src.bpp == 8) {
        if (src.bpp == 24)
            turnBytes<3>(quarterTurnOf(src, left, 3), dst, progress);
        else
            turnBytes<1>(quarterTurnOf(src, left, 1), dst, progress);
        result.ClearPadding(dst.height);
        return;
    }
    result.ClearPixels();
    if (src.bpp == 1)
        turnBits(src, dst, left);
    else
        turnNibbles(src, dst, left, progress);
}

bool quarterTurn(ZvImage &image, bool left, const ZvRowProgress &progress, ZvImage *iDst)
{
    if (!image.IsValid())
        return false;
    ZvGeometryTarget result;
    if (!result.Prepare(image, image.GetHeight(), image.GetWidth()))
        return false;
    if (image.AlphaIsValid() && !result.PrepareAlpha(image))
        return false;
    quarterTurnPixels(ZvRowView::of(image), result, left, progress);
    if (image.AlphaIsValid() && image.GetWidth() && image.GetHeight()) {
        const ZvRowView alpha = ZvRowView::alphaOf(image);
        turnBytes<1>(quarterTurnOf(alpha, left, 1), ZvRowView::alphaOf(result), ZvRowProgress());
    }
    return result.MoveInto(image, iDst);
}

} // namespace

bool ZvImage::RotateLeft(ZvImage *iDst)
{
    return quarterTurn(*this, true, ZvRowProgress{&mInfo.nProgress, nullptr}, iDst);
}

bool ZvImage::RotateRight(ZvImage *iDst)
{
    return quarterTurn(*this, false, ZvRowProgress{&mInfo.nProgress, nullptr}, iDst);
}

bool ZvImage::Rotate180(ZvImage *iDst)
{
    if (!IsValid())
        return false;
    ZvGeometryTarget result;
    if (!result.Prepare(*this, GetWidth(), GetHeight()))
        return false;
    if (mAlpha && !result.PrepareAlpha(*this))
        return false;
    halfTurnPixels(ZvRowView::of(*this), result, ZvRowProgress{&mInfo.nProgress, nullptr});
    if (mAlpha)
        halfTurnBytes<1>(ZvRowView::alphaOf(*this), ZvRowView::alphaOf(result), ZvRowProgress());
    return result.MoveInto(*this, iDst);
}
