// imagelib/streams/byte_writer.cpp
#include "imagelib/streams/byte_writer.h"
#include "imagelib/streams/file.h"

#include <cstring>

ZvByteWriter::ZvByteWriter(ZvFile *stream, std::size_t capacity)
    : mStream(stream)
    , mBuffer(capacity ? capacity : 1)
{
}

void ZvByteWriter::Drain()
{
    if (mLength > 0 && !mFailed)
        mFailed = !mStream || mStream->Write(mBuffer.data(), 1, mLength) != mLength;
    mLength = 0;
}

void ZvByteWriter::Write(const void *data, std::size_t count)
{
    if (count <= mBuffer.size() - mLength) {
        std::memcpy(mBuffer.data() + mLength, data, count);
        mLength += count;
        return;
    }
    Drain();
    if (count < mBuffer.size()) {
        std::memcpy(mBuffer.data(), data, count);
        mLength = count;
    } else if (!mFailed) {
        mFailed = !mStream || mStream->Write(data, 1, count) != count;
    }
}

bool ZvByteWriter::Flush()
{
    Drain();
    return !mFailed;
}
