// imagelib/codec_jpg.h
#pragma once

#include "imagelib/codec.h"

// JPEG over libjpeg, with EXIF resolution and scaled decoding.
class ZvImageJPG : public ZvCodec
{
public:
    ZvImageJPG()
        : ZvCodec(ZV_TYPE_JPG)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
