// imagelib/colour/colour_profile.cpp
#include "imagelib/colour/colour_profile.h"

#include <limits>

namespace {

struct CurveFreer
{
    void operator()(cmsToneCurve *curve) const { cmsFreeToneCurve(curve); }
};
using CurveHandle = std::unique_ptr<cmsToneCurve, CurveFreer>;

CurveHandle curveOf(const ZvColourSpace &colour)
{
    switch (colour.transfer) {
    case ZvTransfer::Srgb: {
        const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        return CurveHandle(cmsBuildParametricToneCurve(nullptr, 4, srgb));
    }
    case ZvTransfer::Gamma: return CurveHandle(cmsBuildGamma(nullptr, colour.gamma));
    case ZvTransfer::Linear: return CurveHandle(cmsBuildGamma(nullptr, 1.0));
    case ZvTransfer::Pq:
    case ZvTransfer::Hlg: break;
    }
    return nullptr;
}

// A chromaticity a profile can be made from: inside the unit square, y not 0.
bool sound(double x, double y)
{
    return x >= 0 && x <= 1 && y > 1e-6 && y <= 1 && x + y <= 1 + 1e-9;
}

bool soundPrimaries(const ZvChromaticities &c)
{
    return sound(c.rx, c.ry) && sound(c.gx, c.gy) && sound(c.bx, c.by) && sound(c.wx, c.wy);
}

ZvProfileHandle describedProfile(const ZvColourSpace &colour, std::string &problem)
{
    if (colour.IsHdr()) {
        problem = "HDR pictures are tone-mapped when they are read";
        return nullptr;
    }
    if (colour.transfer == ZvTransfer::Gamma && !(colour.gamma > 0.05 && colour.gamma < 20)) {
        problem = "its gamma is out of range";
        return nullptr;
    }
    const ZvChromaticities &c = colour.primaries;
    if (!soundPrimaries(c)) {
        problem = "its chromaticities are out of range";
        return nullptr;
    }
    CurveHandle curve = curveOf(colour);
    const cmsCIExyY white = {c.wx, c.wy, 1.0};
    const cmsCIExyYTRIPLE primaries = {{c.rx, c.ry, 1.0}, {c.gx, c.gy, 1.0}, {c.bx, c.by, 1.0}};
    cmsToneCurve *curves[3] = {curve.get(), curve.get(), curve.get()};
    ZvProfileHandle profile(curve ? cmsCreateRGBProfile(&white, &primaries, curves) : nullptr);
    if (!profile) {
        problem = "its primaries make no colour space";
        return nullptr;
    }
    if (!colour.name.empty()) {
        cmsMLU *text = cmsMLUalloc(nullptr, 1);
        cmsMLUsetASCII(text, "en", "US", colour.name.c_str());
        cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, text);
        cmsMLUfree(text);
    }
    return profile;
}

} // namespace

ZvProfileHandle zvOpenProfile(const ZvColourSpace &colour, std::string &problem)
{
    switch (colour.kind) {
    case ZvColourKind::Srgb: return zvOpenSrgbProfile();
    case ZvColourKind::Icc: {
        if (colour.icc.size() > std::numeric_limits<cmsUInt32Number>::max()) {
            problem = "the colour profile is too large";
            return nullptr;
        }
        ZvProfileHandle profile(cmsOpenProfileFromMem(colour.icc.data(), cmsUInt32Number(colour.icc.size())));
        if (!profile)
            problem = "the colour profile is damaged";
        return profile;
    }
    case ZvColourKind::Described: return describedProfile(colour, problem);
    }
    return nullptr;
}

ZvProfileHandle zvOpenSrgbProfile()
{
    return ZvProfileHandle(cmsCreate_sRGBProfile());
}

std::string zvProfileDescription(void *profile)
{
    char text[256] = {};
    if (!profile || cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text) == 0)
        return {};
    std::string name(text);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0'))
        name.pop_back();
    return name;
}

std::vector<std::uint8_t> zvProfileBytes(void *profile)
{
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile, nullptr, &size) || size == 0)
        return {};
    std::vector<std::uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size))
        return {};
    bytes.resize(size);
    return bytes;
}
