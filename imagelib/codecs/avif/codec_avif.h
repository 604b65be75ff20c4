// imagelib/codecs/avif/codec_avif.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstddef>
#include <cstdint>

struct avifImage;

// AVIF over libavif.
//
// Decoding gives 24 bits per pixel, plus the alpha plane when the file has
// alpha; 10- and 12-bit pictures are rounded to 8 bits. Of an image
// sequence the first picture. libavif leaves the turn and mirror boxes
// (irot, imir) to us: they are applied, so the pixels come upright, and a
// kept EXIF block says orientation 1. Kept photo information: EXIF, XMP
// and the ICC profile. The picture's colour description is its ICC
// profile, else its CICP code points (primaries, transfer, matrix, range);
// a PQ or HLG picture is tone-mapped to sRGB from its 10- or 12-bit
// samples instead (ZvHdrToneMap) and left undescribed.
//
// Encoding takes any picture, 4:4:4 at the JPEG quality (0..100, mapped
// onto the quantizer; alpha is kept lossless) and the speed of the codec
// option (kSpeedSet | 0..10; libavif's 6 when unset).
//
// Orientation: we turn the pixels by irot/imir after decoding (libavif leaves them to the caller).
class ZvImageAVIF : public ZvCodec
{
  public:
    // Codec option: kSpeedSet | speed (0 slowest .. 10 fastest).
    static constexpr std::uint32_t kSpeedSet = 0x10;
    static constexpr std::uint32_t kSpeedMask = 0x0F;
    static constexpr int kDefaultSpeed = 6;

    ZvImageAVIF()
        : ZvCodec(ZV_TYPE_AVIF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

    // An ISO-BMFF "ftyp" box whose major or compatible brands include
    // "avif" or "avis". Other brands of the family are HEIF's.
    static bool HasSignature(const std::uint8_t *head, std::size_t size);
    // The AV1 quantizer (0 best .. 63 worst) for a quality 0..100.
    static int QuantizerOfQuality(int quality);

  private:
    void DecodeBody(ZvFile *stream);
    // The decoded picture into the DIB (created at its size) and the alpha plane.
    void StorePixels(const avifImage *image, bool alpha);
    void StoreToneMapped(const avifImage *image, const ZvColourSpace &colour, bool alpha);
    void EncodeBody(ZvFile *stream);
};
