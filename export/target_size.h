// export/target_size.h
#pragma once

#include <cstdint>
#include <string>

struct ExportOptions;

// The size a picture is resampled to. 64-bit so that a product of two large
// entries is a huge size, refused below, instead of a wrapped small one.
struct TargetSize
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool operator==(const TargetSize &) const = default;
};

// The resize target of a width x height picture (already turned and
// captioned) under the options' entries, unit, aspect and stretch switches.
// Entries are read like atoi; products are formed before the division,
// which truncates toward zero.
//
// With the aspect ratio kept, RestrictWidth (the height entry governs) is
// looked at first, then RestrictHeight; with neither on the entries are
// taken as with the aspect ratio off. Unit 1 is percent, anything else
// pixels.
//
// Aspect ratio off and stretch off: each dimension on its own is never
// enlarged. The width is the requested width (pixels, or width x W / 100)
// when that is below the picture's width, otherwise the picture's width;
// the same for the height. So 1000 x 400 requested of an 800 x 600 picture
// gives 800 x 400, and 50 % x 150 % gives half the width at full height.
TargetSize ComputeTargetSize(const ExportOptions &options, std::int64_t width, std::int64_t height);

// Why a picture cannot be resampled to size: "" when it can. Zero or
// negative sides, and sizes whose 24-bit picture would pass the memory limit
// of ZvImage::Create, are refused here before anything is allocated.
std::string targetSizeProblem(const TargetSize &size);
