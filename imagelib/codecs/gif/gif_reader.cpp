// imagelib/codecs/gif/gif_reader.cpp
#include "imagelib/codecs/gif/gif_reader.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kPlainTextLabel = 0x01;

int word(const std::uint8_t *p)
{
    return p[0] | (p[1] << 8);
}

} // namespace

GifReader::GifReader(ZvFile *stream)
    : mStream(stream)
{
}

bool GifReader::ReadExact(std::uint8_t *buffer, std::size_t n)
{
    return mStream->Read(buffer, 1, n) == n;
}

bool GifReader::ReadTable(int packed, std::vector<std::uint8_t> &table)
{
    if (!(packed & 0x80)) {
        table.clear();
        return true;
    }
    table.resize(std::size_t(3) << ((packed & 7) + 1));
    return ReadExact(table.data(), table.size());
}

void GifReader::ReadScreen(GifScreen &screen)
{
    std::uint8_t head[13];
    if (!ReadExact(head, sizeof(head)) || std::memcmp(head, "GIF8", 4) != 0 ||
        (head[4] != '7' && head[4] != '9') || head[5] != 'a')
        throw ZvCodecError("Not a GIF");
    screen.width = word(head + 6);
    screen.height = word(head + 8);
    screen.background = head[11];
    if (!ReadTable(head[10], screen.table))
        throw ZvCodecError("GIF: truncated colour table");
}

bool GifReader::NextImage(GifImage &image)
{
    if (mTrailer || mStray)
        return false;
    for (;;) {
        const long b = mStream->GetC();
        if (b == kImage)
            return ReadDescriptor(image);
        if (b == kTrailer) {
            mTrailer = true;
            return false;
        }
        if (b < 0)
            return false;
        if (b != kExtension) {
            mStray = true;
            return false;
        }
        if (!ReadExtension())
            return false;
    }
}

bool GifReader::ReadDescriptor(GifImage &image)
{
    std::uint8_t d[9];
    if (!ReadExact(d, sizeof(d)))
        return false;
    image.left = word(d);
    image.top = word(d + 2);
    image.width = word(d + 4);
    image.height = word(d + 6);
    image.interlaced = (d[8] & 0x40) != 0;
    image.control = mPending;
    mPending = GifControl();
    if (!ReadTable(d[8], image.localTable))
        return false;
    image.dataPos = mStream->Tell();
    return true;
}

bool GifReader::ReadExtension()
{
    const long label = mStream->GetC();
    if (label < 0)
        return false;
    if (label == kCommentLabel && !mHasComment)
        return ReadComment();
    if (label == kApplicationLabel)
        return ReadApplication();
    std::uint8_t block[256];
    const long length = mStream->GetC();
    if (length <= 0)
        return length == 0;
    if (!ReadExact(block, std::size_t(length)))
        return false;
    if (label == kControlLabel)
        TakeControl(block, int(length));
    else if (label == kPlainTextLabel)
        mPending = GifControl(); // the control belonged to the text
    return SkipSubBlocks();
}

void GifReader::TakeControl(const std::uint8_t *data, int length)
{
    if (length < 4)
        return;
    mPending.disposal = (data[0] >> 2) & 7;
    mPending.delay = word(data + 1);
    mPending.transparent = (data[0] & 1) ? data[3] : -1;
}

bool GifReader::ReadComment()
{
    mHasComment = true;
    std::uint8_t block[256];
    for (;;) {
        const long size = mStream->GetC();
        if (size <= 0)
            return size == 0;
        if (!ReadExact(block, std::size_t(size)))
            return false;
        const std::size_t room = kMaxComment - mComment.size();
        mComment.append(reinterpret_cast<const char *>(block), std::min(room, std::size_t(size)));
    }
}

// The loop count follows an application block naming the looping extension.
bool GifReader::ReadApplication()
{
    std::uint8_t block[256];
    bool looping = false;
    for (bool first = true;; first = false) {
        const long size = mStream->GetC();
        if (size <= 0)
            return size == 0;
        if (!ReadExact(block, std::size_t(size)))
            return false;
        if (first) {
            looping = size == 11 && (std::memcmp(block, "NETSCAPE2.0", 11) == 0 ||
                                     std::memcmp(block, "ANIMEXTS1.0", 11) == 0);
        } else if (looping && size >= 3 && block[0] == 1 && !mHasLoops) {
            mHasLoops = true;
            mLoops = word(block + 1);
        }
    }
}

bool GifReader::SkipSubBlocks()
{
    while (true) {
        const long size = mStream->GetC();
        if (size == 0)
            return true;
        if (size < 0 || !mStream->Seek(size, SEEK_FROM_CURRENT))
            return false;
    }
}

void GifReader::SkipImageData()
{
    // A stream cut short here ends the walk at the next NextImage.
    if (mStream->GetC() >= 0)
        SkipSubBlocks();
}
