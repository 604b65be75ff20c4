// imagelib/codecs/wbmp/codec_wbmp.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>

class ZvByteReader;

// Wireless bitmap, type 0: 1-bit pictures, 1 for white, rows from the top
// down. Decodes to a 1-bit picture with the palette black, white; writes
// 1-bit pictures of at most 255 x 255 pixels.
class ZvImageWBMP : public ZvCodec
{
public:
    ZvImageWBMP()
        : ZvCodec(ZV_TYPE_WBMP)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

private:
    void DecodeStream(ZvFile *stream);
    void ReadRows(ZvByteReader &in);
};
