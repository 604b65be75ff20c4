// imagelib/codec_gif.h
#pragma once

#include "imagelib/codec.h"

// GIF: first or selected frame; indexed or tiled 24-bit output.
class ZvImageGIF : public ZvCodec
{
public:
    ZvImageGIF()
        : ZvCodec(ZV_TYPE_GIF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
