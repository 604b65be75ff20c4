// imagelib/codecs/raw/codec_raw.h
#pragma once

#include "imagelib/codecs/whole_file_codec.h"

class LibRaw;

// Camera RAW files (DNG and the makers' formats LibRaw knows) over LibRaw,
// read only.
//
// A file is taken only when LibRaw identifies a camera's raw data in it,
// so a plain TIFF is refused and left to the TIFF codec. Decode develops the
// whole picture (demosaic, the camera's white balance) upright by the
// camera's turn, 16 bits per sample scaled to 8 and rounded. LibRaw is asked
// for sRGB output (output_color 1) with the IEC 61966-2-1 sRGB curve
// (gamm {1/2.4, 12.92}: a 2.4 power with a linear toe of slope 12.92), not
// its default BT.709 curve, so the pixels are sRGB and left undescribed.
// When the caller asks for a reduced decode and the embedded preview covers
// it, the preview is decoded instead (JPEG or bitmap) and turned by the same
// turn; a JPEG preview keeps the colour description the JPEG codec finds.
// The as-loaded header is the developed picture's: upright sides and 48
// bits per pixel. With the escape field at -1 only that size lands in the
// header.
//
// Bad input (kFormat.limits): files above 1 GiB, sensors above 128 MP or
// with more than 8 pixels per byte of the file (no free allowance: raw
// data is barely compressed) are refused before LibRaw unpacks them, and
// LibRaw's own allocations are held to kMaxRawMemoryMb. An embedded preview
// claiming more than kPreviewPixelsPerByte per byte is skipped for the
// developed picture. One thread at a time per object (libraw_r).
//
// Orientation: LibRaw turns the developed picture by the camera's flip; we turn its preview alike.
class ZvImageRAW : public ZvWholeFileCodec
{
  public:
    static const Format kFormat;
    static constexpr unsigned kMaxRawMemoryMb = 1024;
    static constexpr std::int64_t kPreviewPixelsPerByte = 64;

    ZvImageRAW();
    ~ZvImageRAW() override;

  private:
    void DecodeBytes(std::vector<std::uint8_t> &bytes) override;
    void Identify(LibRaw &raw, std::vector<std::uint8_t> &bytes);
    bool DecodePreview(LibRaw &raw);
    void DecodeFull(LibRaw &raw);

    std::size_t mFileBytes = 0;
};
