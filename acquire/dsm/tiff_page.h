// acquire/dsm/tiff_page.h
#pragma once

#include <cstddef>
#include <cstdint>

// A scanned page as a baseline TIFF file in one memory block: header and
// one directory first, then the uncompressed rows top to bottom in a
// single strip. Used by the data source managers, which write the header
// and then read the scanner's rows straight into place.
struct TiffPageFormat
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t samples = 1; // 1 grey or line art, 3 RGB
    std::uint16_t bits = 8;    // 1 (a set bit is black) or 8
    std::uint32_t dpi = 300;
};

std::uint64_t TiffRowBytes(const TiffPageFormat &format);
// Bytes before the rows; the rows take TiffRowBytes * height after them.
std::size_t TiffHeaderBytes();
// Writes TiffHeaderBytes() bytes at out.
void WriteTiffHeader(std::uint8_t *out, const TiffPageFormat &format);
