// imagelib/codecs/ico/codec_ico.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>
#include <vector>

class ZvByteWriter;
struct IcoBitmap;

// Windows icons (and cursors, which share the layout). The frame field of
// the information record selects the entry; the number of frames is the
// entry count. BMP-style entries (1, 4, 8, 16, 24, 32 bits) decode with the
// AND mask, or a 32-bit entry's own alpha, as the alpha plane; PNG entries
// go through the PNG codec. Writes one entry of at most 255 x 255 pixels,
// 32 bits when a 24-bit picture has an alpha plane.
//
// Orientation: none: the format has no such field.
class ZvImageICO : public ZvCodec
{
  public:
    ZvImageICO()
        : ZvCodec(ZV_TYPE_ICO)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    void DecodeStream(ZvFile *stream);
    std::vector<std::uint8_t> ReadEntry(ZvFile *stream);
    void DecodePng(std::vector<std::uint8_t> &data);
    void DecodeBitmap(const std::vector<std::uint8_t> &data);
    void ReadColours(const IcoBitmap &bmp);
    void ReadMask(const IcoBitmap &bmp);
    void EncodeStream(ZvFile *stream);
    void WriteBitmap(ZvByteWriter &out, std::uint32_t bitCount) const;
};
