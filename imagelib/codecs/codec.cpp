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
