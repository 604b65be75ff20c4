// imagelib/codecs/raw/codec_raw.h
#pragma once

#include "imagelib/codecs/codec.h"

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
// Bad input: files above kMaxFileBytes, pictures above kMaxPixels or with
// more pixels than kPixelsPerByte per byte of the file are refused before
// LibRaw unpacks them, and LibRaw's own allocations are held to
// kMaxRawMemoryMb. One thread at a time per object (libraw_r).
class ZvImageRAW : public ZvCodec
{
  public:
    ZvImageRAW();
    ~ZvImageRAW() override;

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;
    BITMAPINFOHEADER AsLoadedHead() const override;

    static constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;
    static constexpr std::int64_t kMaxPixels = std::int64_t(1) << 27;
    static constexpr std::int64_t kPixelsPerByte = 8;
    static constexpr unsigned kMaxRawMemoryMb = 1024;
    static constexpr std::int64_t kPreviewPixelsPerByte = 64;

  private:
    void DecodeBytes(std::vector<std::uint8_t> &bytes);
    void Identify(LibRaw &raw, std::vector<std::uint8_t> &bytes);
    bool DecodePreview(LibRaw &raw);
    void DecodeFull(LibRaw &raw);

    BITMAPINFOHEADER mAsLoaded{};
    bool mTooLarge = false;
    std::size_t mFileBytes = 0;
};
