// imagelib/core/bmp_pixels.h
#pragma once

#include "imagelib/core/bmp_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class ZvImage;

enum class BmpStatus { Done, Truncated, Cancelled };

// The message for a status other than Done.
inline const char *bmpStatusMessage(BmpStatus status)
{
    return status == BmpStatus::Cancelled ? kBmpErrCancelled : kBmpErrCorrupted;
}

// Turns stored BMP pixel data into the rows of a ZvImage made with
// BmpTargetBpp of the layout's bit count: plain rows of 1/2/4/8/24 bits,
// 16- and 32-bit bit-field pixels scaled to 8 bits per channel, and RLE8 /
// RLE4 data. Used for files, memory blocks and archive records alike.
// Stored row r goes to image row r, or to height - 1 - r when top-down.
class BmpPixels
{
  public:
    explicit BmpPixels(const BmpLayout &layout);

    // Whether the pixels carry alpha worth an alpha plane (bit fields with
    // an alpha mask). Call BeginAlpha before and FinishAlpha after the rows.
    bool HasAlpha() const { return mLayout.alpha.max != 0; }
    void BeginAlpha(ZvImage &image) const;
    // Drops a plane that says nothing: all transparent (writers that leave
    // the alpha bits zero mean an opaque picture) or all opaque.
    static void FinishAlpha(ZvImage &image);

    // Converts one stored row of srcBytes bytes (at least the bytes that
    // carry pixels) into the image row `row` counted as stored.
    void ConvertRow(const std::uint8_t *src, std::size_t srcBytes, ZvImage &image, std::uint32_t row) const;

    // Decodes run-length data. Pixels it does not reach keep index 0.
    // Done after end-of-bitmap, or after the last row is filled;
    // Truncated when the data end first. Checks the escape field per row.
    BmpStatus DecodeRle(const std::uint8_t *src, std::size_t size, ZvImage &image) const;

    // Decodes all pixel data held in memory, plain or run-length, alpha included.
    BmpStatus DecodeAll(const std::uint8_t *src, std::size_t size, ZvImage &image) const;

    // The image row (bottom-up) that stored row `row` belongs in.
    std::uint32_t TargetRow(std::uint32_t row) const
    {
        return mLayout.topDown ? mLayout.height - 1 - row : row;
    }

  private:
    // Channel value scaled to 0..255, through a table for narrow channels.
    struct Scaler
    {
        BmpChannel channel;
        std::vector<std::uint8_t> table;
        std::uint8_t operator()(std::uint32_t pixel) const;
    };
    static Scaler makeScaler(const BmpChannel &channel);

    void convertTrueColour(const std::uint8_t *src, std::uint8_t *dst, std::uint8_t *alpha) const;
    void convert2To4(const std::uint8_t *src, std::uint8_t *dst) const;

    BmpLayout mLayout;
    std::array<Scaler, 4> mScalers; // blue, green, red, alpha
};
