// tests/support/dng_builder.h
// Writes a tiny uncompressed DNG for the camera RAW tests (no RAW encoder
// exists): directory 0 holds an 8-bit RGB preview and the camera's facts,
// its one sub-directory a 16-bit Bayer mosaic (RGGB) with black 0 and white
// 65535, neutral white balance and an identity colour matrix.
#pragma once

#include "tests/support/tiff_builder.h"

#include <cstdint>
#include <string>
#include <vector>

struct DngSpec
{
    int previewWidth = 0;
    int previewHeight = 0;
    std::vector<std::uint8_t> preview; // RGB, top row first (empty: no preview)
    int rawWidth = 0;
    int rawHeight = 0;
    std::vector<std::uint16_t> mosaic; // one sample per pixel, top row first
    int orientation = 1;
};

// A 256 x 192 camera picture of even grey whose 128 x 96 embedded preview is
// plain red, so a test sees which of the two it was given.
inline DngSpec redPreviewDng(int orientation = 1)
{
    DngSpec spec;
    spec.orientation = orientation;
    spec.previewWidth = 128;
    spec.previewHeight = 96;
    for (int i = 0; i < 128 * 96; ++i)
        spec.preview.insert(spec.preview.end(), {250, 10, 10});
    spec.rawWidth = 256;
    spec.rawHeight = 192;
    spec.mosaic.assign(256 * 192, 20000);
    return spec;
}

inline std::string makeDng(const DngSpec &spec)
{
    TiffBuilder t(false);
    using F = TiffBuilder::Field;
    const std::uint32_t make = t.Text("Zelventa");
    const std::uint32_t model = t.Text("Test Sensor");
    const std::uint32_t unique = t.Text("Zelventa Test Sensor");
    const std::uint32_t bits = t.Raw({8, 0, 8, 0, 8, 0});
    std::uint32_t matrix = 0;
    for (int i = 0; i < 9; ++i) {
        const std::uint32_t at = t.Rational(i % 4 == 0 ? 1 : 0, 1);
        if (i == 0)
            matrix = at;
    }
    const std::uint32_t neutral = t.Rational(1, 1);
    t.Rational(1, 1);
    t.Rational(1, 1);
    const std::uint32_t previewAt = t.Raw(spec.preview);
    TiffBuilder::Bytes mosaic;
    for (std::uint16_t v : spec.mosaic) {
        mosaic.push_back(std::uint8_t(v));
        mosaic.push_back(std::uint8_t(v >> 8));
    }
    const std::uint32_t rawAt = t.Raw(mosaic);
    if (t.Size() % 2)
        t.Raw({0});
    const std::uint32_t sub = t.Directory({
        F{254, 4, 1, 0}, F{256, 4, 1, std::uint32_t(spec.rawWidth)},
        F{257, 4, 1, std::uint32_t(spec.rawHeight)}, F{258, 3, 1, 16}, F{259, 3, 1, 1}, F{262, 3, 1, 32803},
        F{273, 4, 1, rawAt}, F{277, 3, 1, 1}, F{278, 4, 1, std::uint32_t(spec.rawHeight)},
        F{279, 4, 1, std::uint32_t(mosaic.size())}, F{284, 3, 1, 1},
        F{33421, 3, 2, 2 | 2u << 16}, // CFARepeatPatternDim 2 x 2
        F{33422, 1, 4, 0x02010100},   // CFAPattern R G G B
        F{50714, 4, 1, 0},            // BlackLevel
        F{50717, 4, 1, 65535},        // WhiteLevel
    });
    const std::uint32_t ifd0 = t.Directory({
        F{254, 4, 1, 1},
        F{256, 4, 1, std::uint32_t(spec.previewWidth)},
        F{257, 4, 1, std::uint32_t(spec.previewHeight)},
        F{258, 3, 3, bits},
        F{259, 3, 1, 1},
        F{262, 3, 1, 2},
        F{271, 2, 9, make},
        F{272, 2, 12, model},
        F{273, 4, 1, previewAt},
        F{274, 3, 1, std::uint32_t(spec.orientation)},
        F{277, 3, 1, 3},
        F{278, 4, 1, std::uint32_t(spec.previewHeight)},
        F{279, 4, 1, std::uint32_t(spec.preview.size())},
        F{284, 3, 1, 1},
        F{330, 4, 1, sub},
        F{50706, 1, 4, 0x00000401}, // DNGVersion 1.4.0.0
        F{50708, 2, 21, unique},
        F{50721, 10, 9, matrix}, // ColorMatrix1
        F{50728, 5, 3, neutral}, // AsShotNeutral
        F{50778, 3, 1, 21},      // CalibrationIlluminant1 D65
    });
    t.Patch32(4, ifd0);
    return std::string(t.Data().begin(), t.Data().end());
}
