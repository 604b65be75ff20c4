// imagelib/codecs/decode_source.cpp
#include "imagelib/codecs/decode_source.h"

#include "imagelib/core/codec_error.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/file.h"

#include <limits>

namespace {

constexpr std::size_t kChunk = std::size_t(1) << 16;

// Appends what the stream still holds, a chunk at a time, for a stream that
// cannot tell its size or holds more than it said.
void readChunks(ZvFile *stream, std::vector<std::uint8_t> &data, std::size_t maxBytes)
{
    for (;;) {
        const std::size_t have = data.size();
        data.resize(have + kChunk);
        const std::size_t got = stream->Read(data.data() + have, 1, kChunk);
        data.resize(have + got);
        if (got == 0)
            return;
        if (data.size() > maxBytes)
            throw ZvCodecTooLarge("File too large");
    }
}

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
            throw ZvCodecTooLarge("File too large");
        data.resize(std::size_t(size - at));
        data.resize(stream->Read(data.data(), 1, data.size()));
    }
    readChunks(stream, data, maxBytes);
    // A read that failed part way must not pass for a shorter file.
    if (stream->Error() || data.empty())
        throw ZvCodecError("Read Error");
    return data;
}

std::uint64_t zvDecodePixelAllowance(const ZvDecodeLimits &limits, std::size_t fileBytes)
{
    const std::uint64_t room = std::numeric_limits<std::uint64_t>::max() - limits.freePixels;
    const std::uint64_t paid = limits.pixelsPerByte == 0 ? 0
                               : fileBytes > room / limits.pixelsPerByte
                                   ? room
                                   : std::uint64_t(fileBytes) * limits.pixelsPerByte;
    return std::min(limits.maxPixels, limits.freePixels + paid);
}

void zvCheckDecodeSize(std::uint64_t width, std::uint64_t height, const ZvDecodeLimits &limits,
                       std::size_t fileBytes)
{
    if (width == 0 || height == 0)
        throw ZvCodecError("Invalid picture size");
    if (width > 0xFFFFFFFFu || height > 0xFFFFFFFFu || width * height > limits.maxPixels)
        throw ZvCodecTooLarge("Picture larger than the decoder's limit");
    const std::uint64_t pixels = width * height; // both sides fit 32 bits
    if (pixels * 24 / 256 > kZvMaxImageArea)
        throw ZvCodecTooLarge("Picture larger than the memory limit");
    if (pixels > zvDecodePixelAllowance(limits, fileBytes))
        throw ZvCodecTooLarge("Not enough image data for the picture size");
}
