// imagelib/codecs/gif/gif_coder.h
#pragma once

#include <cstddef>
#include <cstdint>

class GifCodeWriter;

// One way of turning pixel indices into a GIF LZW code stream. Begin emits
// the opening clear code, Feed takes pixels in picture order (rows top
// down, left to right), End emits the end code and pads the last byte.
// Pixel values must be below 2^(initBits - 1).
class GifCoder
{
  public:
    explicit GifCoder(GifCodeWriter &out)
        : mOut(out)
    {
    }
    virtual ~GifCoder() = default;
    GifCoder(const GifCoder &) = delete;
    GifCoder &operator=(const GifCoder &) = delete;

    // initBits: the first code width, LZW minimum code size + 1 (3..9).
    virtual void Begin(int initBits) = 0;
    virtual void Feed(const std::uint8_t *pixels, std::size_t count) = 0;
    virtual void End() = 0;

  protected:
    GifCodeWriter &mOut;
};
