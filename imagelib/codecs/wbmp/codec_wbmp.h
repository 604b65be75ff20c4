// imagelib/codecs/wbmp/codec_wbmp.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>

class ZvByteReader;

// Wireless bitmap, type 0: 1-bit pictures, 1 for white, rows from the top
// down. Decodes to a 1-bit picture with the palette black, white; writes
// 1-bit pictures of at most 255 x 255 pixels.
//
// The format has no signature, so almost any bytes starting with two zeros
// read as some WBMP. Content sniffing therefore asks for an exact fit: every
// integer in its shortest form and the stream ending after the last row,
// short of a further row. A decode of a file known to be WBMP tolerates any
// bytes after the rows.
//
// Orientation: none: the format has no such field.
class ZvImageWBMP : public ZvCodec
{
  public:
    enum class Fit { Lenient, Exact };

    explicit ZvImageWBMP(Fit fit = Fit::Lenient)
        : ZvCodec(ZV_TYPE_WBMP)
        , mFit(fit)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    void DecodeStream(ZvFile *stream);
    void ReadRows(ZvByteReader &in);
    bool ReadInteger(ZvByteReader &in, std::uint32_t &value) const;

    Fit mFit;
};
