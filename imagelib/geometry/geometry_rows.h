// imagelib/geometry/geometry_rows.h
#pragma once

#include "platform/win_types.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

class ZvImage;

// A picture's pixel rows as the resample and rotate kernels see them.
// Row 0 is the bottom row; rows are stride bytes apart. palette is null for
// 24-bit pictures. The view borrows the buffer of the image it came from.
struct ZvRowView
{
    std::uint8_t *bits = nullptr;
    std::size_t stride = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t bpp = 0;
    const RGBQUAD *palette = nullptr;

    static ZvRowView of(const ZvImage &image);
    // The alpha plane: one byte per pixel, rows exactly width bytes apart.
    static ZvRowView alphaOf(const ZvImage &image);

    std::uint8_t *row(std::int32_t y) const { return bits + std::size_t(y) * stride; }
};

// The progress and escape fields of the picture being worked on. A progress
// window on another thread may poll them, hence the relaxed atomic access.
struct ZvRowProgress
{
    std::int32_t *progress = nullptr;
    std::int32_t *escape = nullptr;
    const std::atomic<std::int32_t> *stop = nullptr; // the picture's stop flag, see ZvImage::SetStopFlag

    // Call before row `row` of `rows`; false when the caller asked to stop.
    bool next(std::int64_t row, std::int64_t rows) const
    {
        if (progress)
            std::atomic_ref<std::int32_t>(*progress).store(std::int32_t(100 * row / rows),
                                                           std::memory_order_relaxed);
        if (stop && stop->load(std::memory_order_relaxed) != 0)
            return false;
        return !escape || std::atomic_ref<std::int32_t>(*escape).load(std::memory_order_relaxed) == 0;
    }
};

// Index of pixel x in a 1-, 4- or 8-bit row; the left pixel sits in the high bits.
inline std::uint8_t zvRowIndex(const std::uint8_t *row, std::int32_t x, std::uint32_t bpp)
{
    if (bpp == 8)
        return row[x];
    if (bpp == 4)
        return std::uint8_t((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    return std::uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
}

// Sets an index into a row whose bits at x are still 0 (rows are cleared first).
inline void zvRowOrIndex(std::uint8_t *row, std::int32_t x, std::uint32_t bpp, std::uint8_t index)
{
    if (bpp == 8)
        row[x] = index;
    else if (bpp == 4)
        row[x >> 1] |= std::uint8_t((x & 1) ? (index & 0x0F) : ((index & 0x0F) << 4));
    else if (index & 1)
        row[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
}
