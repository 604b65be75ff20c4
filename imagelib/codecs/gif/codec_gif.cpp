// imagelib/codecs/gif/codec_gif.cpp
// The GIF encoder; the decoder is in codec_gif_decode.cpp.
#include "imagelib/codecs/gif/codec_gif.h"

#include "imagelib/codecs/gif/gif_code_writer.h"
#include "imagelib/codecs/gif/gif_literal_coder.h"
#include "imagelib/codecs/gif/gif_lzw_coder.h"
#include "imagelib/codecs/gif/gif_rle_coder.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kTileWidth = 17;
constexpr int kTileHeight = 15;
constexpr std::uint32_t kMaxSide = 65535;

void putRgb(GifCodeWriter &out, const RGBQUAD &c)
{
    const std::uint8_t rgb[3] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
    out.PutBytes(rgb, 3);
}

void unpackRow(const std::uint8_t *src, std::uint32_t bpp, std::uint32_t width, std::uint8_t *dst)
{
    if (bpp == 4) {
        for (std::uint32_t x = 0; x < width; ++x)
            dst[x] = std::uint8_t((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    } else {
        for (std::uint32_t x = 0; x < width; ++x)
            dst[x] = std::uint8_t((src[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

} // namespace

// One 24-bit tile as an 8-bit image: every pixel has its own palette entry
// (row from the tile's bottom x 17 + column + 1) and points at the lowest
// entry of its colour. Entry 0 is the transparent colour when there is one;
// entries no pixel uses stay black.
struct GifTile
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::uint32_t colours[256] = {};                    // 0xRRGGBB per entry
    std::uint8_t table[256 * 3] = {};                   // the same as red, green, blue
    std::uint8_t pixels[kTileWidth * kTileHeight] = {}; // top row first

    // A hash of the colours seen so far, with chains through the entries;
    // a bucket is valid only while its bit is set, so clearing is cheap.
    static constexpr std::uint32_t kBucketBits = 12;
    std::uint64_t used[(1u << kBucketBits) / 64] = {};
    std::uint8_t head[1u << kBucketBits] = {};
    std::uint8_t next[256] = {}; // itself at a chain's end
};

namespace {

// For each entry of the tile, the lowest entry with the same colour.
void lowestEntries(GifTile &tile, std::uint8_t (&lowest)[256])
{
    std::fill(std::begin(tile.used), std::end(tile.used), std::uint64_t(0));
    for (std::uint32_t i = 0; i < 256; ++i) {
        const std::uint32_t colour = tile.colours[i];
        const std::uint32_t bucket = (colour * 2654435761u) >> (32 - GifTile::kBucketBits);
        std::uint64_t &word = tile.used[bucket >> 6];
        const std::uint64_t bit = std::uint64_t(1) << (bucket & 63);
        lowest[i] = std::uint8_t(i);
        if (!(word & bit)) {
            word |= bit;
            tile.head[bucket] = std::uint8_t(i);
            tile.next[i] = std::uint8_t(i);
            continue;
        }
        for (std::uint32_t j = tile.head[bucket];; j = tile.next[j]) {
            if (tile.colours[j] == colour) {
                lowest[i] = lowest[j];
                break;
            }
            if (tile.next[j] == j) {
                tile.next[i] = tile.head[bucket];
                tile.head[bucket] = std::uint8_t(i);
                break;
            }
        }
    }
}

} // namespace

void ZvImageGIF::SetComment(const char *text)
{
    mComment.assign(text ? text : "", text ? strnlen(text, 255) : 0);
}

bool ZvImageGIF::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    if (GetWidth() > kMaxSide || GetHeight() > kMaxSide) {
        SetLastError("GIF can't hold more than 65535 x 65535 pixels");
        return false;
    }
    GifCodeWriter out(stream);
    if (GetBpp() <= 8)
        EncodeIndexed(out);
    else
        EncodeTiled(out);
    if (!out.Flush() || stream->Error() != 0) {
        SetLastError("Write Error in GIF file");
        return false;
    }
    return true;
}

std::unique_ptr<GifCoder> ZvImageGIF::MakeCoder(GifCodeWriter &out) const
{
    switch (GetCodecOption()) {
    case 1: return std::make_unique<GifLiteralCoder>(out);
    case 2: return std::make_unique<GifLzwCoder>(out);
    default: return std::make_unique<GifRleCoder>(out);
    }
}

void ZvImageGIF::PutScreen(GifCodeWriter &out, std::uint8_t packed) const
{
    out.PutBytes(reinterpret_cast<const std::uint8_t *>("GIF89a"), 6);
    out.PutWord(std::uint16_t(GetWidth()));
    out.PutWord(std::uint16_t(GetHeight()));
    out.PutByte(packed);
    out.PutByte(0); // background colour index
    out.PutByte(0); // aspect ratio
}

void ZvImageGIF::PutControl(GifCodeWriter &out, std::uint8_t transparentIndex, bool timed) const
{
    const std::uint8_t head[3] = {0x21, 0xF9, 4};
    out.PutBytes(head, 3);
    const int disposal = timed ? mDisposal : 0;
    out.PutByte(std::uint8_t(((disposal << 2) & 0x1F) | (mInfo.nBkgndIndex >= 0 ? 1 : 0)));
    out.PutWord(std::uint16_t(timed ? mInfo.dwFrameDelay & 0xFFFF : 0));
    out.PutByte(transparentIndex);
    out.PutByte(0);
}

void ZvImageGIF::PutComment(GifCodeWriter &out) const
{
    if (mComment.empty())
        return;
    const std::uint8_t head[3] = {0x21, 0xFE, std::uint8_t(mComment.size())};
    out.PutBytes(head, 3);
    out.PutBytes(reinterpret_cast<const std::uint8_t *>(mComment.data()), mComment.size());
    out.PutByte(0);
}

void ZvImageGIF::EncodeIndexed(GifCodeWriter &out)
{
    const std::uint32_t bpp = GetBpp();
    PutScreen(out, std::uint8_t(0x80 | (((bpp - 1) << 5) & 0xFF) | (bpp - 1)));
    const RGBQUAD *palette = GetPalette();
    for (std::uint32_t i = 0; i < GetNumColors(); ++i)
        putRgb(out, palette[i]);
    PutControl(out, std::uint8_t(mInfo.nBkgndIndex & 0xFF), true);
    PutComment(out);

    out.PutByte(',');
    out.PutWord(std::uint16_t(mInfo.xOffset));
    out.PutWord(std::uint16_t(mInfo.yOffset));
    out.PutWord(std::uint16_t(GetWidth()));
    out.PutWord(std::uint16_t(GetHeight()));
    out.PutByte(0);

    const int minCodeSize = std::max<int>(int(bpp), 2);
    out.PutByte(std::uint8_t(minCodeSize));
    const std::unique_ptr<GifCoder> coder = MakeCoder(out);
    coder->Begin(minCodeSize + 1);
    std::vector<std::uint8_t> row(GetWidth());
    for (std::uint32_t y = GetHeight(); y-- > 0;) {
        const std::uint8_t *src = GetBits(y);
        if (bpp == 8) {
            coder->Feed(src, GetWidth());
        } else {
            unpackRow(src, bpp, GetWidth(), row.data());
            coder->Feed(row.data(), row.size());
        }
    }
    coder->End();
    out.PutByte(0);
    out.PutByte(';');
}

// Tiles small enough that every pixel gets its own entry of a local colour
// table keep 24-bit colours exact without any colour reduction.
void ZvImageGIF::EncodeTiled(GifCodeWriter &out)
{
    PutScreen(out, 0x11);
    PutComment(out);
    const int width = int(GetWidth());
    const int height = int(GetHeight());
    const std::unique_ptr<GifCoder> coder = MakeCoder(out);
    auto tile = std::make_unique<GifTile>();
    // A band's rows are read once, each from left to right, into colours:
    // tiles taken straight from the picture would hop between its rows.
    std::vector<std::uint32_t> band(std::size_t(kTileHeight) * std::size_t(width));
    // Bands are cut from the bottom row up, so the short band is the top one.
    for (int bandBottom = height > 0 ? (height - 1) / kTileHeight * kTileHeight : -1; bandBottom >= 0;
         bandBottom -= kTileHeight) {
        tile->height = std::min(kTileHeight, height - bandBottom);
        tile->top = height - bandBottom - tile->height;
        for (int r = 0; r < tile->height; ++r) {
            const std::uint8_t *src = GetBits(std::uint32_t(bandBottom + r));
            std::uint32_t *dst = band.data() + std::size_t(r) * std::size_t(width);
            for (int x = 0; x < width; ++x, src += 3)
                dst[x] = std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 | src[0];
        }
        for (int left = 0; left < width; left += kTileWidth) {
            tile->left = left;
            tile->width = std::min(kTileWidth, width - left);
            BuildTile(*tile, band.data() + left, std::size_t(width));
            PutTile(out, *coder, *tile);
        }
    }
    out.PutByte(';');
}

// band: the tile's bottom-left colour; stride: colours per band row.
void ZvImageGIF::BuildTile(GifTile &tile, const std::uint32_t *band, std::size_t stride) const
{
    std::fill(std::begin(tile.colours), std::end(tile.colours), 0u);
    if (mInfo.nBkgndIndex >= 0) {
        const RGBQUAD &c = mInfo.nBkgndColor;
        tile.colours[0] = std::uint32_t(c.rgbRed) << 16 | std::uint32_t(c.rgbGreen) << 8 | c.rgbBlue;
    }
    for (int r = 0; r < tile.height; ++r)
        std::copy_n(band + std::size_t(r) * stride, tile.width, tile.colours + r * kTileWidth + 1);
    for (int i = 0; i < 256; ++i) {
        tile.table[3 * i] = std::uint8_t(tile.colours[i] >> 16);
        tile.table[3 * i + 1] = std::uint8_t(tile.colours[i] >> 8);
        tile.table[3 * i + 2] = std::uint8_t(tile.colours[i]);
    }
    std::uint8_t lowest[256];
    lowestEntries(tile, lowest);
    std::uint8_t *dst = tile.pixels;
    for (int r = tile.height; r-- > 0;)
        for (int c = 0; c < tile.width; ++c)
            *dst++ = lowest[r * kTileWidth + c + 1];
}

// The transparent colour sits in entry 0 of every tile, so that is the
// transparent index of the tiles whatever index the picture names. Only
// the last tile carries the delay and the disposal: on every tile they
// would play the picture tile by tile, or erase each tile after drawing it.
void ZvImageGIF::PutTile(GifCodeWriter &out, GifCoder &coder, const GifTile &tile) const
{
    const bool last = tile.top + tile.height == int(GetHeight()) && tile.left + tile.width == int(GetWidth());
    PutControl(out, 0, last);
    out.PutByte(',');
    out.PutWord(std::uint16_t(tile.left));
    out.PutWord(std::uint16_t(tile.top));
    out.PutWord(std::uint16_t(tile.width));
    out.PutWord(std::uint16_t(tile.height));
    out.PutByte(0x87);
    out.PutBytes(tile.table, sizeof(tile.table));
    out.PutByte(8);
    coder.Begin(9);
    coder.Feed(tile.pixels, std::size_t(tile.width) * std::size_t(tile.height));
    coder.End();
    out.PutByte(0);
}
