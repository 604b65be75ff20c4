// imagelib/codecs/jpeg2000/codec_jas.h
#pragma once

#include "imagelib/codecs/codec.h"

// The JPEG 2000 family and its small neighbours: JP2 and JPC/J2K through
// OpenJPEG; PGX, PNM and Sun RAS read and written here. Constructed with
// type 0 and told the type; a decode of type 0 recognises all five by their
// first bytes, a typed decode accepts only its own format. Encoders take
// 24-bit or greyscale-palette pictures (PGX greyscale only) and write 8-bit
// grey or RGB.
//
// Orientation: none: these formats have no such field.
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
    void DecodeAs(std::uint32_t type, ZvFile *stream);
    void CheckEncodable() const;

    std::uint32_t mJasType;
};
