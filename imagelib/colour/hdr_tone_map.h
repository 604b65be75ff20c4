// imagelib/colour/hdr_tone_map.h
#pragma once

#include "imagelib/core/colour_space.h"

#include <cstdint>
#include <vector>

// HDR pictures (PQ or HLG transfer) to standard-range 8-bit sRGB. An 8-bit
// buffer cannot hold their highlights, so decoders map the deep samples
// here and hand over sRGB pixels with no colour description.
//
// The steps, all in linear light:
//  1. PQ: the ST 2084 EOTF gives display light in cd/m2. HLG: the BT.2100
//     inverse OETF gives scene light, and the OOTF for a 1000 cd/m2
//     display (system gamma 1.2, on the luminance of the source primaries)
//     gives display light.
//  2. Light is taken relative to the BT.2408 reference white, 203 cd/m2
//     (HLG's 75 % signal on that display), and converted from the source
//     primaries to BT.709/sRGB's (Bradford when the white points differ).
//  3. The tone curve (zvHdrToneCurve) maps max(R, G, B) and scales all
//     three by the same factor, so hues and saturation keep their ratios.
//  4. A colour still outside sRGB (a negative component) is desaturated
//     towards its own luminance until it fits: hue and brightness stay,
//     only the excess chroma goes.
//  5. The sRGB curve and rounding to 8 bits.
// Every pixel is mapped on its own (no picture statistics), so rows can be
// mapped as they arrive and the same sample always gives the same result.
class ZvHdrToneMap
{
  public:
    // colour: a description whose transfer is PQ or HLG (anything else is
    // taken as PQ); bits: the samples' significant bits, 8..16, so that code
    // values run 0 .. 2^bits - 1 (larger values are clamped).
    ZvHdrToneMap(const ZvColourSpace &colour, int bits);

    // One pixel's code values to sRGB, written B, G, R (the DIB's order).
    void MapToBgr(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint8_t *bgr) const;

  private:
    std::vector<float> mToLinear; // code value -> linear light (PQ: / reference white; HLG: scene 0..1)
    const std::uint8_t *mEncode;  // linear 0..1 in kEncodeSteps steps -> sRGB level, shared
    std::uint32_t mMaxCode = 0;
    float mMatrix[9] = {}; // source RGB -> BT.709 RGB, linear, row-major
    float mLuma[3] = {};   // luminance weights of the source primaries (HLG's OOTF)
    bool mHlg = false;
    float mPeak = 0; // the format's brightest display light, / reference white
};

// The tone curve on light relative to reference white (1 = 203 cd/m2),
// giving SDR linear light (1 = SDR white, level 255). Linear below the
// knee (0.8), so shadows and mid-tones stay as an SDR rendering of the
// scene has them (18 % grey: level 118); above it an extended Reinhard
// shoulder, joined with equal slope, rising to exactly 1 at peak.
// Reference white lands at 0.9 (level 244) rather than at 1: a curve that
// put it at 255 would clip every highlight above it to flat white. Peak is
// 10000 cd/m2 for PQ (the format's ceiling) and 1000 for HLG (its nominal
// display), both / 203. Monotonic; 0 stays 0.
double zvHdrToneCurve(double x, double peak);

// SMPTE ST 2084: a PQ signal 0..1 to display light in cd/m2 (0..10000).
double zvPqToNits(double signal);
// BT.2100 HLG inverse OETF: a signal 0..1 to scene light 0..1.
double zvHlgToScene(double signal);

// The BT.2408 reference (diffuse) white, cd/m2.
inline constexpr double kHdrReferenceWhite = 203.0;
