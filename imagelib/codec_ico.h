// imagelib/codec_ico.h
#pragma once

#include "imagelib/codec.h"

// Windows icons: BMP-style and PNG-compressed entries.
class ZvImageICO : public ZvCodec
{
public:
    ZvImageICO()
        : ZvCodec(ZV_TYPE_ICO)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
