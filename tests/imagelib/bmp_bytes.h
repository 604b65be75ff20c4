// tests/imagelib/bmp_bytes.h
// Builds BMP files, packed DIBs and archive records byte by byte, so that
// tests can state exactly the layout a reader must cope with.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct BmpSpec
{
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    // Stored after a 40-byte header, or inside a header of 52 bytes or more.
    std::vector<std::uint32_t> masks;
    // Three bytes per entry for a 12-byte header, else four.
    std::vector<RGBQUAD> palette;
    Bytes gap; // bytes between the palette and the pixels
    Bytes pixels;
    std::optional<std::uint32_t> offBits; // default: where the pixels start
};

inline void putLe(Bytes &out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

// Header, masks and palette as they precede the pixels.
inline Bytes dibHead(const BmpSpec &s)
{
    Bytes out;
    putLe(out, s.headerSize, 4);
    if (s.headerSize == 12) {
        putLe(out, std::uint32_t(s.width), 2);
        putLe(out, std::uint32_t(s.height), 2);
        putLe(out, s.planes, 2);
        putLe(out, s.bitCount, 2);
    } else {
        Bytes h;
        putLe(h, std::uint32_t(s.width), 4);
        putLe(h, std::uint32_t(s.height), 4);
        putLe(h, s.planes, 2);
        putLe(h, s.bitCount, 2);
        putLe(h, s.compression, 4);
        putLe(h, s.sizeImage, 4);
        putLe(h, std::uint32_t(s.xPelsPerMeter), 4);
        putLe(h, std::uint32_t(s.yPelsPerMeter), 4);
        putLe(h, s.colorsUsed, 4);
        putLe(h, 0, 4);
        if (s.headerSize >= 52)
            for (std::uint32_t m : s.masks)
                putLe(h, m, 4);
        h.resize(s.headerSize - 4, 0);
        out.insert(out.end(), h.begin(), h.end());
        if (s.headerSize == 40)
            for (std::uint32_t m : s.masks)
                putLe(out, m, 4);
    }
    for (const RGBQUAD &c : s.palette) {
        out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
        if (s.headerSize != 12)
            out.push_back(c.rgbReserved);
    }
    return out;
}

inline Bytes packedDib(const BmpSpec &s)
{
    Bytes out = dibHead(s);
    out.insert(out.end(), s.gap.begin(), s.gap.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

inline Bytes bmpFile(const BmpSpec &s)
{
    const Bytes dib = packedDib(s);
    Bytes out{'B', 'M'};
    putLe(out, dib.size() + 14, 4);
    putLe(out, 0, 4);
    putLe(out, s.offBits ? *s.offBits : 14 + dibHead(s).size() + s.gap.size(), 4);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

inline std::string asString(const Bytes &b)
{
    return std::string(b.begin(), b.end());
}
