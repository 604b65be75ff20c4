// imagelib/codecs/jpeg2000/jas_opj_limits.cpp
// OpenJPEG sizes its tile tables while it reads the main header and its
// sample buffers when it decodes, both from the SIZ marker. A few bytes can
// ask for gigabytes, so the marker is read here first and checked against
// our limits before the library sees the stream, and so are the tiles'
// lengths against what they claim.
#include "imagelib/codecs/jpeg2000/jas_opj_limits.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_codestream.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <optional>

namespace {

// Tile tables cost the library about 5 KB per tile and 1 KB per tile
// component; 32768 tiles cover a 134-megapixel picture in 64 x 64 tiles.
constexpr std::uint64_t kMaxTiles = 32768;
constexpr std::uint64_t kMaxTileComponents = std::uint64_t(1) << 17;

std::uint64_t bigEndian(const std::uint8_t *p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

// Bytes [start, end) of the file.
struct Span
{
    std::int64_t start;
    std::int64_t end;
};

bool readAt(ZvFile *file, std::int64_t at, std::uint8_t *out, std::size_t size)
{
    return file->Seek(at, SEEK_FROM_START) && file->Read(out, 1, size) == size;
}

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b)
{
    return (a + b - 1) / b;
}

// The codestream inside a JP2 file: the contents of its top-level 'jp2c'
// box, or nullopt.
std::optional<Span> codestreamInJp2(ZvFile *file, std::int64_t start, std::int64_t fileEnd)
{
    std::int64_t at = start;
    for (int boxes = 0; boxes < 64; ++boxes) {
        std::uint8_t head[16];
        if (!readAt(file, at, head, 8))
            return std::nullopt;
        std::uint64_t length = bigEndian(head, 4);
        std::int64_t header = 8;
        if (length == 1) {
            if (!readAt(file, at + 8, head + 8, 8))
                return std::nullopt;
            length = bigEndian(head + 8, 8);
            header = 16;
        }
        const bool last = length == 0; // the box runs to the end of the file
        if (!last && (length < std::uint64_t(header) || length > (std::uint64_t(1) << 62)))
            return std::nullopt;
        const std::int64_t boxEnd = last ? fileEnd : std::min(fileEnd, at + std::int64_t(length));
        if (bigEndian(head + 4, 4) == 0x6A703263) // 'jp2c'
            return Span{at + header, boxEnd};
        if (last)
            return std::nullopt;
        at += std::int64_t(length);
    }
    return std::nullopt;
}

void checkCodestream(ZvFile *file, Span codestream, std::uint64_t maxSamples)
{
    JasSiz siz;
    if (!jasReadSiz(file, codestream.start, siz))
        return; // not ours to judge: the library reports it
    const std::uint64_t tiles = siz.Tiles();
    if (tiles > kMaxTiles || jasMul(tiles, siz.dx.size()) > kMaxTileComponents)
        throw ZvCodecError("error: cannot allocate memory");
    std::uint64_t samples = 0;
    for (std::size_t c = 0; c < siz.dx.size(); ++c) {
        const std::uint64_t dx = siz.dx[c], dy = siz.dy[c];
        samples +=
            jasMul(ceilDiv(siz.x1, dx) - ceilDiv(siz.x0, dx), ceilDiv(siz.y1, dy) - ceilDiv(siz.y0, dy));
        if (samples > maxSamples)
            throw ZvCodecError("error: cannot allocate memory");
    }
    jasCheckTileData(file, codestream.start, codestream.end, siz);
}

} // namespace

void jasCheckCodestreamLimits(ZvFile *file, bool jp2, std::uint64_t maxSamples)
{
    const std::int64_t start = file->Tell();
    const std::int64_t fileEnd = file->Size();
    try {
        const std::optional<Span> codestream =
            jp2 ? codestreamInJp2(file, start, fileEnd) : std::optional<Span>(Span{start, fileEnd});
        if (codestream && fileEnd >= 0)
            checkCodestream(file, *codestream, maxSamples);
    } catch (...) {
        file->Seek(start, SEEK_FROM_START);
        throw;
    }
    if (!file->Seek(start, SEEK_FROM_START))
        throw ZvCodecError("error: cannot load image data");
}
