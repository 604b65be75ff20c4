// imagelib/codec_jas.h
#pragma once

#include "imagelib/codec.h"

// The JPEG 2000 family and its small neighbours: JP2 and JPC/J2K through
// OpenJPEG; PGX, PNM and Sun RAS read and written here. Constructed with
// type 0 and told the type; a decode of type 0 recognises all five.
class ZvImageJAS : public ZvCodec
{
public:
    explicit ZvImageJAS(std::uint32_t imagetype = 0)
        : ZvCodec(0)
        , mJasType(imagetype)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

private:
    std::uint32_t mJasType;
};
