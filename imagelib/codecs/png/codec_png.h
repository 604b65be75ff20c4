// imagelib/codecs/png/codec_png.h
#pragma once

#include "imagelib/codecs/codec.h"

// PNG over libpng.
//
// Decoding maps every colour type and depth onto the DIB layouts: palette
// and grey of 1, 4 and 8 bits stay indexed (2-bit samples widen to 4 bits,
// 16-bit samples are rounded to 8), RGB becomes 24 bits, and anything with
// an alpha channel becomes 24 bits plus the alpha plane. A single transparent
// palette entry or grey level becomes the transparent index, an RGB tRNS
// colour the transparent colour; partial palette alpha enables the alpha
// palette. pHYs in metres sets the DPI; other ancillary chunks are skipped
// unread.
//
// libpng reports errors by longjmp: the functions that own a setjmp frame
// (DecodeJob, EncodeJob) and everything they call hold no objects with
// destructors; the job records that own the buffers live one frame up.
//
// Orientation: none read: an eXIf chunk is skipped with the other ancillary chunks.
class ZvImagePNG : public ZvCodec
{
  public:
    ZvImagePNG()
        : ZvCodec(ZV_TYPE_PNG)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

  private:
    struct ReadJob;
    struct WriteJob;

    bool DecodeJob(ReadJob &job);
    void SetReadLimits(ReadJob &job);
    void ChooseReadLayout(ReadJob &job);
    void SetReadTransforms(ReadJob &job);
    void ApplyHeader(ReadJob &job);
    void ReadPalette(ReadJob &job);
    void ReadResolution(ReadJob &job);
    void ReadTransparency(ReadJob &job);
    void ReadRows(ReadJob &job);
    void StoreRow(ReadJob &job, const std::uint8_t *src, std::uint32_t y);

    bool EncodeJob(WriteJob &job);
    bool PlanWrite(WriteJob &job);
    void PlanPalette(WriteJob &job);
    void WriteHeader(WriteJob &job);
    void WriteRows(WriteJob &job);
    const std::uint8_t *MakeRow(WriteJob &job, std::uint32_t y);
};
