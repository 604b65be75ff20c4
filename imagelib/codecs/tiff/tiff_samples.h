// imagelib/codecs/tiff/tiff_samples.h
#pragma once

#include <cstddef>
#include <cstdint>

struct ZvTiffSampleFormat
{
    std::uint16_t bps = 8;    // bits per sample
    std::uint16_t format = 1; // SampleFormat tag: 1 unsigned, 3 floating point, 4 void
};

// Reads samples out of decoded TIFF rows. libtiff has already put 16-, 24-,
// 32- and 64-bit samples into host byte order; other depths are packed
// most significant bit first.
class ZvTiffSamples
{
  public:
    // stride: samples per pixel in the rows read (1 for a separated plane).
    ZvTiffSamples(ZvTiffSampleFormat format, std::uint32_t stride);

    // Unsigned integers of 1 to 32 bits, and 32- or 64-bit floats.
    static bool Readable(ZvTiffSampleFormat format);

    // The stored value of sample `sample` of pixel x (integers only).
    std::uint32_t Raw(const std::uint8_t *row, std::uint32_t x, int sample) const;
    // The value as a fraction of full scale, 0..1; floats are taken as they are, clamped.
    double Unit(const std::uint8_t *row, std::uint32_t x, int sample) const;
    // The same scaled to 0..255, rounded.
    std::uint8_t Level(const std::uint8_t *row, std::uint32_t x, int sample) const;

    static void PutIndex(std::uint8_t *row, std::uint32_t x, std::uint32_t bpp, std::uint8_t index);
    // 8-bit RGB(+more) pixels of `stride` samples to the DIB's blue-green-red.
    static void RgbToBgr(const std::uint8_t *src, std::uint8_t *dst, std::uint32_t width,
                         std::uint32_t stride);
    // Three-byte pixels with the first and third bytes exchanged (RGB to
    // BGR and back); src and dst must not overlap.
    static void SwapRedBlue(const std::uint8_t *src, std::uint8_t *dst, std::uint32_t width);
    // libtiff's packed RGBA raster (red in the low byte) to blue-green-red
    // and, when alpha is not null, straight alpha.
    static void AbgrToBgr(const std::uint32_t *src, std::uint8_t *dst, std::uint8_t *alpha,
                          std::uint32_t width);
    // A colour premultiplied by alpha, back to a straight colour.
    static std::uint8_t Unpremultiply(std::uint8_t c, std::uint8_t a);

  private:
    std::uint64_t Fetch(const std::uint8_t *row, std::size_t index) const;

    ZvTiffSampleFormat mFormat;
    std::uint32_t mStride;
    std::uint64_t mMax; // largest integer value
};
