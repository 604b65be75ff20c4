// imagelib/codec_tga.h
#pragma once

#include "imagelib/codec.h"

// Truevision TGA: colour-mapped, true-colour and grey, raw and RLE.
class ZvImageTGA : public ZvCodec
{
public:
    ZvImageTGA()
        : ZvCodec(ZV_TYPE_TGA)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
