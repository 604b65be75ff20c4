// imagelib/codec_bmp.h
#pragma once

#include "imagelib/codec.h"

// BMP: 1/4/8/16/24/32 bits, RLE4/RLE8, bit fields, OS/2 headers.
class ZvImageBMP : public ZvCodec
{
public:
    ZvImageBMP()
        : ZvCodec(ZV_TYPE_BMP)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
