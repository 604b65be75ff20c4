// imagelib/codecs/heif/heif_pixels.h
#pragma once

#include <cstdint>
#include <vector>

class ZvHdrToneMap;
class ZvImage;

// Interleaved RGB or RGBA rows as libheif hands them out, top row first:
// 8-bit samples one byte each, deeper ones (up to 16 bits) in two bytes,
// little-endian, in the low bits.
struct HeifPlane
{
    const std::uint8_t *data = nullptr;
    int stride = 0; // bytes from one row to the next
    int width = 0;
    int height = 0;
    int channels = 3; // 3 RGB, 4 RGBA
    int bits = 8;     // significant bits per sample
};

// The 8-bit value of each sample of bits bits: v * 255 / max, rounded to
// the nearest (max = 2^bits - 1), so that full scale stays full scale and
// no level is cut towards black.
std::vector<std::uint8_t> heifEightBitTable(int bits);

// Copies the plane into picture, created beforehand at the plane's size
// with 24 bits per pixel (and an alpha plane when the plane has alpha):
// RGB becomes the DIB's BGR, the top row lands in the last DIB row. With
// hdr the samples are PQ or HLG code values and go through its tone map
// instead of being scaled.
void heifCopyPlane(const HeifPlane &plane, ZvImage &picture, const ZvHdrToneMap *hdr = nullptr);
