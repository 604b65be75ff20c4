// imagelib/colour/colour_profile.h
#pragma once

#include "imagelib/core/colour_space.h"

#include <lcms2.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ZvProfileCloser
{
    void operator()(void *profile) const { cmsCloseProfile(profile); }
};
// A LittleCMS profile, closed when the handle goes.
using ZvProfileHandle = std::unique_ptr<void, ZvProfileCloser>;

// The LittleCMS profile of a description: the embedded ICC profile opened
// from its bytes, or a matrix-shaper profile made from the primaries, the
// white point and the curve. Null, with why in problem, for a profile
// LittleCMS refuses and for descriptions a profile cannot express (the HDR
// curves, which the decoders tone-map themselves).
ZvProfileHandle zvOpenProfile(const ZvColourSpace &colour, std::string &problem);

// sRGB as LittleCMS builds it (IEC 61966-2-1, D65).
ZvProfileHandle zvOpenSrgbProfile();

// The profile's description tag in plain text, "" when it has none.
std::string zvProfileDescription(void *profile);

// The profile's bytes as an ICC file would hold them; empty on failure.
std::vector<std::uint8_t> zvProfileBytes(void *profile);
