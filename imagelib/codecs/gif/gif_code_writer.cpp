// imagelib/codecs/gif/gif_code_writer.cpp
#include "imagelib/codecs/gif/gif_code_writer.h"

#include "imagelib/streams/file.h"

GifCodeWriter::GifCodeWriter(ZvFile *stream)
    : mStream(stream)
    , mBuffer(new std::uint8_t[kCapacity])
{
}

void GifCodeWriter::PutWord(std::uint16_t w)
{
    PutByte(std::uint8_t(w & 0xFF));
    PutByte(std::uint8_t(w >> 8));
}

void GifCodeWriter::PutBytes(const std::uint8_t *data, std::size_t n)
{
    while (n > 0) {
        if (mLength >= kCapacity)
            Drain();
        const std::size_t part = n < kCapacity - mLength ? n : kCapacity - mLength;
        std::memcpy(mBuffer.get() + mLength, data, part);
        mLength += part;
        data += part;
        n -= part;
    }
}

void GifCodeWriter::EmitBlock()
{
    PutByte(std::uint8_t(mBlockLength));
    PutBytes(mBlock, mBlockLength);
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
    if (mLength > 0 && !mFailed) {
        if (mStream->Write(mBuffer.get(), 1, mLength) != mLength)
            mFailed = true;
    }
    mLength = 0;
}

bool GifCodeWriter::Flush()
{
    Drain();
    return !mFailed;
}
