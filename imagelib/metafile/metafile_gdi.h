// imagelib/metafile/metafile_gdi.h
#pragma once

// The numbers the drawing records of WMF and EMF files carry: modes, styles,
// flags and raster operations, with the values the files store.

#include "platform/win_types.h" // PS_SOLID, PS_NULL, PS_INSIDEFRAME, BS_SOLID

#include <cstdint>

namespace metagdi {

// Mapping modes
constexpr std::uint32_t MM_TEXT = 1;
constexpr std::uint32_t MM_LOMETRIC = 2;
constexpr std::uint32_t MM_HIMETRIC = 3;
constexpr std::uint32_t MM_LOENGLISH = 4;
constexpr std::uint32_t MM_HIENGLISH = 5;
constexpr std::uint32_t MM_TWIPS = 6;
constexpr std::uint32_t MM_ISOTROPIC = 7;
constexpr std::uint32_t MM_ANISOTROPIC = 8;

// Background modes
constexpr std::uint32_t TRANSPARENT = 1;
constexpr std::uint32_t OPAQUE = 2;

// Polygon fill modes
constexpr std::uint32_t ALTERNATE = 1;
constexpr std::uint32_t WINDING = 2;

// Binary raster operations of pens and brushes
constexpr std::uint32_t R2_BLACK = 1;
constexpr std::uint32_t R2_NOTMERGEPEN = 2;
constexpr std::uint32_t R2_MASKNOTPEN = 3;
constexpr std::uint32_t R2_NOTCOPYPEN = 4;
constexpr std::uint32_t R2_MASKPENNOT = 5;
constexpr std::uint32_t R2_NOT = 6;
constexpr std::uint32_t R2_XORPEN = 7;
constexpr std::uint32_t R2_NOTMASKPEN = 8;
constexpr std::uint32_t R2_MASKPEN = 9;
constexpr std::uint32_t R2_NOTXORPEN = 10;
constexpr std::uint32_t R2_NOP = 11;
constexpr std::uint32_t R2_MERGENOTPEN = 12;
constexpr std::uint32_t R2_COPYPEN = 13;
constexpr std::uint32_t R2_MERGEPENNOT = 14;
constexpr std::uint32_t R2_MERGEPEN = 15;
constexpr std::uint32_t R2_WHITE = 16;

// Stretch modes
constexpr std::uint32_t HALFTONE = 4;

// Text alignment
constexpr std::uint32_t TA_UPDATECP = 0x0001;
constexpr std::uint32_t TA_RIGHT = 0x0002;
constexpr std::uint32_t TA_CENTER = 0x0006;
constexpr std::uint32_t TA_HORIZONTAL = 0x0006;
constexpr std::uint32_t TA_BOTTOM = 0x0008;
constexpr std::uint32_t TA_BASELINE = 0x0018;
constexpr std::uint32_t TA_VERTICAL = 0x0018;

// ExtTextOut options
constexpr std::uint32_t ETO_OPAQUE = 0x0002;
constexpr std::uint32_t ETO_CLIPPED = 0x0004;
constexpr std::uint32_t ETO_GLYPH_INDEX = 0x0010;
constexpr std::uint32_t ETO_PDY = 0x2000;
constexpr std::uint32_t ETO_NO_RECT = 0x0100;
constexpr std::uint32_t ETO_SMALL_CHARS = 0x0200;

// Pen styles
constexpr std::uint32_t PS_STYLE_MASK = 0x0000000F;
constexpr std::uint32_t PS_DASH = 1;
constexpr std::uint32_t PS_DOT = 2;
constexpr std::uint32_t PS_DASHDOT = 3;
constexpr std::uint32_t PS_DASHDOTDOT = 4;
constexpr std::uint32_t PS_USERSTYLE = 7;
constexpr std::uint32_t PS_ALTERNATE = 8;
constexpr std::uint32_t PS_ENDCAP_MASK = 0x00000F00;
constexpr std::uint32_t PS_ENDCAP_SQUARE = 0x00000100;
constexpr std::uint32_t PS_ENDCAP_FLAT = 0x00000200;
constexpr std::uint32_t PS_JOIN_MASK = 0x0000F000;
constexpr std::uint32_t PS_JOIN_BEVEL = 0x00001000;
constexpr std::uint32_t PS_JOIN_MITER = 0x00002000;
constexpr std::uint32_t PS_GEOMETRIC = 0x00010000;

// Brush styles and hatches
constexpr std::uint32_t BS_NULL = 1;
constexpr std::uint32_t BS_HATCHED = 2;
constexpr std::uint32_t BS_PATTERN = 3;
constexpr std::uint32_t BS_DIBPATTERN = 5;
constexpr std::uint32_t BS_DIBPATTERNPT = 6;
constexpr std::uint32_t HS_HORIZONTAL = 0;
constexpr std::uint32_t HS_DIAGCROSS = 5;

// Colour table usage of device-independent bitmaps
constexpr std::uint32_t DIB_RGB_COLORS = 0;
constexpr std::uint32_t DIB_PAL_COLORS = 1;

// Region combination modes
constexpr std::uint32_t RGN_AND = 1;
constexpr std::uint32_t RGN_OR = 2;
constexpr std::uint32_t RGN_XOR = 3;
constexpr std::uint32_t RGN_DIFF = 4;
constexpr std::uint32_t RGN_COPY = 5;

// Arc directions
constexpr std::uint32_t AD_COUNTERCLOCKWISE = 1;
constexpr std::uint32_t AD_CLOCKWISE = 2;

// Character sets
constexpr std::uint8_t ANSI_CHARSET = 0;
constexpr std::uint8_t SYMBOL_CHARSET = 2;

// Ternary raster operations of the bit-block transfers
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t SRCERASE = 0x00440328;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t PATINVERT = 0x005A0049;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Colour references: the high byte selects palette indexing.
constexpr std::uint32_t PALETTEINDEX_FLAG = 0x01000000;

} // namespace metagdi
