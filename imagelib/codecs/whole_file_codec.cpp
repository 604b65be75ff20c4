// imagelib/codecs/whole_file_codec.cpp
#include "imagelib/codecs/whole_file_codec.h"

#include "imagelib/streams/file.h"

#include <algorithm>
#include <string>

bool ZvWholeFileCodec::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    mAsLoaded = BITMAPINFOHEADER();
    return RunGuarded(Step::Decode, mFormat.outOfMemory, [&] {
        if (!IsOurFile(stream))
            throw ZvCodecError(mFormat.notOurs);
        std::vector<std::uint8_t> bytes = zvReadWholeStream(stream, mFormat.limits.maxFileBytes);
        DecodeBytes(bytes);
    });
}

bool ZvWholeFileCodec::Encode(ZvFile *)
{
    SetLastError((std::string("Can't save this image as ") + mFormat.name).c_str(), ZvErrorKind::Unsupported);
    return false;
}

BITMAPINFOHEADER ZvWholeFileCodec::AsLoadedHead() const
{
    BITMAPINFOHEADER head = mHead;
    head.biWidth = mAsLoaded.biWidth;
    head.biHeight = mAsLoaded.biHeight;
    head.biBitCount = mAsLoaded.biBitCount;
    return head;
}

// Looks at the head and puts the stream back where it was.
bool ZvWholeFileCodec::IsOurFile(ZvFile *stream) const
{
    const std::int64_t start = stream->Tell();
    std::uint8_t head[kMaxProbe];
    const std::size_t got = stream->Read(head, 1, std::min(mFormat.probeBytes, sizeof(head)));
    stream->Seek(start, SEEK_FROM_START);
    return mFormat.isOurs(head, got);
}
