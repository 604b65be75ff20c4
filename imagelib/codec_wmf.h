// imagelib/codec_wmf.h
#pragma once

#include "imagelib/codec.h"

// WMF and EMF metafiles, rendered; not written.
class ZvImageWMF : public ZvCodec
{
public:
    ZvImageWMF()
        : ZvCodec(ZV_TYPE_WMF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
};
