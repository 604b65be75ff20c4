// imagelib/codecs/gif/gif_lzw_coder.h
#pragma once

#include "imagelib/codecs/gif/gif_coder.h"

#include <cstdint>

// Classic GIF LZW: strings are looked up in an open-addressing hash of
// 5003 entries keyed by (pixel, prefix code); codes grow to 12 bits and the
// table is cleared when it is full.
class GifLzwCoder : public GifCoder
{
  public:
    using GifCoder::GifCoder;

    void Begin(int initBits) override;
    void Feed(const std::uint8_t *pixels, std::size_t count) override;
    void End() override;

  private:
    static constexpr int kHashSize = 5003;

    void Output(std::uint32_t code);
    void ClearTable();
    void ClearBlock();

    int mInitBits = 9;
    int mBits = 9;
    std::uint32_t mMaxCode = 511; // largest code at the current width
    std::uint32_t mClearCode = 256;
    std::uint32_t mFreeEntry = 258; // next code to assign
    bool mClearFlag = false;
    bool mStarted = false; // mPrefix holds the string so far
    std::uint32_t mPrefix = 0;
    std::int32_t mHashKey[kHashSize] = {}; // (pixel << 12) + prefix, -1 when empty
    std::uint16_t mHashCode[kHashSize] = {};
};
