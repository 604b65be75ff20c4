// tests/support/test_profiles.h
// ICC profiles of the wide-gamut spaces phones and cameras use, made with
// LittleCMS from their published primaries and curves, and the reference
// conversion of colour patches by LittleCMS' own transicc tool, so that
// tests compare our pixels with a colour-managed conversion we did not write.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TestSpace {
    DisplayP3, // P3 primaries, D65, sRGB curve
    AdobeRgb,  // Adobe RGB (1998) primaries, D65, gamma 563/256
    Rec2020,   // BT.2020 primaries, D65, sRGB curve (as a phone's SDR picture states it)
};

using Rgb = std::array<int, 3>;

// The profile's bytes, as a v4 matrix-shaper profile with a description
// of the space's usual name ("Display P3", "Adobe RGB (1998)", "Rec. 2020").
std::vector<std::uint8_t> testProfile(TestSpace space);
// The bytes of a LittleCMS profile (a cmsHPROFILE), which is closed.
std::vector<std::uint8_t> takeProfileBytes(void *profile);
// A grey profile with sRGB's curve (D65), as grey camera pictures carry.
std::vector<std::uint8_t> testGreyProfile();
// The same profile written as a file in the scratch folder; its path.
std::string testProfileFile(TestSpace space);

// The colour patches the tests convert: saturated reds, greens, yellows and
// oranges (the ones a gamut change moves most), a grey and black and white.
const std::vector<Rgb> &testPatches();

// What transicc makes of each colour (numbers in space) in sRGB, relative
// colorimetric, clipped and rounded to 8 bits. Empty when transicc is missing.
std::vector<Rgb> transiccToSrgb(const std::string &profilePath, const std::vector<Rgb> &colours);
std::vector<Rgb> transiccFromSrgb(const std::string &profilePath, const std::vector<Rgb> &colours);

bool haveTransicc();
