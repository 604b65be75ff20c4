// imagelib/streams/byte_reader.cpp
#include "imagelib/streams/byte_reader.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>

ZvByteReader::ZvByteReader(ZvFile *stream, std::size_t capacity)
    : mStream(stream)
    , mBuffer(capacity ? capacity : 1)
{
    if (mStream) {
        const std::int64_t start = mStream->Tell();
        const std::int64_t size = mStream->Size();
        if (start >= 0 && size >= start)
            mSize = size - start;
    }
}

std::int64_t ZvByteReader::Left() const
{
    if (mSize < 0)
        return -1;
    return std::max<std::int64_t>(0, mSize - mTaken + std::int64_t(mEnd - mPos));
}

bool ZvByteReader::Refill()
{
    mPos = 0;
    mEnd = mStream ? mStream->Read(mBuffer.data(), 1, mBuffer.size()) : 0;
    mTaken += std::int64_t(mEnd);
    return mEnd > 0;
}

bool ZvByteReader::Read(void *dst, std::size_t count)
{
    auto *out = static_cast<std::uint8_t *>(dst);
    const std::size_t buffered = std::min(count, mEnd - mPos);
    std::memcpy(out, mBuffer.data() + mPos, buffered);
    mPos += buffered;
    out += buffered;
    count -= buffered;
    if (count == 0)
        return true;
    // Large reads bypass the buffer: the rows of an uncompressed picture go
    // straight from the stream into the pixel block.
    if (count >= mBuffer.size()) {
        const std::size_t got = mStream ? mStream->Read(out, 1, count) : 0;
        mTaken += std::int64_t(got);
        return got == count;
    }
    if (!Refill() || mEnd < count) {
        mPos = mEnd;
        return false;
    }
    std::memcpy(out, mBuffer.data(), count);
    mPos = count;
    return true;
}

bool ZvByteReader::Skip(std::uint64_t count)
{
    while (count > 0) {
        if (mPos == mEnd && !Refill())
            return false;
        const std::size_t step = std::size_t(std::min<std::uint64_t>(count, mEnd - mPos));
        mPos += step;
        count -= step;
    }
    return true;
}
