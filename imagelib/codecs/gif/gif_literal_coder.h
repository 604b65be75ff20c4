// imagelib/codecs/gif/gif_literal_coder.h
#pragma once

#include "imagelib/codecs/gif/gif_coder.h"

// Every pixel as its own literal code, never using the string table: the
// stream is larger than real LZW but trivially valid. Counts the entries a
// decoder adds so that code widths and the clear before the table
// overflows match what any decoder expects.
class GifLiteralCoder : public GifCoder
{
  public:
    using GifCoder::GifCoder;

    void Begin(int initBits) override;
    void Feed(const std::uint8_t *pixels, std::size_t count) override;
    void End() override;

  private:
    void Reset();

    int mInitBits = 9;
    int mWidth = 9;
    std::uint32_t mClear = 256;
    std::uint32_t mNextFree = 258; // the entry a decoder adds next
    bool mFirst = true;            // the next code adds no entry
};
