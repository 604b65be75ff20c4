// imagelib/codecs/gif/gif_code_writer.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

class ZvFile;

// Buffered output of a GIF file: plain bytes for the blocks, and variable-
// width LZW codes packed least significant bit first into data sub-blocks
// of at most 255 bytes. A refused write is remembered; Flush reports it.
class GifCodeWriter
{
  public:
    explicit GifCodeWriter(ZvFile *stream);

    void PutByte(std::uint8_t b)
    {
        if (mLength >= kCapacity)
            Drain();
        mBuffer[mLength++] = b;
    }
    void PutWord(std::uint16_t w); // little-endian
    void PutBytes(const std::uint8_t *data, std::size_t n);

    // Appends one code of `width` bits (at most 12) to the code stream.
    void PutCode(std::uint32_t code, int width)
    {
        mAccum |= std::uint64_t(code) << mBits;
        mBits += width;
        while (mBits >= 8) {
            mBlock[mBlockLength++] = std::uint8_t(mAccum);
            mAccum >>= 8;
            mBits -= 8;
            if (mBlockLength == 255)
                EmitBlock();
        }
    }
    // Pads the last code to a whole byte and writes the last sub-block; the
    // block terminator is the caller's.
    void EndCodes();

    // Writes everything buffered; false when the stream took less.
    bool Flush();

  private:
    // Large enough that a growing memory stream is rarely reallocated.
    static constexpr std::size_t kCapacity = std::size_t(1) << 20;

    void EmitBlock();
    void Drain();

    ZvFile *mStream;
    std::unique_ptr<std::uint8_t[]> mBuffer;
    std::size_t mLength = 0;
    std::uint64_t mAccum = 0;
    int mBits = 0;
    std::uint8_t mBlock[256] = {};
    std::size_t mBlockLength = 0;
    bool mFailed = false;
};
