// imagelib/codecs/whole_file_codec.h
#pragma once

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/decode_source.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A read-only codec over a library that parses the whole file from memory
// and may decode a smaller rendition than the file holds (HEIF, camera
// RAW). Decode checks the file's head, reads the file within the format's
// limits and hands the bytes to DecodeBytes; a failure leaves no picture,
// and a refusal by the size gate is reported as TooLarge. One thread at a
// time per object.
class ZvWholeFileCodec : public ZvCodec
{
  public:
    // What tells the formats apart.
    struct Format
    {
        const char *name;       // in "Can't save this image as <name>"
        std::size_t probeBytes; // how much of the head isOurs looks at, at most kMaxProbe
        bool (*isOurs)(const std::uint8_t *head, std::size_t size);
        const char *notOurs;     // the message when isOurs says no
        const char *outOfMemory; // the message when an allocation fails
        ZvDecodeLimits limits;
    };
    static constexpr std::size_t kMaxProbe = 4096;

    bool Decode(ZvFile *stream) final;
    // Refuses: these formats are read only.
    bool Encode(ZvFile *stream) final;
    // The header with the sides and bits per pixel of the picture as the
    // file stores it (mAsLoaded), whichever rendition was decoded.
    BITMAPINFOHEADER AsLoadedHead() const final;

  protected:
    ZvWholeFileCodec(std::uint32_t imagetype, const Format &format)
        : ZvCodec(imagetype)
        , mFormat(format)
    {
    }

    // Decodes the file's bytes into this picture (or only the header with
    // the escape field at -1) and fills mAsLoaded; throws ZvCodecError.
    virtual void DecodeBytes(std::vector<std::uint8_t> &bytes) = 0;

    BITMAPINFOHEADER mAsLoaded{};

  private:
    bool IsOurFile(ZvFile *stream) const;

    const Format mFormat;
};
