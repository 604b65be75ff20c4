// imagelib/codec_tif.h
#pragma once

#include "imagelib/codec.h"

// TIFF over libtiff; pages are frames.
class ZvImageTIF : public ZvCodec
{
public:
    ZvImageTIF()
        : ZvCodec(ZV_TYPE_TIF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
