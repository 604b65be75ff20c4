// imagelib/codecs/gif/gif_rle_coder.cpp
#include "imagelib/codecs/gif/gif_rle_coder.h"

#include "imagelib/codecs/gif/gif_code_writer.h"

#include <cmath>

namespace {

constexpr std::uint32_t kCodeLimit = 4096;
constexpr std::uint32_t kRunLimit = 1u << 30;

} // namespace

void GifRleCoder::Begin(int initBits)
{
    mBitsInit = initBits;
    mCodeClear = 1u << (initBits - 1);
    mBaseCode = mCodeClear + 2;
    mBumpInit = mCodeClear - 1;
    mClearInit = initBits <= 3 ? 9 : mBumpInit - 1;
    mMaxCodes = kCodeLimit - (mCodeClear + 3);
    mRunLength = 0;
    DidClear();
    mOut.PutCode(mCodeClear, mBits);
}

void GifRleCoder::Feed(const std::uint8_t *pixels, std::size_t count)
{
    std::size_t i = 0;
    while (i < count) {
        const std::uint32_t c = pixels[i];
        std::size_t end = i + 1;
        while (end < count && pixels[end] == c)
            ++end;
        if (c != mRunPixel) {
            if (mRunLength == 1)
                OutputPlain(mRunPixel); // most runs in busy pictures
            else if (mRunLength > 1)
                Flush();
            mRunPixel = c;
            mRunLength = 0;
        }
        // Runs are split long before their arithmetic could overflow.
        std::size_t more = end - i;
        while (mRunLength + more >= kRunLimit) {
            more -= kRunLimit - mRunLength;
            mRunLength = kRunLimit;
            Flush();
        }
        mRunLength += std::uint32_t(more);
        i = end;
    }
}

void GifRleCoder::End()
{
    if (mRunLength > 0)
        Flush();
    mOut.PutCode(mCodeClear + 1, mBits);
    mOut.EndCodes();
}

void GifRleCoder::DidClear()
{
    mBits = mBitsInit;
    mOutBump = mBumpInit;
    mOutClear = mClearInit;
    mOutCount = 0;
    mTableMax = 0;
    mJustCleared = true;
}

void GifRleCoder::OutputClear()
{
    mOut.PutCode(mCodeClear, mBits);
    DidClear();
}

// Every code but the first after a clear makes the decoder add an entry;
// the width follows the decoder's table size.
void GifRleCoder::OutputPlain(std::uint32_t code)
{
    mJustCleared = false;
    mOut.PutCode(code, mBits);
    ++mOutCount;
    if (mOutCount >= mOutBump) {
        mOutBump += 1u << mBits;
        ++mBits;
    }
    if (mOutCount >= mOutClear)
        OutputClear();
}

void GifRleCoder::ResetOutClear()
{
    mOutClear = mClearInit;
    if (mOutCount >= mOutClear)
        OutputClear();
}

void GifRleCoder::Flush()
{
    if (mRunLength == 1)
        OutputPlain(mRunPixel);
    else if (mJustCleared)
        FlushFromClear(mRunLength);
    else if (mTableMax < 2 || mTablePixel != mRunPixel)
        FlushClearOrRepeat(mRunLength);
    else
        FlushWithTable(mRunLength);
    mRunLength = 0;
}

// Right after a clear the codes base, base + 1, ... mean runs of 2, 3, ...
// of the first value written, so a run of n pixels costs about sqrt(2n)
// codes while it builds the table.
void GifRleCoder::FlushFromClear(std::uint32_t count)
{
    MaxOutClear();
    mTablePixel = mRunPixel;
    std::uint32_t n = 1;
    while (count > 0) {
        if (n == 1) {
            mTableMax = 1;
            OutputPlain(mRunPixel);
            count -= 1;
        } else if (count >= n) {
            mTableMax = n;
            OutputPlain(mBaseCode + n - 2);
            count -= n;
        } else if (count == 1) {
            ++mTableMax;
            OutputPlain(mRunPixel);
            count = 0;
        } else {
            ++mTableMax;
            OutputPlain(mBaseCode + count - 2);
            count = 0;
        }
        n = mOutCount == 0 ? 1 : n + 1;
    }
    ResetOutClear();
}

void GifRleCoder::FlushClearOrRepeat(std::uint32_t count)
{
    const std::uint32_t withClear = 1 + TriangleCount(count);
    if (withClear < count) {
        OutputClear();
        FlushFromClear(count);
        return;
    }
    for (; count > 0; --count)
        OutputPlain(mRunPixel);
}

void GifRleCoder::FlushWithTable(std::uint32_t count)
{
    std::uint32_t repeats = count / mTableMax;
    std::uint32_t leftover = count % mTableMax;
    std::uint32_t extra = leftover ? 1 : 0;
    if (mOutCount + repeats + extra > mMaxCodes) {
        repeats = mMaxCodes - mOutCount;
        leftover = count - repeats * mTableMax;
        extra = 1 + TriangleCount(leftover);
    }
    if (1 + TriangleCount(count) < repeats + extra) {
        OutputClear();
        FlushFromClear(count);
        return;
    }
    MaxOutClear();
    for (; repeats > 0; --repeats)
        OutputPlain(mBaseCode + mTableMax - 2);
    if (leftover) {
        if (mJustCleared)
            FlushFromClear(leftover);
        else if (leftover == 1)
            OutputPlain(mRunPixel);
        else
            OutputPlain(mBaseCode + leftover - 2);
    }
    ResetOutClear();
}

// Codes needed to write a run of `count` from a fresh table: triangular
// numbers of runs, restarting after every mMaxCodes codes.
std::uint32_t GifRleCoder::TriangleCount(std::uint32_t count) const
{
    const std::uint32_t perRepeat = mMaxCodes * (mMaxCodes + 1) / 2;
    std::uint32_t cost = 0;
    while (count >= perRepeat) {
        cost += mMaxCodes;
        count -= perRepeat;
    }
    if (count > 0) {
        // The smallest n with n (n + 1) >= 2 count, from a close first guess.
        std::uint32_t n = std::uint32_t(std::sqrt(2.0 * double(count)));
        while (n * (n + 1) >= 2 * count)
            --n;
        while (n * (n + 1) < 2 * count)
            ++n;
        cost += n;
    }
    return cost;
}
