// platform/archive.cpp
#include "platform/archive.h"

#include <cstring>

void ArchiveWriter::Write(const void *data, std::size_t size)
{
    const auto *p = static_cast<const std::uint8_t *>(data);
    mBytes.insert(mBytes.end(), p, p + size);
}

void ArchiveWriter::WriteU16(std::uint16_t v)
{
    const std::uint8_t b[2] = {std::uint8_t(v), std::uint8_t(v >> 8)};
    Write(b, 2);
}

void ArchiveWriter::WriteU32(std::uint32_t v)
{
    const std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                               std::uint8_t(v >> 24)};
    Write(b, 4);
}

std::size_t ArchiveReader::Read(void *data, std::size_t size)
{
    const std::size_t n = size < Remaining() ? size : Remaining();
    if (n)
        std::memcpy(data, mData + mPos, n);
    mPos += n;
    return n;
}

bool ArchiveReader::ReadExact(void *data, std::size_t size)
{
    if (size > Remaining())
        return false;
    Read(data, size);
    return true;
}

bool ArchiveReader::ReadU16(std::uint16_t &v)
{
    std::uint8_t b[2];
    if (!ReadExact(b, 2))
        return false;
    v = std::uint16_t(b[0] | (b[1] << 8));
    return true;
}

bool ArchiveReader::ReadU32(std::uint32_t &v)
{
    std::uint8_t b[4];
    if (!ReadExact(b, 4))
        return false;
    v = std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
        (std::uint32_t(b[3]) << 24);
    return true;
}
