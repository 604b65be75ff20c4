// imagelib/codecs/jpeg2000/jas_reader.cpp
#include "imagelib/codecs/jpeg2000/jas_reader.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>

ZvJasReader::ZvJasReader(ZvFile *stream, std::string truncated)
    : mStream(stream)
    , mTruncated(std::move(truncated))
{
    const std::int64_t size = stream->Size();
    const std::int64_t pos = stream->Tell();
    if (size >= 0 && pos >= 0)
        mLeft = std::max<std::int64_t>(size - pos, 0);
}

bool ZvJasReader::Fill()
{
    mPos = 0;
    mLen = mStream->Read(mBuf, 1, sizeof(mBuf));
    if (mLeft >= 0)
        mLeft = std::max<std::int64_t>(mLeft - std::int64_t(mLen), 0);
    return mLen > 0;
}

int ZvJasReader::Get()
{
    if (mPos == mLen && !Fill())
        return -1;
    return mBuf[mPos++];
}

int ZvJasReader::Peek()
{
    if (mPos == mLen && !Fill())
        return -1;
    return mBuf[mPos];
}

void ZvJasReader::Read(void *buffer, std::size_t size)
{
    auto *out = static_cast<std::uint8_t *>(buffer);
    const std::size_t buffered = std::min(size, mLen - mPos);
    std::memcpy(out, mBuf + mPos, buffered);
    mPos += buffered;
    size -= buffered;
    if (size == 0)
        return;
    // Large reads go straight to the stream rather than through the buffer.
    const std::size_t got = mStream->Read(out + buffered, 1, size);
    if (mLeft >= 0)
        mLeft = std::max<std::int64_t>(mLeft - std::int64_t(got), 0);
    if (got != size)
        Truncated();
}

void ZvJasReader::Skip(std::uint64_t size)
{
    while (size > 0) {
        if (mPos == mLen && !Fill())
            Truncated();
        const std::size_t step = std::size_t(std::min<std::uint64_t>(size, mLen - mPos));
        mPos += step;
        size -= step;
    }
}

std::int64_t ZvJasReader::Remaining() const
{
    return mLeft < 0 ? -1 : mLeft + std::int64_t(mLen - mPos);
}

void ZvJasReader::Require(std::uint64_t size) const
{
    const std::int64_t left = Remaining();
    if (left >= 0 && size > std::uint64_t(left))
        Truncated();
}

void ZvJasReader::Truncated() const
{
    throw ZvCodecError(mTruncated);
}

void ZvJasReader::SkipSpaceAndComments()
{
    for (;;) {
        const int c = Peek();
        if (c == '#') {
            int d;
            do
                d = Get();
            while (d != -1 && d != '\n' && d != '\r');
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            Get();
        } else {
            return;
        }
    }
}

std::uint32_t ZvJasReader::ReadDecimal(std::uint32_t max, const char *invalid)
{
    SkipSpaceAndComments();
    int c = Peek();
    if (c < '0' || c > '9')
        throw ZvCodecError(c == -1 ? mTruncated.c_str() : invalid);
    std::uint64_t value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10 + std::uint64_t(c - '0');
        if (value > max)
            throw ZvCodecError(invalid);
        Get();
        c = Peek();
    }
    return std::uint32_t(value);
}
