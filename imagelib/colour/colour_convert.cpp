// imagelib/colour/colour_convert.cpp
#include "imagelib/colour/colour_convert.h"

#include "imagelib/colour/colour_profile.h"
#include "imagelib/colour/srgb_converter.h"
#include "imagelib/core/image.h"

#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace {

// The cache's key: the profile's bytes, or the numbers of a description.
std::string keyOf(const ZvColourSpace &colour)
{
    if (colour.kind == ZvColourKind::Icc)
        return "I" + std::string(colour.icc.begin(), colour.icc.end());
    const ZvChromaticities &c = colour.primaries;
    char text[320];
    std::snprintf(text, sizeof text, "D%d %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %d %.17g %s",
                  int(colour.kind), c.rx, c.ry, c.gx, c.gy, c.bx, c.by, c.wx, c.wy, int(colour.transfer),
                  colour.gamma, colour.name.c_str());
    return text;
}

// One converter per distinct description for the life of the program, made
// under the lock so that a run builds each only once whichever worker asks
// first. A program that meets more distinct profiles than this starts over.
std::shared_ptr<const ZvSrgbConverter> converterFor(const ZvColourSpace &colour)
{
    constexpr std::size_t kMaxConverters = 64;
    static std::mutex mutex;
    static std::unordered_map<std::string, std::shared_ptr<const ZvSrgbConverter>> converters;
    std::string key = keyOf(colour);
    std::lock_guard<std::mutex> lock(mutex);
    auto found = converters.find(key);
    if (found != converters.end())
        return found->second;
    if (converters.size() >= kMaxConverters)
        converters.clear();
    auto converter = ZvSrgbConverter::make(colour);
    converters.emplace(std::move(key), converter);
    return converter;
}

void convertPixels(ZvImage &picture, const ZvSrgbConverter &converter)
{
    if (picture.IsIndexed()) {
        converter.toSrgb(reinterpret_cast<std::uint8_t *>(picture.GetPalette()), picture.GetNumColors(), 4);
        return;
    }
    if (picture.GetBpp() != 24)
        return;
    for (std::uint32_t y = 0; y < picture.GetHeight(); ++y)
        converter.toSrgb(picture.GetBits(y), picture.GetWidth(), 3);
}

} // namespace

ZvColourOutcome zvConvertToSrgb(ZvImage &picture)
{
    ZvColourOutcome outcome;
    const ZvColourSpace *colour = picture.GetColourSpace();
    if (colour && colour->kind == ZvColourKind::Srgb && !colour->convertedFrom.empty()) {
        // Converted by its decoder already; said once, by the first caller.
        outcome.from = colour->convertedFrom;
        picture.SetColourSpace(zvColourSrgb());
        return outcome;
    }
    if (zvColourIsSrgb(colour))
        return outcome;
    const auto converter = converterFor(*colour);
    if (!converter->problem().empty()) {
        outcome.note = "colour profile ignored (" + converter->name() + "): " + converter->problem();
        picture.SetColourSpace(nullptr);
        return outcome;
    }
    if (!converter->identity() && picture.IsValid()) {
        convertPixels(picture, *converter);
        outcome.from = converter->name();
    }
    picture.SetColourSpace(zvColourSrgb());
    return outcome;
}

std::string zvColourName(const ZvColourSpace &colour)
{
    if (!colour.name.empty())
        return colour.name;
    return converterFor(colour)->name();
}

bool zvColourNeedsConversion(const ZvColourSpace *colour)
{
    if (zvColourIsSrgb(colour))
        return false;
    const auto converter = converterFor(*colour);
    return converter->problem().empty() && !converter->identity();
}

std::string zvColourConvertsFrom(const ZvColourSpace *colour)
{
    if (colour && colour->kind == ZvColourKind::Srgb)
        return colour->convertedFrom;
    return zvColourNeedsConversion(colour) ? converterFor(*colour)->name() : std::string();
}

COLORREF zvColourFromSrgb(const ZvColourSpace *colour, COLORREF srgb)
{
    if (zvColourIsSrgb(colour))
        return srgb;
    return converterFor(*colour)->fromSrgb(srgb);
}

std::vector<std::uint8_t> zvColourIccProfile(const ZvColourSpace &colour)
{
    if (colour.kind == ZvColourKind::Icc)
        return colour.icc;
    if (colour.kind == ZvColourKind::Srgb)
        return zvSrgbIccProfile();
    std::string problem;
    ZvProfileHandle profile = zvOpenProfile(colour, problem);
    return zvProfileBytes(profile.get());
}

const std::vector<std::uint8_t> &zvSrgbIccProfile()
{
    static const std::vector<std::uint8_t> bytes = [] {
        ZvProfileHandle profile = zvOpenSrgbProfile();
        cmsMLU *text = cmsMLUalloc(nullptr, 1);
        cmsMLUsetASCII(text, "en", "US", "sRGB IEC61966-2.1");
        cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, text);
        cmsMLUfree(text);
        return zvProfileBytes(profile.get());
    }();
    return bytes;
}
