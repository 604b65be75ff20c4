// imagelib/codecs/jxl/jxl_colour.h
#pragma once

#include "imagelib/core/colour_space.h"

#include <jxl/color_encoding.h>
#include <jxl/decode.h>

#include <cstdint>
#include <vector>

// The description of a JPEG XL colour encoding: its primaries (named or
// custom), white point, and transfer (sRGB, BT.709 taken as sRGB, linear,
// a pure gamma, DCI's gamma 2.6, PQ, HLG). Grey encodings keep sRGB's
// primaries with their own white and curve. Null for sRGB itself and for
// encodings that state nothing usable (XYB, unknown).
ZvColourSpacePtr jxlColourOfEncoding(const JxlColorEncoding &encoding);

// Whether the encoding's transfer is PQ or HLG.
bool jxlIsHdr(const JxlColorEncoding &encoding);

// sRGB as a JPEG XL colour encoding, grey or RGB (libjxl wants the
// preferred encoding to have the picture's channel count).
JxlColorEncoding jxlSrgbEncoding(bool grey);

// What the pixels the decoder hands over are in, once the colour encoding
// is known: their encoded description, or their ICC profile. Null for sRGB.
ZvColourSpacePtr jxlDataColour(const JxlDecoder *dec);

// The ICC profile libjxl gives for target; empty when it has none or one
// beyond a sane size.
std::vector<std::uint8_t> jxlIccProfile(const JxlDecoder *dec, JxlColorProfileTarget target);
