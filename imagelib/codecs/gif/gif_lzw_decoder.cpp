// imagelib/codecs/gif/gif_lzw_decoder.cpp
#include "imagelib/codecs/gif/gif_lzw_decoder.h"

#include "imagelib/streams/file.h"

#include <cstring>

namespace {
constexpr int kMaxWidth = 12;
} // namespace

GifLzwDecoder::GifLzwDecoder(ZvFile *stream)
    : mStream(stream)
{
}

bool GifLzwDecoder::Start(int minCodeSize, const bool allowed[256])
{
    if (minCodeSize < 1 || minCodeSize > 11)
        return false;
    mMinCodeSize = minCodeSize;
    mClear = 1 << minCodeSize;
    std::memset(mAllowed, 0, sizeof(mAllowed));
    for (int v = 0; v < mClear && v < 256; ++v)
        mAllowed[v] = allowed[v];
    for (int v = 0; v < mClear; ++v) {
        mFirst[v] = std::uint8_t(v);
        mSuffix[v] = std::uint8_t(v);
    }
    Reset();
    return true;
}

void GifLzwDecoder::Reset()
{
    mWidth = mMinCodeSize + 1;
    mNext = mClear + 2;
    mPrev = -1;
}

bool GifLzwDecoder::FetchBlock()
{
    if (mBlocksEnded)
        return false;
    const long length = mStream->GetC();
    if (length <= 0) {
        mBlocksEnded = true;
        return false;
    }
    mBlockLength = int(mStream->Read(mBlock, 1, std::size_t(length)));
    mBlockPos = 0;
    if (mBlockLength < length)
        mBlocksEnded = true; // truncated: use what arrived
    return mBlockLength > 0;
}

// The next code, or -1 when the data has run out.
int GifLzwDecoder::NextCode()
{
    while (mAccumBits < mWidth) {
        if (mBlockPos >= mBlockLength && !FetchBlock())
            return -1;
        mAccum |= std::uint32_t(mBlock[mBlockPos++]) << mAccumBits;
        mAccumBits += 8;
    }
    const int code = int(mAccum & ((1u << mWidth) - 1));
    mAccum >>= mWidth;
    mAccumBits -= mWidth;
    return code;
}

// Puts the string of `code` on the stack and grows the table by the entry
// this code completes. False for a code the table does not hold yet.
bool GifLzwDecoder::Expand(int code)
{
    if (mPrev < 0) {
        // The first code after a clear must be a literal.
        if (code >= mClear || !mAllowed[code])
            return false;
        mStack[mStackTop++] = std::uint8_t(code);
        mPrev = code;
        return true;
    }
    int walk = code;
    std::uint8_t first;
    if (code < mNext) {
        if (code < mClear && !mAllowed[code])
            return false;
        first = mFirst[code];
    } else if (code == mNext && mNext < kTableSize) {
        // The string being defined by this very code: previous + its first.
        first = mFirst[mPrev];
        mStack[mStackTop++] = first;
        walk = mPrev;
    } else {
        return false;
    }
    for (; walk >= mClear; walk = mPrefix[walk])
        mStack[mStackTop++] = mSuffix[walk];
    mStack[mStackTop++] = std::uint8_t(walk);

    if (mNext < kTableSize) {
        mPrefix[mNext] = std::uint16_t(mPrev);
        mSuffix[mNext] = first;
        mFirst[mNext] = mFirst[mPrev];
        ++mNext;
        if (mNext == (1 << mWidth) && mWidth < kMaxWidth)
            ++mWidth;
    }
    mPrev = code;
    return true;
}

std::size_t GifLzwDecoder::Read(std::uint8_t *out, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        if (mStackTop > 0) {
            while (mStackTop > 0 && done < count)
                out[done++] = mStack[--mStackTop];
            continue;
        }
        if (mEnded)
            break;
        const int code = NextCode();
        if (code < 0 || code == mClear + 1) {
            mEnded = true;
        } else if (code == mClear) {
            Reset();
        } else if (!Expand(code)) {
            mFailed = true;
            mEnded = true;
        }
    }
    return done;
}

void GifLzwDecoder::Finish()
{
    while (!mBlocksEnded) {
        const long length = mStream->GetC();
        if (length <= 0 || !mStream->Seek(length, SEEK_FROM_CURRENT))
            mBlocksEnded = true;
    }
}
