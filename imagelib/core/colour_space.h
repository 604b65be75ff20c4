// imagelib/core/colour_space.h
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What a picture's file says its numbers mean as colours. Decoders fill it
// from what their format states (an ICC profile, CICP/nclx code points, a
// PNG's sRGB/gAMA/cHRM chunks, EXIF's Adobe RGB mark); the colour layer
// (imagelib/colour/) turns it into a LittleCMS profile and converts the
// pixels to sRGB. A picture holds it through a shared pointer to a const
// record, as it holds its photo information; null means the file said
// nothing, and such a picture is shown and written as it always was.
enum class ZvColourKind : std::uint8_t {
    Srgb,      // stated sRGB: nothing to convert
    Icc,       // an embedded ICC profile, in icc
    Described, // primaries and a transfer curve stated as numbers
};

// The curve that turns a stored value (0..1) into linear light.
enum class ZvTransfer : std::uint8_t {
    Srgb,   // IEC 61966-2-1 (also taken for the BT.709/BT.2020 video curves)
    Gamma,  // value ^ gamma
    Linear, // value as it is
    Pq,     // SMPTE ST 2084, HDR
    Hlg,    // ARIB STD-B67 / BT.2100 HLG, HDR
};

// CIE 1931 x, y of the three primaries and the white point.
struct ZvChromaticities
{
    double rx = 0.64, ry = 0.33;
    double gx = 0.30, gy = 0.60;
    double bx = 0.15, by = 0.06;
    double wx = 0.3127, wy = 0.3290; // D65

    bool operator==(const ZvChromaticities &) const = default;
};

struct ZvColourSpace
{
    ZvColourKind kind = ZvColourKind::Srgb;
    std::vector<std::uint8_t> icc; // the whole profile, for kind Icc
    // For kind Described (sRGB's by default):
    ZvChromaticities primaries;
    ZvTransfer transfer = ZvTransfer::Srgb;
    double gamma = 2.2; // the exponent of ZvTransfer::Gamma (decoding: linear = value ^ gamma)
    // The CICP code points (ITU-T H.273) as the file stated them; 2
    // ("unspecified") where the description came from elsewhere.
    std::uint16_t cicpPrimaries = 2;
    std::uint16_t cicpTransfer = 2;
    std::uint16_t cicpMatrix = 2;
    bool fullRange = true;
    // How the summary names it ("Display P3", "Adobe RGB (1998)"); for an
    // ICC profile the colour layer reads its description when this is empty.
    std::string name;
    // For kind Srgb: the space a decoder already converted the pixels from
    // itself ("Rec. 2100 PQ" tone-mapped, a CMYK profile, ...), so that the
    // run can say so; empty when the file stated sRGB.
    std::string convertedFrom;

    bool IsHdr() const
    {
        return kind == ZvColourKind::Described && (transfer == ZvTransfer::Pq || transfer == ZvTransfer::Hlg);
    }
};

using ZvColourSpacePtr = std::shared_ptr<const ZvColourSpace>;

// The description of an embedded ICC profile; null when the bytes are empty.
// The bytes are not judged here: a profile LittleCMS refuses is dropped by
// the colour layer with a note, never by the decoder.
ZvColourSpacePtr zvColourFromIcc(std::vector<std::uint8_t> icc);
ZvColourSpacePtr zvColourFromIcc(const std::uint8_t *data, std::size_t size);

// The description CICP code points give (colour primaries, transfer
// characteristics, matrix coefficients, full range). Null when they say
// nothing beyond sRGB's (primaries 1 or 2 with an SDR curve): such a picture
// takes the old path. Unknown code points are taken as unspecified.
ZvColourSpacePtr zvColourFromCicp(int primaries, int transfer, int matrix, bool fullRange);

// Stated sRGB (PNG's sRGB chunk, EXIF ColorSpace 1): no conversion.
ZvColourSpacePtr zvColourSrgb();
// sRGB pixels a decoder made itself from the space named from (HDR tone
// mapping, a CMYK profile, a decoder that converts on request).
ZvColourSpacePtr zvColourConvertedToSrgb(std::string from);

// What a decoder states for the pixels it hands over in the space colour
// describes: the description itself, or for an HDR one, which decoders
// tone-map to sRGB, sRGB converted from it.
ZvColourSpacePtr zvColourAsDecoded(ZvColourSpacePtr colour);

// Adobe RGB (1998): its primaries, D65, gamma 563/256 (EXIF ColorSpace
// uncalibrated with interoperability index "R03").
ZvColourSpacePtr zvColourAdobeRgb();

// A PNG's gAMA (the stored file gamma, e.g. 45455 for 1/2.2) and, when
// present, its cHRM chromaticities. Null when they amount to sRGB's
// (gamma within 1 % of 1/2.2 and sRGB's primaries, or gamma 0 / absurd).
ZvColourSpacePtr zvColourFromPngGamma(std::uint32_t fileGamma, const ZvChromaticities *chromaticities);

// The primaries a CICP code point names; false for codes without a
// definition here (then the picture is taken as sRGB's primaries).
bool zvCicpPrimaries(int code, ZvChromaticities &out);

// Whether the description asks for nothing: null, stated sRGB, or
// described with sRGB's primaries and curve.
bool zvColourIsSrgb(const ZvColourSpace *colour);
