// imagelib/streams/byte_writer.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ZvFile;

// Buffered writing to a ZvFile for encoders that produce a byte or a run at
// a time. A failed write is remembered; Flush reports whether every byte
// reached the stream. Nothing is flushed on destruction.
class ZvByteWriter
{
  public:
    explicit ZvByteWriter(ZvFile *stream, std::size_t capacity = 1 << 16);

    void Put(std::uint8_t byte)
    {
        if (mLength == mBuffer.size())
            Drain();
        mBuffer[mLength++] = byte;
    }
    void PutLe16(std::uint16_t value)
    {
        Put(std::uint8_t(value & 0xFF));
        Put(std::uint8_t(value >> 8));
    }
    void PutLe32(std::uint32_t value)
    {
        PutLe16(std::uint16_t(value & 0xFFFF));
        PutLe16(std::uint16_t(value >> 16));
    }
    void Write(const void *data, std::size_t count);
    bool Flush();

  private:
    void Drain();

    ZvFile *mStream;
    std::vector<std::uint8_t> mBuffer;
    std::size_t mLength = 0;
    bool mFailed = false;
};
