// imagelib/codec_pcx.h
#pragma once

#include "imagelib/codec.h"

// PCX: 1, 4, 8 and 24 bits.
class ZvImagePCX : public ZvCodec
{
public:
    ZvImagePCX()
        : ZvCodec(ZV_TYPE_PCX)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
