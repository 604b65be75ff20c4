// imagelib/codec_wbmp.h
#pragma once

#include "imagelib/codec.h"

// Wireless bitmap, type 0.
class ZvImageWBMP : public ZvCodec
{
public:
    ZvImageWBMP()
        : ZvCodec(ZV_TYPE_WBMP)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
