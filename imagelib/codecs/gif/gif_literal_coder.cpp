// imagelib/codecs/gif/gif_literal_coder.cpp
#include "imagelib/codecs/gif/gif_literal_coder.h"

#include "imagelib/codecs/gif/gif_code_writer.h"

namespace {
constexpr std::uint32_t kMaxCode = 4095;
constexpr int kMaxWidth = 12;
} // namespace

void GifLiteralCoder::Reset()
{
    mWidth = mInitBits;
    mNextFree = mClear + 2;
    mFirst = true;
}

void GifLiteralCoder::Begin(int initBits)
{
    mInitBits = initBits;
    mClear = 1u << (initBits - 1);
    Reset();
    mOut.PutCode(mClear, mWidth);
}

void GifLiteralCoder::Feed(const std::uint8_t *pixels, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        mOut.PutCode(pixels[i], mWidth);
        if (mFirst) {
            mFirst = false;
            continue;
        }
        // The decoder has just added an entry for this code; it widens its
        // codes as soon as the next free entry needs another bit.
        ++mNextFree;
        if (mNextFree == (1u << mWidth) && mWidth < kMaxWidth)
            ++mWidth;
        if (mNextFree > kMaxCode) {
            mOut.PutCode(mClear, mWidth);
            Reset();
        }
    }
}

void GifLiteralCoder::End()
{
    mOut.PutCode(mClear + 1, mWidth);
    mOut.EndCodes();
}
