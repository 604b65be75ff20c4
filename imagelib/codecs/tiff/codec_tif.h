// imagelib/codecs/tiff/codec_tif.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <tiffio.h>

class ZvTiffRows;

// TIFF over libtiff; pages are frames.
//
// Decoding: grey and palette pages of up to 8 bits stay indexed (grey of
// more bits is rounded to 8), RGB of any integer depth, grey or palette
// with alpha, and 16-bit palettes become 24 bits (plus the alpha plane);
// YCbCr, CMYK, CIE Lab and LogLuv pages go through libtiff's RGBA reader.
// The orientation tag is not applied: rows are taken top-down as stored,
// and the tag is handed on with them (ZvImage::GetOrientation).
//
// Encoding appends a page to the TIFF at the stream's position (a new file
// when the stream is empty there), top row first, red-green-blue order.
//
// Orientation: the tag is handed on, for the caller to turn with the user's turn (libtiff ignores it).
class ZvImageTIF : public ZvCodec
{
  public:
    ZvImageTIF()
        : ZvCodec(ZV_TYPE_TIF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    struct Page;
    struct Plan;

    void Fail(const char *message, const char *detail);

    void DecodePage(TIFF *tif, std::int64_t available);
    void SelectFrame(TIFF *tif);
    void ReadTags(TIFF *tif, Page &page);
    void ChooseLayout(TIFF *tif, Page &page);
    void ReadResolution(TIFF *tif);
    void ReadPalette(TIFF *tif, const Page &page);
    void ReadIndexed(TIFF *tif, const Page &page);
    void ReadSamples(TIFF *tif, const Page &page);
    void ReadSamplesRow(ZvTiffRows &rows, const Page &page, std::uint32_t y, std::uint8_t *dst,
                        std::uint8_t *alpha);
    void ReadRgba(TIFF *tif, const Page &page);
    void CheckEscape();

    void PlanPage(Plan &plan);
    void PlanCompression(TIFF *tif, Plan &plan);
    void WriteTags(TIFF *tif, Plan &plan);
    void WriteColourMap(TIFF *tif);
    void WriteRows(TIFF *tif, const Plan &plan);
    void MakeRow(const Plan &plan, std::uint32_t y, std::uint8_t *out) const;
};
