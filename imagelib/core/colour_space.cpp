// imagelib/core/colour_space.cpp
#include "imagelib/core/colour_space.h"

#include <cmath>
#include <cstdio>

namespace {

struct CicpPrimaries
{
    int code;
    ZvChromaticities xy;
    const char *name;
};

constexpr double kD65x = 0.3127, kD65y = 0.3290;
constexpr double kCx = 0.310, kCy = 0.316; // illuminant C

// ITU-T H.273, table 2.
const CicpPrimaries kPrimaries[] = {
    {1, {0.640, 0.330, 0.300, 0.600, 0.150, 0.060, kD65x, kD65y}, "sRGB"},
    {4, {0.670, 0.330, 0.210, 0.710, 0.140, 0.080, kCx, kCy}, "BT.470 M"},
    {5, {0.640, 0.330, 0.290, 0.600, 0.150, 0.060, kD65x, kD65y}, "BT.601 625"},
    {6, {0.630, 0.340, 0.310, 0.595, 0.155, 0.070, kD65x, kD65y}, "BT.601 525"},
    {7, {0.630, 0.340, 0.310, 0.595, 0.155, 0.070, kD65x, kD65y}, "SMPTE 240M"},
    {8, {0.681, 0.319, 0.243, 0.692, 0.145, 0.049, kCx, kCy}, "generic film"},
    {9, {0.708, 0.292, 0.170, 0.797, 0.131, 0.046, kD65x, kD65y}, "Rec. 2020"},
    {11, {0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.314, 0.351}, "DCI-P3"},
    {12, {0.680, 0.320, 0.265, 0.690, 0.150, 0.060, kD65x, kD65y}, "Display P3"},
    {22, {0.630, 0.340, 0.295, 0.605, 0.155, 0.077, kD65x, kD65y}, "EBU 3213"},
};

const CicpPrimaries *findPrimaries(int code)
{
    for (const CicpPrimaries &p : kPrimaries)
        if (p.code == code)
            return &p;
    return nullptr;
}

struct Curve
{
    ZvTransfer transfer;
    double gamma;
    const char *suffix; // added to the primaries' name
};

// ITU-T H.273, table 3. The video curves (1, 6, 14, 15) are camera curves;
// pictures tagged with them are meant to look as sRGB pictures do on a
// screen, so they are read with the sRGB curve. Unknown codes likewise.
Curve curveOf(int code)
{
    switch (code) {
    case 4: return {ZvTransfer::Gamma, 2.2, " (gamma 2.2)"};
    case 5: return {ZvTransfer::Gamma, 2.8, " (gamma 2.8)"};
    case 8: return {ZvTransfer::Linear, 1.0, " (linear)"};
    case 16: return {ZvTransfer::Pq, 1.0, " PQ"};
    case 18: return {ZvTransfer::Hlg, 1.0, " HLG"};
    default: return {ZvTransfer::Srgb, 2.2, ""};
    }
}

} // namespace

ZvColourSpacePtr zvColourFromIcc(std::vector<std::uint8_t> icc)
{
    if (icc.empty())
        return nullptr;
    auto colour = std::make_shared<ZvColourSpace>();
    colour->kind = ZvColourKind::Icc;
    colour->icc = std::move(icc);
    return colour;
}

ZvColourSpacePtr zvColourFromIcc(const std::uint8_t *data, std::size_t size)
{
    if (!data || size == 0)
        return nullptr;
    return zvColourFromIcc(std::vector<std::uint8_t>(data, data + size));
}

bool zvCicpPrimaries(int code, ZvChromaticities &out)
{
    const CicpPrimaries *p = findPrimaries(code);
    if (!p)
        return false;
    out = p->xy;
    return true;
}

ZvColourSpacePtr zvColourFromCicp(int primaries, int transfer, int matrix, bool fullRange)
{
    const CicpPrimaries *p = findPrimaries(primaries);
    const Curve curve = curveOf(transfer);
    if ((!p || p->code == 1) && curve.transfer == ZvTransfer::Srgb)
        return nullptr;
    auto colour = std::make_shared<ZvColourSpace>();
    colour->kind = ZvColourKind::Described;
    if (p)
        colour->primaries = p->xy;
    colour->transfer = curve.transfer;
    colour->gamma = curve.gamma;
    colour->cicpPrimaries = std::uint16_t(primaries);
    colour->cicpTransfer = std::uint16_t(transfer);
    colour->cicpMatrix = std::uint16_t(matrix);
    colour->fullRange = fullRange;
    std::string name = p ? p->name : "sRGB";
    if (primaries == 9 && (curve.transfer == ZvTransfer::Pq || curve.transfer == ZvTransfer::Hlg))
        name = "Rec. 2100";
    colour->name = name + curve.suffix;
    return colour;
}

ZvColourSpacePtr zvColourSrgb()
{
    auto colour = std::make_shared<ZvColourSpace>();
    colour->name = "sRGB";
    return colour;
}

ZvColourSpacePtr zvColourConvertedToSrgb(std::string from)
{
    auto colour = std::make_shared<ZvColourSpace>();
    colour->name = "sRGB";
    colour->convertedFrom = std::move(from);
    return colour;
}

ZvColourSpacePtr zvColourAsDecoded(ZvColourSpacePtr colour)
{
    if (colour && colour->IsHdr())
        return zvColourConvertedToSrgb(colour->name + " (tone-mapped)");
    return colour;
}

ZvColourSpacePtr zvColourAdobeRgb()
{
    auto colour = std::make_shared<ZvColourSpace>();
    colour->kind = ZvColourKind::Described;
    colour->primaries = {0.640, 0.330, 0.210, 0.710, 0.150, 0.060, kD65x, kD65y};
    colour->transfer = ZvTransfer::Gamma;
    colour->gamma = 563.0 / 256.0;
    colour->name = "Adobe RGB (1998)";
    return colour;
}

ZvColourSpacePtr zvColourFromPngGamma(std::uint32_t fileGamma, const ZvChromaticities *chromaticities)
{
    // gAMA stores 100000 times the encoding exponent; decoding takes its inverse.
    const bool hasGamma = fileGamma >= 1000 && fileGamma <= 10000000;
    const double gamma = hasGamma ? 100000.0 / fileGamma : 2.2;
    const bool srgbGamma = !hasGamma || std::fabs(gamma - 2.2) < 0.022;
    const ZvChromaticities srgb;
    const bool srgbPrimaries = !chromaticities || *chromaticities == srgb;
    if (srgbGamma && srgbPrimaries)
        return nullptr;
    auto colour = std::make_shared<ZvColourSpace>();
    colour->kind = ZvColourKind::Described;
    if (chromaticities)
        colour->primaries = *chromaticities;
    colour->transfer = srgbGamma ? ZvTransfer::Srgb : ZvTransfer::Gamma;
    colour->gamma = gamma;
    char text[64];
    if (srgbGamma)
        std::snprintf(text, sizeof text, "PNG chromaticities");
    else
        std::snprintf(text, sizeof text, "gamma %.2f", gamma);
    colour->name = text;
    return colour;
}

bool zvColourIsSrgb(const ZvColourSpace *colour)
{
    if (!colour || colour->kind == ZvColourKind::Srgb)
        return true;
    if (colour->kind == ZvColourKind::Icc)
        return false;
    return colour->transfer == ZvTransfer::Srgb && colour->primaries == ZvChromaticities();
}
