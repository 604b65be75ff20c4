// imagelib/metafile/metafile_dib.h
#pragma once

#include "imagelib/metafile/metafile_bytes.h"

#include <QImage>
#include <QList>

#include <cstdint>

// A bitmap carried by a metafile record, as a top-down picture.
struct MetaBitmap
{
    QImage image;            // RGB32; ARGB32_Premultiplied with alpha; Indexed8 for one-bit sources
    bool bottomUp = true;    // the rows were stored bottom row first
    bool monochrome = false; // one-bit device-dependent: drawn in the text and background colours
};

// Largest bitmap a record may carry, in pixels.
constexpr std::uint64_t kMetaMaxBitmapPixels = 1ull << 25;

// Pixels of the bitmap whose info header (or packed bitmap) is given, or 0
// when the header cannot be read; lets a caller weigh the work first.
std::uint64_t MetaDibPixels(const MetaBytes &info);

// A device-independent bitmap: info header with masks and colour table in
// info, pixel data in bits. The pixels are decoded by the BMP rules of the
// image library. With DIB_PAL_COLORS usage the colour table holds 16-bit
// indices into palette. With withAlpha, 32-bit pixels keep their fourth byte
// as premultiplied alpha (what AlphaBlend takes). False for anything that is
// not a readable bitmap within kMetaMaxBitmapPixels.
// bandRows, when non-zero and smaller than the header's height, says that
// bits hold only that many rows (a band of SetDIBitsToDevice).
bool MetaReadDib(const MetaBytes &info, const MetaBytes &bits, std::uint32_t usage,
                 const QList<QRgb> &palette, bool withAlpha, MetaBitmap &out, std::uint32_t bandRows = 0);

// A packed device-independent bitmap: header, colour table and pixels in
// one block, as WMF records carry them.
bool MetaReadPackedDib(const MetaBytes &dib, std::uint32_t usage, const QList<QRgb> &palette, MetaBitmap &out,
                       std::uint32_t bandRows = 0);

// A device-dependent bitmap of WMF (Bitmap16): one plane of 1, 16, 24 or 32
// bits per pixel, rows top down, widthBytes apart. bitsOffset is where the
// pixels start after the 10-byte header.
bool MetaReadBitmap16(const MetaBytes &bitmap, std::uint32_t bitsOffset, MetaBitmap &out);
