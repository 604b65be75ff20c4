// imagelib/codecs/jxl/codec_jxl.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstddef>
#include <cstdint>

// JPEG XL over libjxl, in one pass from memory.
//
// Decoding gives 24 bits per pixel, plus the alpha plane when the file has
// alpha; of an animation the first frame. libjxl turns the pixels by the
// codestream's orientation itself; a kept EXIF block says orientation 1.
// Kept photo information: the "Exif" and "xml " boxes, and the ICC profile
// when the file carries one and the pixels are in it (not the sRGB
// description libjxl would make).
//
// Colour: a picture coded in XYB (lossy, uses_original_profile false) is
// handed over by libjxl in sRGB, undescribed; one coded in its own space
// keeps its numbers and is described by its encoded colour description
// (primaries, white point, transfer including linear and gamma) or its ICC
// profile. PQ and HLG pictures come as 16-bit samples in their own space
// (XYB ones too) and are tone-mapped to sRGB by ZvHdrToneMap, the same map
// the HEIF and AVIF codecs use, rather than by libjxl's own tone mapping,
// whose result its authors say may change from version to version.
//
// Encoding takes any picture, lossy at the distance of the JPEG quality
// (0..100, as the format's reference encoder maps it) or lossless when the
// codec option holds kLossless. One thread: the export already encodes one
// picture per core.
//
// Orientation: the decoder applies the codestream's (libjxl's default); the EXIF tag inside is ignored.
class ZvImageJXL : public ZvCodec
{
  public:
    // Codec option bits.
    static constexpr std::uint32_t kLossless = 1;

    ZvImageJXL()
        : ZvCodec(ZV_TYPE_JXL)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

    // A bare codestream or the container's signature box.
    static bool HasSignature(const std::uint8_t *head, std::size_t size);
    // The Butteraugli distance of a quality 0..100 (100 gives 0.1: the
    // nearest to lossless that the lossy mode goes).
    static float DistanceOfQuality(int quality);

  private:
    struct ReadJob;

    void DecodeBody(ZvFile *stream);
    bool OnBasicInfo(ReadJob &job);
    void OnColourEncoding(ReadJob &job);
    void OnBox(ReadJob &job);
    void FinishBox(ReadJob &job);
    void EncodeBody(ZvFile *stream);
};
