// imagelib/codecs/gif/codec_gif.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GifCanvas;
class GifCoder;
class GifCodeWriter;
class GifReader;
struct GifImage;
struct GifScreen;
struct GifTile;

// GIF: decodes the first frame, or the one the frame field selects, as a
// viewer composes it on the logical screen; encodes indexed pictures as one
// image with a global colour table and 24-bit pictures as 17 x 15 tiles
// with exact local colour tables. The codec option picks the LZW coder:
// 1 literal codes only, 2 classic LZW, anything else the run-length coder.
//
// Orientation: none: the format has no such field.
class ZvImageGIF : public ZvCodec
{
  public:
    ZvImageGIF()
        : ZvCodec(ZV_TYPE_GIF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

    // Disposal method of the graphic control extension (0..7): written by
    // the encoder, found by the decoder for the frame it decoded.
    void SetDisposalMethod(int dm) { mDisposal = dm; }
    int GetDisposalMethod() const { return mDisposal; }
    // Loop count of the looping application extension as the decoder found
    // it (0 = forever, also when the file has none); not written.
    void SetLoops(int loops) { mLoops = loops; }
    int GetLoops() const { return mLoops; }
    // Comment extension text, at most 255 bytes; written when not empty.
    void SetComment(const char *text);
    const char *GetComment() const { return mComment.c_str(); }

  private:
    struct Plan;

    void DecodeStream(ZvFile *stream);
    void DecodeHeaderOnly(const GifScreen &screen);
    int ScanFrames(GifReader &reader, const GifScreen &screen, int wanted, std::vector<GifImage> &images);
    Plan MakePlan(const GifScreen &screen, const std::vector<GifImage> &images) const;
    void Compose(ZvFile *stream, const GifScreen &screen, const std::vector<GifImage> &images);
    void DrawImage(ZvFile *stream, GifCanvas &canvas, const GifImage &image,
                   const std::vector<std::uint8_t> &table);
    void FinishIndexed(const Plan &plan, bool undrawnLeft);
    void PackIndexed(std::uint32_t bpp);

    void EncodeIndexed(GifCodeWriter &out);
    void EncodeTiled(GifCodeWriter &out);
    void PutScreen(GifCodeWriter &out, std::uint8_t packed) const;
    void PutControl(GifCodeWriter &out, std::uint8_t transparentIndex, bool timed) const;
    void PutComment(GifCodeWriter &out) const;
    std::unique_ptr<GifCoder> MakeCoder(GifCodeWriter &out) const;
    void BuildTile(GifTile &tile, const std::uint32_t *band, std::size_t stride) const;
    void PutTile(GifCodeWriter &out, GifCoder &coder, const GifTile &tile) const;

    int mDisposal = 0;
    int mLoops = 0;
    std::string mComment;
};
