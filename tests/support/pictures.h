// tests/support/pictures.h
#pragma once

#include "imagelib/core/image.h"

#include <QRgb>

#include <cstdint>
#include <string>
#include <vector>

// Top-down RGB pixels, the form every decoder is compared in.
struct Rgb8
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3, top row first
    bool operator==(const Rgb8 &o) const = default;
};

// The picture's colours, top row first, indexed pictures through their palette.
Rgb8 toRgb(const ZvImage &image);
// Decodes a binary PPM (P6, maxval 255); empty on anything else.
Rgb8 parsePpm(const std::string &bytes);
// What ImageMagick decodes the file to (first frame, alpha dropped onto nothing).
Rgb8 magickDecode(const std::string &path);
// Largest per-component difference, or 256 when the sizes differ.
int maxDifference(const Rgb8 &a, const Rgb8 &b);
// Mean per-component difference, or 256 when the sizes differ or both are empty.
double meanDifference(const Rgb8 &a, const Rgb8 &b);

// A 24-bit picture with a deterministic pattern: every pixel distinct enough
// that a swap of rows, columns or channels shows.
ZvImage makePattern24(int width, int height);
// An 8-, 4- or 1-bit picture with a colourful palette and a diagonal pattern.
ZvImage makePatternIndexed(int width, int height, int bpp);

// Pure red, every pixel of alpha 128: over a checkerboard each square
// shows through half, over black it would be dark red.
ZvImage makeHalfClearRed(int width, int height);
// What makeHalfClearRed's pixels look like over the light and the dark
// squares of the checkerboard, and how far a scaled copy may stray from it.
inline constexpr QRgb kHalfRedOverLight = 0xFFFF7F7F;
inline constexpr QRgb kHalfRedOverDark = 0xFFE56666;
bool nearColour(QRgb a, QRgb b, int tolerance = 2);

// Deterministic noise at 1, 4, 8 or 24 bits, so that faults in averaging or
// turning cannot hide in smooth gradients.
ZvImage makeNoise(int width, int height, int bpp, std::uint32_t seed);

// The picture in path, decoded as the type its name gives; an empty
// picture when it cannot be read.
ZvImage loadedFile(const std::string &path);

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);
