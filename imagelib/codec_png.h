// imagelib/codec_png.h
#pragma once

#include "imagelib/codec.h"

// PNG over libpng.
class ZvImagePNG : public ZvCodec
{
public:
    ZvImagePNG()
        : ZvCodec(ZV_TYPE_PNG)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
