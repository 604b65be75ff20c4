// imagelib/codecs/gif/gif_rle_coder.h
#pragma once

#include "imagelib/codecs/gif/gif_coder.h"

// The default GIF coder: a valid LZW stream built only from literal codes
// and from the codes a decoder creates while reading runs of one pixel
// value, so no string table is ever searched. Runs right after a clear
// build the table entries p, pp, ppp, ... and later runs of the same value
// reuse the longest of them; a clear is spent whenever that is cheaper
// than repeating codes.
class GifRleCoder : public GifCoder
{
  public:
    using GifCoder::GifCoder;

    void Begin(int initBits) override;
    void Feed(const std::uint8_t *pixels, std::size_t count) override;
    void End() override;

  private:
    void OutputPlain(std::uint32_t code);
    void OutputClear();
    void DidClear();
    void MaxOutClear() { mOutClear = mMaxCodes; }
    void ResetOutClear();
    void Flush();
    void FlushFromClear(std::uint32_t count);
    void FlushClearOrRepeat(std::uint32_t count);
    void FlushWithTable(std::uint32_t count);
    std::uint32_t TriangleCount(std::uint32_t count) const;

    // Constants of the current stream
    int mBitsInit = 9;
    std::uint32_t mCodeClear = 256;
    std::uint32_t mBaseCode = 258; // first code after end: the run "pp"
    std::uint32_t mBumpInit = 255;
    std::uint32_t mClearInit = 254;
    std::uint32_t mMaxCodes = 3837; // codes that fit between two clears

    // Run state
    std::uint32_t mRunPixel = 0;
    std::uint32_t mRunLength = 0;
    std::uint32_t mTablePixel = 0; // the value whose runs the table holds
    std::uint32_t mTableMax = 0;   // longest run of it in the table
    bool mJustCleared = true;

    // Code state
    int mBits = 9;
    std::uint32_t mOutCount = 0;   // codes since the last clear
    std::uint32_t mOutBump = 255;  // code count at which the width grows
    std::uint32_t mOutClear = 254; // code count at which a clear is due
};
