// imagelib/colour/colour_convert.h
#pragma once

#include "imagelib/core/colour_space.h"
#include "platform/win_types.h"

#include <cstdint>
#include <string>
#include <vector>

class ZvImage;

// What converting a picture to sRGB did.
struct ZvColourOutcome
{
    // The name of the space the pixels were converted from ("Display P3");
    // empty when nothing was converted.
    std::string from;
    // Why a description was not used ("colour profile ignored: ..."); the
    // picture then keeps its numbers, as an undescribed one does.
    std::string note;

    bool Converted() const { return !from.empty(); }
};

// Converts the picture's pixels (24-bit rows, or the palette of an indexed
// picture; the alpha plane is left alone) from the colour space its file
// stated to sRGB, and sets its description to stated sRGB. A picture that is
// undescribed or already sRGB is not touched, and no transform is built.
// A picture its decoder converted already (ZvColourSpace::convertedFrom)
// is not touched, and the outcome names the space it came from.
// A profile LittleCMS refuses, or one for colours the picture does not have
// (a CMYK profile on RGB pixels), is dropped with a note. Safe on any
// thread: transforms are made once per distinct description and shared.
ZvColourOutcome zvConvertToSrgb(ZvImage &picture);

// How a summary names the description: its own name, the ICC profile's
// description, or "ICC profile".
std::string zvColourName(const ZvColourSpace &colour);

// Whether a description asks for a conversion at all (false for null,
// stated sRGB, an ICC profile that is sRGB's, and numbers that are sRGB's).
bool zvColourNeedsConversion(const ZvColourSpace *colour);

// The name of the space zvConvertToSrgb would say it converted the picture
// from, found without touching pixels (for a list made from headers); ""
// when it would convert nothing.
std::string zvColourConvertsFrom(const ZvColourSpace *colour);

// The numbers in the described space of an sRGB colour, so that a caption
// drawn on a picture kept in its own space looks as chosen. Out-of-gamut
// colours are clipped. The colour itself for sRGB and undescribed spaces.
COLORREF zvColourFromSrgb(const ZvColourSpace *colour, COLORREF srgb);

// An ICC profile of the described space: the embedded one, or one made
// from the numbers. Empty when there is none to give (HDR descriptions).
std::vector<std::uint8_t> zvColourIccProfile(const ZvColourSpace &colour);

// sRGB's ICC profile (IEC 61966-2-1), as written beside converted pixels.
const std::vector<std::uint8_t> &zvSrgbIccProfile();
