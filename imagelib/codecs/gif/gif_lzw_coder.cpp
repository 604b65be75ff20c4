// imagelib/codecs/gif/gif_lzw_coder.cpp
#include "imagelib/codecs/gif/gif_lzw_coder.h"

#include "imagelib/codecs/gif/gif_code_writer.h"

#include <algorithm>

namespace {
constexpr int kMaxBits = 12;
constexpr std::uint32_t kMaxMaxCode = 1u << kMaxBits;
constexpr int kHashShift = 4; // spreads the 8-bit pixel over the 5003 slots
} // namespace

void GifLzwCoder::Begin(int initBits)
{
    mInitBits = initBits;
    mBits = initBits;
    mMaxCode = (1u << mBits) - 1;
    mClearCode = 1u << (initBits - 1);
    mFreeEntry = mClearCode + 2;
    mClearFlag = false;
    mStarted = false;
    ClearTable();
    Output(mClearCode);
}

void GifLzwCoder::ClearTable()
{
    std::fill(std::begin(mHashKey), std::end(mHashKey), -1);
}

void GifLzwCoder::ClearBlock()
{
    ClearTable();
    mFreeEntry = mClearCode + 2;
    mClearFlag = true;
    Output(mClearCode);
}

// Writes a code, then widens the codes when the entry just assigned no
// longer fits, exactly one code later than the decoder sees the same entry.
void GifLzwCoder::Output(std::uint32_t code)
{
    mOut.PutCode(code, mBits);
    if (mFreeEntry > mMaxCode || mClearFlag) {
        if (mClearFlag) {
            mBits = mInitBits;
            mMaxCode = (1u << mBits) - 1;
            mClearFlag = false;
        } else {
            ++mBits;
            mMaxCode = mBits == kMaxBits ? kMaxMaxCode : (1u << mBits) - 1;
        }
    }
}

void GifLzwCoder::Feed(const std::uint8_t *pixels, std::size_t count)
{
    std::size_t i = 0;
    if (!mStarted && count > 0) {
        mPrefix = pixels[i++];
        mStarted = true;
    }
    std::uint32_t ent = mPrefix;
    for (; i < count; ++i) {
        const std::uint32_t c = pixels[i];
        const std::int32_t fcode = std::int32_t((c << kMaxBits) + ent);
        int h = int((c << kHashShift) ^ ent);
        if (mHashKey[h] == fcode) {
            ent = mHashCode[h];
            continue;
        }
        if (mHashKey[h] >= 0) {
            // Secondary probes step backwards by a distance fixed per slot.
            const int disp = h == 0 ? 1 : kHashSize - h;
            bool found = false;
            do {
                h -= disp;
                if (h < 0)
                    h += kHashSize;
                if (mHashKey[h] == fcode) {
                    found = true;
                    break;
                }
            } while (mHashKey[h] > 0);
            if (found) {
                ent = mHashCode[h];
                continue;
            }
        }
        Output(ent);
        ent = c;
        if (mFreeEntry < kMaxMaxCode) {
            mHashCode[h] = std::uint16_t(mFreeEntry++);
            mHashKey[h] = fcode;
        } else {
            ClearBlock();
        }
    }
    mPrefix = ent;
}

void GifLzwCoder::End()
{
    if (mStarted)
        Output(mPrefix);
    Output(mClearCode + 1);
    mOut.EndCodes();
}
