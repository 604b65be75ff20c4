// imagelib/codecs/tga/codec_tga.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>

class ZvByteReader;
class ZvByteWriter;
struct TgaHeader;

// Truevision TGA: colour-mapped, true-colour (15, 16, 24, 32 bits) and grey
// pictures, raw and run-length, in any row and column order. Colour-mapped
// and grey pictures decode to 8 bits, the others to 24; a 32-bit alpha
// channel (or the alpha of 16-bit grey) goes into the alpha plane unless it
// is zero throughout, which marks a channel the writer left unused.
// Writes 8-bit pictures colour-mapped and 24-bit ones as true colour (32
// bits when an alpha plane exists), uncompressed and bottom row first.
//
// Orientation: none: the header's row and column order is a storage order, read as such.
class ZvImageTGA : public ZvCodec
{
  public:
    ZvImageTGA()
        : ZvCodec(ZV_TYPE_TGA)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    void DecodeStream(ZvFile *stream);
    void ReadColourMap(ZvByteReader &in, const TgaHeader &head, RGBQUAD *palette);
    void ReadRows(ZvByteReader &in, const TgaHeader &head);
    void EncodeStream(ZvFile *stream);
    void WriteRows(ZvByteWriter &out) const;
};
