// imagelib/streams/mem_file.cpp
#include "imagelib/streams/mem_file.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
constexpr std::size_t kGrowStep = 4096;
}

ZvMemFile::ZvMemFile(std::uint8_t *buffer, std::size_t size)
    : mBuffer(buffer)
    , mSize(size)
    , mEdge(size)
{
}

ZvMemFile::~ZvMemFile()
{
    Close();
}

bool ZvMemFile::Open()
{
    if (mBuffer)
        return false;
    mPosition = 0;
    mSize = 0;
    mEdge = 0;
    mBuffer = static_cast<std::uint8_t *>(std::malloc(1));
    mFreeOnClose = true;
    return mBuffer != nullptr;
}

std::uint8_t *ZvMemFile::GetBuffer(bool detach)
{
    if (detach)
        mFreeOnClose = false;
    return mBuffer;
}

bool ZvMemFile::Close()
{
    if (mBuffer && mFreeOnClose)
        std::free(mBuffer);
    mBuffer = nullptr;
    mSize = 0;
    mEdge = 0;
    mPosition = 0;
    mFreeOnClose = false;
    return true;
}

std::size_t ZvMemFile::Read(void *buffer, std::size_t size, std::size_t count)
{
    if (!buffer || !mBuffer || size == 0 || mPosition < 0 || std::uint64_t(mPosition) >= mSize)
        return 0;
    const std::size_t left = mSize - std::size_t(mPosition);
    std::size_t whole = count;
    if (count > left / size)
        whole = left / size;
    const std::size_t bytes = whole * size;
    std::memcpy(buffer, mBuffer + mPosition, bytes);
    mPosition += std::int64_t(bytes);
    return whole;
}

std::size_t ZvMemFile::Write(const void *buffer, std::size_t size, std::size_t count)
{
    if (!buffer || size == 0 || count == 0)
        return 0;
    if (count > std::numeric_limits<std::size_t>::max() / size)
        return 0;
    const std::size_t bytes = size * count;
    const std::uint64_t end = std::uint64_t(mPosition) + bytes;
    if (end > std::numeric_limits<std::size_t>::max() / 2)
        return 0;
    if (end > mEdge && !Alloc(std::size_t(end)))
        return 0;
    std::memcpy(mBuffer + mPosition, buffer, bytes);
    mPosition = std::int64_t(end);
    if (std::size_t(end) > mSize)
        mSize = std::size_t(end);
    return count;
}

bool ZvMemFile::Alloc(std::size_t needed)
{
    const std::size_t steps = (needed - mEdge + kGrowStep - 1) / kGrowStep;
    const std::size_t newEdge = mEdge + steps * kGrowStep;
    std::uint8_t *grown = nullptr;
    if (mBuffer && mFreeOnClose) {
        grown = static_cast<std::uint8_t *>(std::realloc(mBuffer, newEdge));
    } else {
        // A caller's buffer is left to the caller; from now on we write into our own.
        grown = static_cast<std::uint8_t *>(std::malloc(newEdge));
        if (grown && mBuffer && mSize)
            std::memcpy(grown, mBuffer, mSize);
    }
    if (!grown)
        return false;
    // Bytes between the old end and a position sought past it read as zero.
    std::memset(grown + mSize, 0, newEdge - mSize);
    mBuffer = grown;
    mEdge = newEdge;
    mFreeOnClose = true;
    return true;
}

bool ZvMemFile::Seek(std::int64_t offset, int origin)
{
    if (!mBuffer)
        return false;
    std::int64_t base = 0;
    if (origin == 1)
        base = mPosition;
    else if (origin == 2)
        base = std::int64_t(mSize);
    else if (origin != 0)
        return false;
    if (offset < 0 && base + offset < 0)
        return false;
    if (offset > 0 && offset > std::numeric_limits<std::int64_t>::max() / 2)
        return false;
    mPosition = base + offset;
    return true;
}

std::int64_t ZvMemFile::Tell()
{
    return mBuffer ? mPosition : -1;
}

std::int64_t ZvMemFile::Size()
{
    return mBuffer ? std::int64_t(mSize) : -1;
}

bool ZvMemFile::Flush()
{
    return mBuffer != nullptr;
}

bool ZvMemFile::Eof()
{
    return !mBuffer || std::uint64_t(mPosition) >= mSize;
}

long ZvMemFile::Error()
{
    return !mBuffer || std::uint64_t(mPosition) > mSize;
}

long ZvMemFile::GetC()
{
    if (Eof())
        return -1;
    return mBuffer[mPosition++];
}
