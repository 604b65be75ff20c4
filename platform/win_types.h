// platform/win_types.h
#pragma once

// Plain structs with the byte layouts of the Windows types that stored and
// exchanged formats depend on (BMP headers, cache records, profile colours).
// All multi-byte fields are little-endian on disk; this machine is too.

#include <cstdint>

using COLORREF = std::uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c)
{
    return std::uint8_t(c & 0xFF);
}
constexpr std::uint8_t GetGValue(COLORREF c)
{
    return std::uint8_t((c >> 8) & 0xFF);
}
constexpr std::uint8_t GetBValue(COLORREF c)
{
    return std::uint8_t((c >> 16) & 0xFF);
}

struct RGBQUAD
{
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4);

inline bool operator==(const RGBQUAD &a, const RGBQUAD &b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

struct RECT
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};
static_assert(sizeof(RECT) == 16);

struct POINT
{
    std::int32_t x = 0;
    std::int32_t y = 0;
};
static_assert(sizeof(POINT) == 8);

inline bool operator==(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const POINT &a, const POINT &b)
{
    return a.x == b.x && a.y == b.y;
}

#pragma pack(push, 2)
struct BITMAPFILEHEADER
{
    std::uint16_t bfType = 0;
    std::uint32_t bfSize = 0;
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAPINFOHEADER
{
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPCOREHEADER
{
    std::uint32_t bcSize = 0;
    std::uint16_t bcWidth = 0;
    std::uint16_t bcHeight = 0;
    std::uint16_t bcPlanes = 0;
    std::uint16_t bcBitCount = 0;
};
static_assert(sizeof(BITMAPCOREHEADER) == 12);

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

constexpr int LF_FACESIZE = 32;

struct LOGFONT
{
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 60);

// Pen and brush records of the drawing objects' stream form (16 and 12 bytes,
// the brush's hatch as the 32-bit value it was on the platform of origin).
struct LOGPEN
{
    std::uint32_t lopnStyle = 0;
    POINT lopnWidth;
    COLORREF lopnColor = 0;
};
static_assert(sizeof(LOGPEN) == 16);

struct LOGBRUSH
{
    std::uint32_t lbStyle = 0;
    COLORREF lbColor = 0;
    std::uint32_t lbHatch = 0;
};
static_assert(sizeof(LOGBRUSH) == 12);

constexpr std::uint32_t PS_SOLID = 0;
constexpr std::uint32_t PS_NULL = 5;
constexpr std::uint32_t PS_INSIDEFRAME = 6;
constexpr std::uint32_t BS_SOLID = 0;
