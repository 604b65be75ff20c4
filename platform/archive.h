// platform/archive.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Byte-exact writer and reader of serialised records (little-endian, as
// stored on disk by the cache file). The writer appends to a byte vector;
// the reader walks a byte range it does not own.
class ArchiveWriter
{
  public:
    void Write(const void *data, std::size_t size);
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v);

    const std::vector<std::uint8_t> &bytes() const { return mBytes; }

  private:
    std::vector<std::uint8_t> mBytes;
};

class ArchiveReader
{
  public:
    ArchiveReader(const std::uint8_t *data, std::size_t size)
        : mData(data)
        , mSize(size)
    {
    }

    // Copies up to size bytes; returns how many were there.
    std::size_t Read(void *data, std::size_t size);
    // All of size bytes or nothing: false, and nothing consumed, when fewer remain.
    bool ReadExact(void *data, std::size_t size);
    bool ReadU16(std::uint16_t &v);
    bool ReadU32(std::uint32_t &v);
    std::size_t Remaining() const { return mSize - mPos; }
    std::size_t Position() const { return mPos; }

  private:
    const std::uint8_t *mData;
    std::size_t mSize;
    std::size_t mPos = 0;
};
