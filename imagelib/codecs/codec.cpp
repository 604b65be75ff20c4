// imagelib/codecs/codec.cpp
#include "imagelib/codecs/codec.h"

#include "imagelib/streams/file.h"

bool ZvCodec::EncodeSafeCheck(ZvFile *stream)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    if (!mDib) {
        SetLastError("null image!!!");
        return false;
    }
    return true;
}

std::vector<std::uint8_t> ZvCodec::ReadRest(ZvFile *stream, std::size_t maxBytes)
{
    const std::int64_t start = stream->Tell();
    const std::int64_t size = stream->Size();
    if (size >= 0 && start >= 0 && size - start > std::int64_t(maxBytes))
        throw ZvCodecError("The file is too large");
    std::vector<std::uint8_t> bytes;
    if (size >= 0 && start >= 0 && size > start)
        bytes.reserve(std::size_t(size - start));
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t got = stream->Read(chunk, 1, sizeof(chunk));
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes)
            throw ZvCodecError("The file is too large");
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (stream->Error())
        throw ZvCodecError("Read error");
    return bytes;
}

bool zvRenditionCovers(std::int64_t width, std::int64_t height, std::int64_t renditionWidth,
                       std::int64_t renditionHeight, std::int64_t needWidth, std::int64_t needHeight)
{
    if (width <= 0 || height <= 0 || needWidth <= 0 || needHeight <= 0)
        return false;
    std::int64_t fitWidth = width, fitHeight = height;
    if (width > needWidth || height > needHeight) {
        // The tighter axis touches the box, the other follows, truncated.
        if (width * needHeight >= height * needWidth) {
            fitWidth = needWidth;
            fitHeight = height * needWidth / width;
        } else {
            fitHeight = needHeight;
            fitWidth = width * needHeight / height;
        }
    }
    return renditionWidth >= fitWidth && renditionHeight >= fitHeight;
}
