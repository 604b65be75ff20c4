// imagelib/gif_code_writer.cpp
#include "imagelib/gif_code_writer.h"

#include "imagelib/file.h"

GifCodeWriter::GifCodeWriter(ZvFile *stream)
    : mStream(stream)
{
    mBuffer.reserve(kFlushAt + 512);
}

void GifCodeWriter::PutWord(std::uint16_t w)
{
    PutByte(std::uint8_t(w & 0xFF));
    PutByte(std::uint8_t(w >> 8));
}

void GifCodeWriter::PutBytes(const std::uint8_t *data, std::size_t n)
{
    if (mBuffer.size() + n > kFlushAt)
        Drain();
    mBuffer.insert(mBuffer.end(), data, data + n);
}

void GifCodeWriter::EmitBlock()
{
    if (mBuffer.size() + 256 > kFlushAt)
        Drain();
    mBuffer.push_back(std::uint8_t(mBlockLength));
    mBuffer.insert(mBuffer.end(), mBlock, mBlock + mBlockLength);
    mBlockLength = 0;
}

void GifCodeWriter::EndCodes()
{
    if (mBits > 0) {
        mBlock[mBlockLength++] = std::uint8_t(mAccum);
        if (mBlockLength == 255)
            EmitBlock();
    }
    mAccum = 0;
    mBits = 0;
    if (mBlockLength > 0)
        EmitBlock();
}

void GifCodeWriter::Drain()
{
    if (!mBuffer.empty() && !mFailed) {
        if (mStream->Write(mBuffer.data(), 1, mBuffer.size()) != mBuffer.size())
            mFailed = true;
    }
    mBuffer.clear();
}

bool GifCodeWriter::Flush()
{
    Drain();
    return !mFailed;
}
