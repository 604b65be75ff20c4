// fuzz/fuzz_colour.cpp
// Colour descriptions from the fuzzer: the first byte says what the rest is
// (an ICC profile, CICP code points, or a PNG's gamma and chromaticities),
// and a small picture, 24-bit or with a palette, is converted through it;
// a caption colour goes the other way and the description's profile is made.
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

std::uint32_t word(const std::uint8_t *data, std::size_t size, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && at + i < size; ++i)
        value |= std::uint32_t(data[at + i]) << (8 * i);
    return value;
}

ZvColourSpacePtr description(const std::uint8_t *data, std::size_t size)
{
    switch (data[0] % 3) {
    case 0:
        return zvColourFromIcc(data + 1, size - 1);
    case 1:
        return zvColourFromCicp(size > 1 ? data[1] : 2, size > 2 ? data[2] : 2, size > 3 ? data[3] : 2,
                                size > 4 && (data[4] & 1));
    default: {
        ZvChromaticities c;
        double *fields[] = {&c.rx, &c.ry, &c.gx, &c.gy, &c.bx, &c.by, &c.wx, &c.wy};
        for (std::size_t i = 0; i < 8; ++i)
            *fields[i] = word(data, size, 5 + 4 * i) / 100000.0;
        const bool withChromaticities = size > 1 && (data[1] & 1);
        return zvColourFromPngGamma(word(data, size, 1), withChromaticities ? &c : nullptr);
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const ZvColourSpacePtr colour = description(data, size);
    const bool indexed = size > 1 && (data[size - 1] & 1);
    ZvImage picture(8, 4, indexed ? 8 : 24);
    if (indexed) {
        RGBQUAD palette[256];
        for (int i = 0; i < 256; ++i)
            palette[i] = RGBQUAD{data[i % size], data[(i * 7) % size], data[(i * 13) % size], 0};
        picture.SetPalette(palette, 256);
    } else {
        for (std::uint32_t y = 0; y < 4; ++y)
            for (std::uint32_t x = 0; x < 24; ++x)
                picture.GetBits(y)[x] = data[(y * 24 + x) % size];
    }
    picture.SetColourSpace(colour);
    zvConvertToSrgb(picture);
    if (colour) {
        zvColourFromSrgb(colour.get(), RGB(data[0], 128, 255));
        zvColourIccProfile(*colour);
        zvColourName(*colour);
    }
    return 0;
}
