// imagelib/codecs/jpeg2000/jas_codestream.cpp
#include "imagelib/codecs/jpeg2000/jas_codestream.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::uint32_t kSiz = 0xFF51, kCod = 0xFF52, kCoc = 0xFF53, kPpm = 0xFF60, kPpt = 0xFF61;
constexpr std::uint32_t kSot = 0xFF90, kSod = 0xFF93;
constexpr std::uint32_t kMaxLevels = 32;
constexpr char kMissing[] = "error: cannot load image data: the codestream lacks the data of its tiles";

std::uint64_t bigEndian(const std::uint8_t *p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

bool readAt(ZvFile *file, std::int64_t at, void *out, std::size_t size)
{
    return file->Seek(at, SEEK_FROM_START) && file->Read(out, 1, size) == size;
}

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b)
{
    return (a + b - 1) / b;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// What fixes a tile-component's packets: its decomposition levels and the
// precinct size exponents of each resolution (15 when none are given).
struct ComponentStyle
{
    std::uint32_t levels = 0;
    std::array<std::uint8_t, kMaxLevels + 1> ppx{}, ppy{};
};

struct TileStyle
{
    std::uint32_t layers = 1;
    std::vector<ComponentStyle> comps;
};

// The coding style markers of one header, applied in the order of their
// precedence (COD, then COC) over the style in force before it.
struct HeaderStyles
{
    std::optional<std::uint32_t> layers;
    std::optional<ComponentStyle> all;
    std::vector<std::pair<std::uint32_t, ComponentStyle>> single;
    std::uint64_t packedHeaders = 0; // PPM or PPT bytes

    void ApplyTo(TileStyle &style) const
    {
        if (layers)
            style.layers = *layers;
        if (all)
            std::fill(style.comps.begin(), style.comps.end(), *all);
        for (const auto &[c, s] : single)
            if (c < style.comps.size())
                style.comps[c] = s;
    }
};

// SPcod or SPcoc: levels, code-block size and style, transform, then the
// precinct sizes when `precincts`.
bool parseComponentStyle(const std::uint8_t *p, std::size_t size, bool precincts, ComponentStyle &out)
{
    if (size < 5 || p[0] > kMaxLevels)
        return false;
    out.levels = p[0];
    out.ppx.fill(15);
    out.ppy.fill(15);
    if (!precincts)
        return true;
    if (size < 5 + out.levels + 1)
        return false;
    for (std::uint32_t r = 0; r <= out.levels; ++r) {
        out.ppx[r] = p[5 + r] & 0x0F;
        out.ppy[r] = p[5 + r] >> 4;
    }
    return true;
}

// Reads the marker segments from `at` up to (not including) `stop`, into
// `styles`; the position of `stop`, or nullopt when the segments cannot be
// followed.
std::optional<std::int64_t> readSegments(ZvFile *file, std::int64_t at, std::int64_t end, std::uint32_t stop,
                                         std::size_t comps, HeaderStyles &styles)
{
    std::vector<std::uint8_t> body;
    while (at + 2 <= end) {
        std::uint8_t head[4];
        if (!readAt(file, at, head, 2))
            return std::nullopt;
        const std::uint32_t marker = std::uint32_t(bigEndian(head, 2));
        if (marker == stop)
            return at;
        if (!readAt(file, at + 2, head + 2, 2))
            return std::nullopt;
        const std::uint64_t length = bigEndian(head + 2, 2);
        if (marker < 0xFF00 || length < 2 || at + 2 + std::int64_t(length) > end)
            return std::nullopt;
        if (marker == kCod || marker == kCoc) {
            body.resize(length - 2);
            if (!readAt(file, at + 4, body.data(), body.size()))
                return std::nullopt;
            ComponentStyle s;
            if (marker == kCod) {
                if (body.size() < 5 || !parseComponentStyle(body.data() + 5, body.size() - 5, body[0] & 1, s))
                    return std::nullopt;
                styles.layers = std::uint32_t(bigEndian(body.data() + 2, 2));
                styles.all = s;
            } else {
                const std::size_t index = comps < 257 ? 1 : 2;
                if (body.size() < index + 1 ||
                    !parseComponentStyle(body.data() + index + 1, body.size() - index - 1, body[index] & 1,
                                         s))
                    return std::nullopt;
                styles.single.emplace_back(std::uint32_t(bigEndian(body.data(), int(index))), s);
            }
        } else if ((marker == kPpm || marker == kPpt) && length > 3) {
            styles.packedHeaders += length - 3;
        }
        at += 2 + std::int64_t(length);
    }
    return std::nullopt;
}

// Packets of one tile: every layer of every precinct of every resolution
// that is not empty, on the grid of each component.
std::uint64_t packetsOf(const JasSiz &siz, std::uint64_t tile, const TileStyle &style)
{
    const std::uint64_t p = tile % siz.TilesAcross(), q = tile / siz.TilesAcross();
    const std::uint64_t tx0 = std::max(siz.tileX0 + p * siz.tileWidth, siz.x0);
    const std::uint64_t tx1 = std::min(siz.tileX0 + (p + 1) * siz.tileWidth, siz.x1);
    const std::uint64_t ty0 = std::max(siz.tileY0 + q * siz.tileHeight, siz.y0);
    const std::uint64_t ty1 = std::min(siz.tileY0 + (q + 1) * siz.tileHeight, siz.y1);
    std::uint64_t precincts = 0;
    for (std::size_t c = 0; c < style.comps.size(); ++c) {
        const ComponentStyle &s = style.comps[c];
        const std::uint64_t cx0 = ceilDiv(tx0, siz.dx[c]), cx1 = ceilDiv(tx1, siz.dx[c]);
        const std::uint64_t cy0 = ceilDiv(ty0, siz.dy[c]), cy1 = ceilDiv(ty1, siz.dy[c]);
        for (std::uint32_t r = 0; r <= s.levels; ++r) {
            const std::uint64_t scale = std::uint64_t(1) << (s.levels - r);
            const std::uint64_t rx0 = ceilDiv(cx0, scale), rx1 = ceilDiv(cx1, scale);
            const std::uint64_t ry0 = ceilDiv(cy0, scale), ry1 = ceilDiv(cy1, scale);
            if (rx1 <= rx0 || ry1 <= ry0)
                continue;
            const std::uint64_t across = ((rx1 - 1) >> s.ppx[r]) - (rx0 >> s.ppx[r]) + 1;
            const std::uint64_t down = ((ry1 - 1) >> s.ppy[r]) - (ry0 >> s.ppy[r]) + 1;
            precincts = saturatingAdd(precincts, jasMul(across, down));
        }
    }
    return jasMul(precincts, style.layers);
}

} // namespace

