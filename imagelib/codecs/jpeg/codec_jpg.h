// imagelib/codecs/jpeg/codec_jpg.h
#pragma once

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg/exif_info.h"

#include <memory>

struct jpeg_compress_struct;
struct jpeg_decompress_struct;
class ZvCmykToSrgb;

// JPEG over libjpeg, with EXIF resolution and scaled decoding.
//
// Decode reads the EXIF block first, then decodes at 1/(JPEG scale) of the
// full size (0 counts as 1). The pixels stay as stored; the EXIF orientation
// is handed on with them (ZvImage::GetOrientation). With the escape field at -1 it only measures:
// width and height land in the header and no pixels are made. Grey output
// becomes 8 bits with a grey palette, colour and CMYK 24 bits; the codec
// option picks greyscale (0x80), colour quantisation to at most "JPEG
// quality" colours (0x100), the dither mode (0x200), one-pass quantisation
// (0x400) and plain upsampling (0x800).
//
// Every decode, the header-only one too, states the picture's colours
// (ZvImage::GetColourSpace): the ICC profile of the APP2 segments, else
// Adobe RGB when EXIF says uncalibrated with the interoperability index
// "R03"; nothing otherwise. CMYK files with a usable CMYK profile are
// converted to sRGB through it and state sRGB made from that profile
// (zvColourConvertedToSrgb); the others keep the plain inversion and state
// nothing.
//
// Encode writes 24-bit pictures as colour and grey-ramp pictures as grey;
// option 0x1 forces baseline tables, 0x4 greyscale, 0x40 smoothing.
//
// Orientation: EXIF's is handed on, for the caller to turn with the user's turn (libjpeg ignores it).
class ZvImageJPG : public ZvCodec
{
  public:
    ZvImageJPG()
        : ZvCodec(ZV_TYPE_JPG)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

    // Reads the EXIF block without decoding pixels; the stream position is
    // restored. True when an EXIF block was found.
    bool DecodeExif(ZvFile *stream);
    const ZvExifInfo &GetExifInfo() const { return mExifInfo; }

    // Smoothing factor 0..100 used by Encode with option 0x40.
    void SetSmoothing(int factor) { mSmoothing = factor < 0 ? 0 : factor > 100 ? 100 : factor; }
    int GetSmoothing() const { return mSmoothing; }
    // libjpeg's dither mode (0 none, 1 ordered, 2 Floyd-Steinberg) used by
    // Decode with option 0x200.
    void SetDitherMode(int mode) { mDitherMode = mode < 0 ? 0 : mode > 2 ? 2 : mode; }
    int GetDitherMode() const { return mDitherMode; }

  private:
    bool DecodeFromHeader(jpeg_decompress_struct &cinfo, bool exif);
    void ApplyDecodeOptions(jpeg_decompress_struct &cinfo) const;
    void ApplyResolution(const jpeg_decompress_struct &cinfo, bool exif);
    void ApplyPalette(const jpeg_decompress_struct &cinfo);
    bool ReadRows(jpeg_decompress_struct &cinfo);
    void SetupCompress(jpeg_compress_struct &cinfo, bool grey) const;
    void WriteRows(jpeg_compress_struct &cinfo, bool grey);
    // Photo information (jpeg_photo_info.cpp): APP1 and APP2 segments kept
    // while decoding, written back after the frame header. The APP2
    // segments (the profile) are kept on every decode, APP1 only with
    // photoInfo.
    static void SavePhotoMarkers(jpeg_decompress_struct &cinfo, bool photoInfo);
    void StorePhotoInfo(const jpeg_decompress_struct &cinfo, const std::uint8_t *icc, unsigned iccSize);
    void WritePhotoInfo(jpeg_compress_struct &cinfo) const;
    // The colour description (jpeg_colour.cpp): joins the profile's APP2
    // chunks once for both the photo information and the description.
    void ReadProfile(jpeg_decompress_struct &cinfo, bool exif, bool photoInfo);
    void StoreColour(const jpeg_decompress_struct &cinfo, const std::uint8_t *icc, unsigned iccSize,
                     bool exif);
    void StoreCmykColour(const jpeg_decompress_struct &cinfo, const std::uint8_t *icc, unsigned iccSize);

    ZvExifInfo mExifInfo;
    // During a decode of a CMYK file with a usable CMYK profile: its
    // conversion to sRGB. A member, not a local, so that libjpeg's longjmp
    // skips no destructor.
    std::shared_ptr<const ZvCmykToSrgb> mCmyk;
    int mSmoothing = 0;
    int mDitherMode = 0;
};
