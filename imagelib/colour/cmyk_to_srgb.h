// imagelib/colour/cmyk_to_srgb.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// CMYK samples to sRGB through the CMYK ICC profile their file carries
// (a print-ready JPEG's), over LittleCMS, with the perceptual intent as
// colour-managed viewers use for print profiles. Files without such a
// profile keep the codec's plain inversion; this is only the managed path.
//
// A conversion is made once per distinct profile and kept (the last few),
// made without LittleCMS' pixel cache so that one conversion serves every
// thread at once.
class ZvCmykToSrgb
{
  public:
    // The conversion through the profile's bytes; null, with the reason in
    // note when given, for a profile LittleCMS refuses, one that is not a
    // CMYK profile, or one it cannot make a transform from. inverted: the
    // samples are stored as 255 - ink, as Adobe's CMYK JPEG files do (their
    // APP14 segment says so).
    static std::shared_ptr<const ZvCmykToSrgb> Make(const std::uint8_t *icc, std::size_t size, bool inverted,
                                                    std::string *note = nullptr);

    ZvCmykToSrgb(void *transform, std::string name);
    ~ZvCmykToSrgb();
    ZvCmykToSrgb(const ZvCmykToSrgb &) = delete;
    ZvCmykToSrgb &operator=(const ZvCmykToSrgb &) = delete;

    // width pixels of four samples (C, M, Y, K) to width pixels of blue,
    // green and red, the picture's own byte order. Any thread.
    void Convert(const std::uint8_t *cmyk, std::uint8_t *bgr, std::uint32_t width) const;
    // The name a summary gives the profile: its description, else "CMYK profile".
    const std::string &Name() const { return mName; }

  private:
    void *mTransform; // cmsHTRANSFORM, kept out of this header
    std::string mName;
};
