// imagelib/streams/file.h
#pragma once

#include <cstddef>
#include <cstdint>

// The byte stream every codec reads and writes through. Positions and sizes
// are in bytes; Read and Write count whole elements of `size` bytes.
class ZvFile
{
  public:
    virtual ~ZvFile() = default;

    virtual bool Close() = 0;
    virtual std::size_t Read(void *buffer, std::size_t size, std::size_t count) = 0;
    virtual std::size_t Write(const void *buffer, std::size_t size, std::size_t count) = 0;
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    virtual bool Seek(std::int64_t offset, int origin) = 0;
    virtual std::int64_t Tell() = 0;
    virtual std::int64_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(std::uint8_t c) { return Write(&c, 1, 1) == 1; }
    virtual long GetC() = 0; // the byte, or -1 at the end
};

constexpr int SEEK_FROM_START = 0;
constexpr int SEEK_FROM_CURRENT = 1;
constexpr int SEEK_FROM_END = 2;
