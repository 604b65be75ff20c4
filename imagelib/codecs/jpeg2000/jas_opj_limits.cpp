// imagelib/codecs/jpeg2000/jas_opj_limits.cpp
// OpenJPEG sizes its tile tables while it reads the main header and its
// sample buffers when it decodes, both from the SIZ marker. A few bytes can
// ask for gigabytes, so the marker is read here first and checked against
// our limits before the library sees the stream.
#include "imagelib/codecs/jpeg2000/jas_opj_limits.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/streams/file.h"

#include <vector>

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

bool readAt(ZvFile *file, std::int64_t at, std::uint8_t *out, std::size_t size)
{
    return file->Seek(at, SEEK_FROM_START) && file->Read(out, 1, size) == size;
}

// The offset of the codestream inside a JP2 file: the contents of its
// top-level 'jp2c' box, or -1.
std::int64_t codestreamInJp2(ZvFile *file, std::int64_t start)
{
    std::int64_t at = start;
    for (int boxes = 0; boxes < 64; ++boxes) {
        std::uint8_t head[16];
        if (!readAt(file, at, head, 8))
            return -1;
        std::uint64_t length = bigEndian(head, 4);
        std::int64_t header = 8;
        if (length == 1) {
            if (!readAt(file, at + 8, head + 8, 8))
                return -1;
            length = bigEndian(head + 8, 8);
            header = 16;
        }
        if (bigEndian(head + 4, 4) == 0x6A703263) // 'jp2c'
            return at + header;
        if (length < std::uint64_t(header) || length > (std::uint64_t(1) << 62))
            return -1;
        at += std::int64_t(length);
    }
    return -1;
}

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b)
{
    return (a + b - 1) / b;
}

void checkSiz(ZvFile *file, std::int64_t at, std::uint64_t maxSamples)
{
    std::uint8_t siz[42];
    if (!readAt(file, at, siz, sizeof(siz)) || bigEndian(siz, 4) != 0xFF4FFF51)
        return; // not ours to judge: the library reports it
    const std::uint64_t x1 = bigEndian(siz + 8, 4), y1 = bigEndian(siz + 12, 4);
    const std::uint64_t x0 = bigEndian(siz + 16, 4), y0 = bigEndian(siz + 20, 4);
    const std::uint64_t tw = bigEndian(siz + 24, 4), th = bigEndian(siz + 28, 4);
    const std::uint64_t tx0 = bigEndian(siz + 32, 4), ty0 = bigEndian(siz + 36, 4);
    const std::uint64_t comps = bigEndian(siz + 40, 2);
    if (x1 <= x0 || y1 <= y0 || tw == 0 || th == 0 || tx0 > x0 || ty0 > y0 || comps == 0)
        return;
    const std::uint64_t tiles = jasMul(ceilDiv(x1 - tx0, tw), ceilDiv(y1 - ty0, th));
    if (tiles > kMaxTiles || jasMul(tiles, comps) > kMaxTileComponents)
        throw ZvCodecError("error: cannot allocate memory");
    std::vector<std::uint8_t> sub(std::size_t(comps) * 3);
    if (!readAt(file, at + 42, sub.data(), sub.size()))
        return;
    std::uint64_t samples = 0;
    for (std::uint64_t c = 0; c < comps; ++c) {
        const std::uint64_t dx = sub[c * 3 + 1], dy = sub[c * 3 + 2];
        if (dx == 0 || dy == 0)
            return;
        samples += jasMul(ceilDiv(x1, dx) - ceilDiv(x0, dx), ceilDiv(y1, dy) - ceilDiv(y0, dy));
        if (samples > maxSamples)
            throw ZvCodecError("error: cannot allocate memory");
    }
}

} // namespace

void jasCheckCodestreamLimits(ZvFile *file, bool jp2, std::uint64_t maxSamples)
{
    const std::int64_t start = file->Tell();
    const std::int64_t at = jp2 ? codestreamInJp2(file, start) : start;
    try {
        if (at >= 0)
            checkSiz(file, at, maxSamples);
    } catch (...) {
        file->Seek(start, SEEK_FROM_START);
        throw;
    }
    if (!file->Seek(start, SEEK_FROM_START))
        throw ZvCodecError("error: cannot load image data");
}
