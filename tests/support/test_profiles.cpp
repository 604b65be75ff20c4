// tests/support/test_profiles.cpp
#include "tests/support/test_profiles.h"

#include "tests/support/corpora.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

cmsToneCurve *curveOf(TestSpace space)
{
    if (space == TestSpace::AdobeRgb)
        return cmsBuildGamma(nullptr, 563.0 / 256.0);
    const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, srgb);
}

cmsCIExyYTRIPLE primariesOf(TestSpace space)
{
    switch (space) {
    case TestSpace::DisplayP3: return {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    case TestSpace::AdobeRgb: return {{0.640, 0.330, 1}, {0.210, 0.710, 1}, {0.150, 0.060, 1}};
    case TestSpace::Rec2020: return {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}};
    }
    return {};
}

const char *nameOf(TestSpace space)
{
    switch (space) {
    case TestSpace::DisplayP3: return "Display P3";
    case TestSpace::AdobeRgb: return "Adobe RGB (1998)";
    case TestSpace::Rec2020: return "Rec. 2020";
    }
    return "";
}

std::vector<Rgb> runTransicc(const std::string &in, const std::string &out, const std::vector<Rgb> &colours)
{
    std::ostringstream input;
    for (const Rgb &c : colours)
        input << c[0] << ' ' << c[1] << ' ' << c[2] << '\n';
    const std::string numbers = scratchDir() + "/transicc-input.txt";
    if (FILE *f = std::fopen(numbers.c_str(), "w")) {
        std::fputs(input.str().c_str(), f);
        std::fclose(f);
    }
    std::string text;
    if (runCommand("transicc -t1 -n -i'" + in + "' -o'" + out + "' < '" + numbers + "' 2>/dev/null", &text) !=
        0)
        return {};
    std::istringstream lines(text);
    std::vector<Rgb> result;
    double r, g, b;
    while (result.size() < colours.size() && lines >> r >> g >> b) {
        auto level = [](double v) { return int(std::lround(std::clamp(v, 0.0, 255.0))); };
        result.push_back({level(r), level(g), level(b)});
    }
    return result.size() == colours.size() ? result : std::vector<Rgb>();
}

} // namespace

std::vector<std::uint8_t> takeProfileBytes(void *profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

std::vector<std::uint8_t> testProfile(TestSpace space)
{
    const cmsCIExyY white = {0.3127, 0.3290, 1};
    cmsToneCurve *curve = curveOf(space);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    const cmsCIExyYTRIPLE primaries = primariesOf(space);
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsMLU *description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", nameOf(space));
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    return takeProfileBytes(profile);
}

std::vector<std::uint8_t> testGreyProfile()
{
    const cmsCIExyY white = {0.3127, 0.3290, 1};
    const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve *curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
    cmsHPROFILE profile = cmsCreateGrayProfile(&white, curve);
    cmsFreeToneCurve(curve);
    return takeProfileBytes(profile);
}

std::string testProfileFile(TestSpace space)
{
    static const char *names[] = {"display-p3.icc", "adobe-rgb.icc", "rec2020.icc"};
    const std::string path = scratchDir() + "/" + names[int(space)];
    const std::vector<std::uint8_t> bytes = testProfile(space);
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

const std::vector<Rgb> &testPatches()
{
    static const std::vector<Rgb> patches = {
        {200, 60, 60},   {60, 180, 60}, {230, 200, 50},  {255, 128, 0},  {40, 90, 220},
        {128, 128, 128}, {0, 0, 0},     {255, 255, 255}, {250, 20, 140}, {20, 200, 200},
    };
    return patches;
}

std::vector<Rgb> transiccToSrgb(const std::string &profilePath, const std::vector<Rgb> &colours)
{
    return runTransicc(profilePath, "*sRGB", colours);
}

std::vector<Rgb> transiccFromSrgb(const std::string &profilePath, const std::vector<Rgb> &colours)
{
    return runTransicc("*sRGB", profilePath, colours);
}

bool haveTransicc()
{
    return runCommand("command -v transicc >/dev/null 2>&1") == 0;
}
