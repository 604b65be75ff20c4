// imagelib/codecs/gif/gif_lzw_decoder.h
#pragma once

#include <cstddef>
#include <cstdint>

class ZvFile;

// Decodes the LZW data sub-blocks of one GIF image from a stream positioned
// just after the minimum code size byte. Pixels come out on demand; the
// data may end early (missing end code, truncated file), which only leaves
// pixels missing. A code the table cannot yet hold, or a literal that is
// not a permitted pixel value, fails the image.
class GifLzwDecoder
{
  public:
    explicit GifLzwDecoder(ZvFile *stream);

    // False for a minimum code size outside 1..11. allowed[v] says whether
    // pixel value v (0..255) may appear; values from 256 up never may.
    bool Start(int minCodeSize, const bool allowed[256]);
    // Fills up to count pixels and returns how many; fewer when the data
    // ended or failed.
    std::size_t Read(std::uint8_t *out, std::size_t count);
    bool Failed() const { return mFailed; }
    // Skips what is left of the data sub-blocks, up to their terminator.
    void Finish();

  private:
    static constexpr int kTableSize = 4096;

    void Reset();
    bool FetchBlock();
    int NextCode();
    bool Expand(int code);

    ZvFile *mStream;
    std::uint8_t mBlock[256] = {};
    int mBlockLength = 0;
    int mBlockPos = 0;
    bool mBlocksEnded = false; // terminator or end of stream reached
    bool mEnded = false;       // no more pixels will come
    bool mFailed = false;
    std::uint32_t mAccum = 0;
    int mAccumBits = 0;

    int mMinCodeSize = 8;
    int mClear = 256;
    int mWidth = 9;
    int mNext = 258; // entry the next code creates
    int mPrev = -1;  // previous code, -1 right after a clear
    bool mAllowed[kTableSize] = {};

    std::uint16_t mPrefix[kTableSize] = {};
    std::uint8_t mSuffix[kTableSize] = {};
    std::uint8_t mFirst[kTableSize] = {};
    // Pixels of the last string not yet handed out, in reverse order.
    std::uint8_t mStack[kTableSize + 1] = {};
    int mStackTop = 0;
};