std::uint64_t JasSiz::TilesAcross() const
{
    return ceilDiv(x1 - tileX0, tileWidth);
}

std::uint64_t JasSiz::Tiles() const
{
    return jasMul(TilesAcross(), ceilDiv(y1 - tileY0, tileHeight));
}

bool jasReadSiz(ZvFile *file, std::int64_t at, JasSiz &siz)
{
    std::uint8_t b[42];
    if (!readAt(file, at, b, sizeof(b)) || bigEndian(b, 2) != 0xFF4F || bigEndian(b + 2, 2) != kSiz)
        return false;
    siz.x1 = bigEndian(b + 8, 4);
    siz.y1 = bigEndian(b + 12, 4);
    siz.x0 = bigEndian(b + 16, 4);
    siz.y0 = bigEndian(b + 20, 4);
    siz.tileWidth = bigEndian(b + 24, 4);
    siz.tileHeight = bigEndian(b + 28, 4);
    siz.tileX0 = bigEndian(b + 32, 4);
    siz.tileY0 = bigEndian(b + 36, 4);
    const std::size_t comps = std::size_t(bigEndian(b + 40, 2));
    if (siz.x1 <= siz.x0 || siz.y1 <= siz.y0 || siz.tileWidth == 0 || siz.tileHeight == 0 ||
        siz.tileX0 > siz.x0 || siz.tileY0 > siz.y0 || comps == 0)
        return false;
    std::vector<std::uint8_t> sub(comps * 3);
    if (!readAt(file, at + 42, sub.data(), sub.size()))
        return false;
    siz.dx.resize(comps);
    siz.dy.resize(comps);
    for (std::size_t c = 0; c < comps; ++c) {
        siz.dx[c] = sub[c * 3 + 1];
        siz.dy[c] = sub[c * 3 + 2];
        if (siz.dx[c] == 0 || siz.dy[c] == 0)
            return false;
    }
    return true;
}

void jasCheckTileData(ZvFile *file, std::int64_t at, std::int64_t end, const JasSiz &siz)
{
    const std::size_t comps = siz.dx.size();
    HeaderStyles main;
    const std::optional<std::int64_t> firstTilePart = readSegments(file, at + 2, end, kSot, comps, main);
    if (!firstTilePart || !main.layers)
        return; // a main header without a COD marker is the library's to refuse
    TileStyle mainStyle;
    mainStyle.comps.resize(comps);
    main.ApplyTo(mainStyle);

    const std::uint64_t tiles = siz.Tiles();
    std::vector<std::uint64_t> needed(tiles, 0), present(tiles, 0);
    std::vector<bool> seen(tiles, false);
    for (std::int64_t part = *firstTilePart; part + 12 <= end;) {
        std::uint8_t sot[12];
        if (!readAt(file, part, sot, sizeof(sot)) || bigEndian(sot, 2) != kSot || bigEndian(sot + 2, 2) != 10)
            break;
        const std::uint64_t tile = bigEndian(sot + 4, 2), length = bigEndian(sot + 6, 4);
        const std::int64_t partEnd = length == 0 ? end : std::min(end, part + std::int64_t(length));
        HeaderStyles own;
        const std::optional<std::int64_t> sod = readSegments(file, part + 12, partEnd, kSod, comps, own);
        if (tile >= tiles || !sod)
            break;
        if (!seen[tile]) {
            TileStyle style = mainStyle;
            own.ApplyTo(style);
            needed[tile] = packetsOf(siz, tile, style);
            seen[tile] = true;
        }
        present[tile] = saturatingAdd(present[tile], std::uint64_t(partEnd - (*sod + 2)) + own.packedHeaders);
        if (length < 14)
            break;
        part += std::int64_t(length);
    }
    // Packet headers packed into the main header may stand in for any tile's.
    std::uint64_t shortfall = 0;
    for (std::uint64_t t = 0; t < tiles; ++t) {
        // A tile without samples (beside the picture's edge on a subsampled
        // grid) has no packets and may be left out.
        if (!seen[t] && packetsOf(siz, t, mainStyle) > 0)
            throw ZvCodecError(kMissing);
        if (needed[t] > present[t])
            shortfall = saturatingAdd(shortfall, needed[t] - present[t]);
    }
    if (shortfall > main.packedHeaders)
        throw ZvCodecError(kMissing);
}
