// imagelib/codecs/pcx/codec_pcx.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>

class ZvByteReader;
class ZvByteWriter;
struct PcxHeader;

// PCX, raw or run-length. Reads 1 bit x 1..4 planes (1-bit, or 4-bit with
// the header's 16 colours), 2 and 4 bits packed in one plane (4-bit), 8 bits
// in one plane (the 256-colour map after the pixels), 3 planes (24-bit) and
// 4 planes (24-bit with alpha). Writes 1, 4, 8 and 24-bit pictures (24 with
// an alpha plane as 4 planes), rows from the top down, runs per plane line.
//
// Orientation: none: the format has no such field.
class ZvImagePCX : public ZvCodec
{
  public:
    ZvImagePCX()
        : ZvCodec(ZV_TYPE_PCX)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    void DecodeStream(ZvFile *stream);
    void ReadRows(ZvByteReader &in, const PcxHeader &head);
    void ReadPalette(ZvFile *stream, const PcxHeader &head);
    void EncodeStream(ZvFile *stream);
    void WriteRows(ZvByteWriter &out, std::uint32_t bytesPerLine) const;
};
