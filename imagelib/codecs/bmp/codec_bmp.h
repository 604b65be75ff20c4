// imagelib/codecs/bmp/codec_bmp.h
#pragma once

#include "imagelib/codecs/codec.h"
#include "imagelib/core/bmp_layout.h"

class BmpPixels;

// BMP: 1/2/4/8/16/24/32 bits, RLE4/RLE8, bit fields, OS/2 1.x and 2.x headers,
// version 2 to 5 headers, top-down rows. Writes the DIB block as held.
//
// Orientation: none: the format has no such field (top-down rows are a storage order, read as such).
class ZvImageBMP : public ZvCodec
{
  public:
    ZvImageBMP()
        : ZvCodec(ZV_TYPE_BMP)
    {
    }

    // With the escape field at -1 only the headers are read: the header
    // then holds width, height and bit count, and the result is false with
    // "output dimensions returned".
    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    // Where the parts of a file lie, in bytes from its first byte.
    struct Placement
    {
        std::uint64_t paletteStart = 0;
        std::uint64_t paletteEntries = 0;
        std::uint64_t dataOffset = 0;
    };

    void DecodeStream(ZvFile &stream);
    BmpLayout ReadHeaders(ZvFile &stream, std::int64_t start, std::uint32_t &offBits);
    static Placement Place(const BmpLayout &layout, std::uint32_t offBits, std::int64_t fileSize);
    void ReadPalette(ZvFile &stream, std::int64_t start, const BmpLayout &layout, const Placement &at);
    void ReadPlainRows(ZvFile &stream, const BmpLayout &layout, const BmpPixels &pixels);
    void ReadRle(ZvFile &stream, const BmpLayout &layout, const BmpPixels &pixels, std::int64_t available);
};
