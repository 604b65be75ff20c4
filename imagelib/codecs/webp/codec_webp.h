// imagelib/codecs/webp/codec_webp.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstddef>
#include <cstdint>

// WebP over libwebp.
//
// Decoding gives 24 bits per pixel, plus the alpha plane when the file has
// alpha; of an animated file the first frame as it shows on the canvas.
// WebP has no orientation of its own: an EXIF chunk's orientation is
// applied to the pixels, as for a JPEG, and a kept EXIF block says 1.
// Kept photo information: the EXIF, XMP and ICCP chunks. Every decode
// states the picture's colours: the ICCP chunk's profile, else Adobe RGB
// when the EXIF chunk carries DCF's mark of it.
//
// Encoding takes any picture; lossy at the JPEG quality (0..100) unless
// the codec option holds kLossless. Kept photo information is written into
// its chunks.
//
// Orientation: EXIF's is handed on, for the caller to turn as a JPEG's (WebP has none of its own).
class ZvImageWEBP : public ZvCodec
{
  public:
    // Codec option bits.
    static constexpr std::uint32_t kLossless = 1;

    ZvImageWEBP()
        : ZvCodec(ZV_TYPE_WEBP)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

    // "RIFF" size "WEBP": what content sniffing looks for.
    static bool HasSignature(const std::uint8_t *head, std::size_t size);

  private:
    struct Source;

    void DecodeBody(ZvFile *stream);
    int ReadPhotoInfo(const Source &source);
    void DecodeStill(const Source &source, bool alpha);
    void DecodeFirstFrame(const Source &source, bool alpha);
    void StoreBgra(const std::uint8_t *rows, std::size_t stride);
    void EncodeBody(ZvFile *stream);
};
