// imagelib/streams/byte_reader.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ZvFile;

// Buffered reading of a ZvFile for decoders that take their input a byte or
// a packet at a time. It reads ahead: the stream's position is past what was
// consumed, so a caller that seeks afterwards must seek absolutely.
class ZvByteReader
{
  public:
    explicit ZvByteReader(ZvFile *stream, std::size_t capacity = 1 << 16);

    // The next byte, or -1 at the end of the stream.
    int Get()
    {
        if (mPos == mEnd && !Refill())
            return -1;
        return mBuffer[mPos++];
    }
    // Exactly count bytes; false at the end of the stream.
    bool Read(void *dst, std::size_t count);
    bool Skip(std::uint64_t count);
    // Bytes of the stream not consumed yet, or -1 when its size is unknown.
    // Decoders compare it with the least their pixel data can take before
    // they allocate a picture the file could never fill.
    std::int64_t Left() const;

  private:
    bool Refill();

    ZvFile *mStream;
    std::vector<std::uint8_t> mBuffer;
    std::size_t mPos = 0;
    std::size_t mEnd = 0;
    std::int64_t mSize = -1; // bytes from the starting position to the end
    std::int64_t mTaken = 0; // bytes taken from the stream so far
};
