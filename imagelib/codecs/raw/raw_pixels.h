// imagelib/codecs/raw/raw_pixels.h
#pragma once

#include <cstdint>

class ZvImage;

// Pixels as LibRaw hands them out: top row first, 1 or 3 samples per
// pixel of 8 or 16 bits (native byte order), rows packed.
struct RawPlane
{
    const std::uint8_t *data = nullptr;
    int width = 0;
    int height = 0;
    int colors = 3;
    int bits = 8;
};

// Copies the plane into picture (created here, 24 bits per pixel),
// 16-bit samples scaled to 8 bits and rounded. flip is LibRaw's: bit 2
// swaps rows and columns, then bit 1 mirrors the rows and bit 0 the columns
// of the stored picture, so the result is upright. False when the picture
// cannot be created.
bool rawCopyPlane(const RawPlane &plane, int flip, ZvImage &picture);

// Copies source (any depth) into target (created here, 24 bits per pixel)
// turned by LibRaw's flip the same way: a preview that the camera stored as
// the sensor saw it. False when memory runs out.
bool rawCopyTurned(const ZvImage &source, int flip, ZvImage &target);
