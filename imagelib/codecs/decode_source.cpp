// imagelib/codecs/decode_source.cpp
#include "imagelib/codecs/decode_source.h"

#include "imagelib/core/codec_error.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/file.h"

namespace {

// Pictures up to this many pixels pass whatever their file size: 16 MP
// decode in about 200 MB at most (an animated WebP's two canvases and our
// picture). Larger photographs come in files large enough to pass below.
constexpr std::uint64_t kFreePixels = std::uint64_t(16) << 20;
// Beyond that, each byte of the file may stand for this many pixels. Real
// photographs code a pixel in far more than 1/4096 of a byte; only forged
// or synthetic files (one flat colour over a huge area) go further.
constexpr std::uint64_t kPixelsPerByte = 4096;
constexpr std::size_t kChunk = 1 << 16;

} // namespace

std::vector<std::uint8_t> zvReadWholeStream(ZvFile *stream, std::size_t maxBytes)
{
    if (!stream)
        throw ZvCodecError("Read Error");
    std::vector<std::uint8_t> data;
    const std::int64_t at = stream->Tell();
    const std::int64_t size = stream->Size();
    if (at >= 0 && size > at) {
        if (std::uint64_t(size - at) > maxBytes)
            throw ZvCodecError("File too large");
        data.resize(std::size_t(size - at));
        data.resize(stream->Read(data.data(), 1, data.size()));
    } else {
        // A stream that cannot tell its size is read in chunks.
        std::size_t got = 0;
        do {
            if (data.size() >= maxBytes)
                throw ZvCodecError("File too large");
            data.resize(data.size() + kChunk);
            got = stream->Read(data.data() + data.size() - kChunk, 1, kChunk);
            data.resize(data.size() - kChunk + got);
        } while (got == kChunk);
    }
    if (data.empty())
        throw ZvCodecError("Read Error");
    return data;
}

void zvCheckDecodeSize(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels,
                       std::size_t fileBytes)
{
    if (width == 0 || height == 0)
        throw ZvCodecError("Invalid picture size");
    const std::uint64_t pixels = width * height; // both sides fit 32 bits
    if (width > 0xFFFFFFFFu || height > 0xFFFFFFFFu || pixels > maxPixels)
        throw ZvCodecError("Picture larger than the decoder's limit");
    if (pixels * 24 / 256 > kZvMaxImageArea)
        throw ZvCodecError("Picture larger than the memory limit");
    if (pixels > kFreePixels && (pixels - kFreePixels) / kPixelsPerByte > fileBytes)
        throw ZvCodecError("Not enough image data for the picture size");
}
