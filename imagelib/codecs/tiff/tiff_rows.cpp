// imagelib/codecs/tiff/tiff_rows.cpp
#include "imagelib/codecs/tiff/tiff_rows.h"
#include "imagelib/codecs/codec.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// One decoded band is refused beyond this: pages are stored in strips of a
// few kilobytes up to one whole uncompressed picture, far below it.
constexpr std::uint64_t kMaxBandBytes = std::uint64_t(1) << 30;

std::size_t checkedBand(std::uint64_t bytes)
{
    if (bytes == 0 || bytes > kMaxBandBytes)
        throw ZvCodecError("No space for raster buffer");
    return std::size_t(bytes);
}

std::unique_ptr<std::uint8_t[]> allocBand(std::size_t bytes)
{
    std::unique_ptr<std::uint8_t[]> band(new (std::nothrow) std::uint8_t[bytes]);
    if (!band)
        throw ZvCodecError("No space for raster buffer");
    return band;
}

} // namespace

ZvTiffRows::ZvTiffRows(TIFF *tif, const std::vector<std::uint16_t> &planes)
    : mTif(tif)
{
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &mWidth);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &mHeight);
    mTiled = TIFFIsTiled(tif) != 0;
    if (mTiled) {
        std::uint32_t tileLength = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &mTileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
        const std::uint64_t tileRow = TIFFTileRowSize64(tif);
        const std::uint64_t tileBytes = TIFFTileSize64(tif);
        std::uint16_t bps = 1, spp = 1, planar = PLANARCONFIG_CONTIG;
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
        const std::uint64_t pixelBits = std::uint64_t(bps) * (planar == PLANARCONFIG_CONTIG ? spp : 1);
        // Tiles are laid side by side, so each tile row must end on a byte.
        if (mTileWidth == 0 || tileLength == 0 || tileRow == 0 || tileBytes / tileRow < tileLength ||
            (std::uint64_t(mTileWidth) * pixelBits) % 8 != 0)
            throw ZvCodecError("Corrupted tiled TIFF file!");
        const std::uint64_t across = (std::uint64_t(mWidth) + mTileWidth - 1) / mTileWidth;
        mTileRowBytes = checkedBand(tileRow);
        mTileBytes = checkedBand(tileBytes);
        mRowBytes = checkedBand(across * tileRow);
        mBandRows = tileLength;
        mTile = allocBand(mTileBytes);
    } else {
        std::uint32_t rps = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
        mBandRows = rps == 0 || rps > mHeight ? mHeight : rps;
        mRowBytes = checkedBand(TIFFScanlineSize64(tif));
    }
    if (mBandRows == 0 || mRowBytes > kMaxBandBytes / mBandRows)
        throw ZvCodecError("No space for raster buffer");
    mBandBytes = std::size_t(mBandRows) * mRowBytes;
    for (std::uint16_t sample : planes) {
        Plane p;
        p.sample = sample;
        p.band = allocBand(mBandBytes);
        mPlanes.push_back(std::move(p));
    }
}

const std::uint8_t *ZvTiffRows::Row(std::uint32_t y, std::size_t slot)
{
    Plane &p = mPlanes.at(slot);
    const std::uint32_t band = y / mBandRows;
    if (p.loaded != std::int64_t(band)) {
        p.loaded = -1;
        if (mTiled)
            LoadTiles(band, slot);
        else
            LoadStrip(band, slot);
        p.loaded = band;
    }
    return p.band.get() + std::size_t(y - band * mBandRows) * mRowBytes;
}

void ZvTiffRows::LoadStrip(std::uint32_t band, std::size_t slot)
{
    Plane &p = mPlanes[slot];
    const std::uint32_t first = band * mBandRows;
    const std::uint32_t rows = std::min(mBandRows, mHeight - first);
    const std::size_t want = std::size_t(rows) * mRowBytes;
    const tstrip_t strip = TIFFComputeStrip(mTif, first, p.sample);
    const tmsize_t got = TIFFReadEncodedStrip(mTif, strip, p.band.get(), tmsize_t(want));
    if (got < 0)
        throw ZvCodecError("Corrupted TIFF file!");
    if (std::size_t(got) < want)
        std::memset(p.band.get() + got, 0, want - std::size_t(got));
}

void ZvTiffRows::LoadTiles(std::uint32_t band, std::size_t slot)
{
    Plane &p = mPlanes[slot];
    const std::uint32_t first = band * mBandRows;
    const std::uint32_t rows = std::min(mBandRows, mHeight - first);
    for (std::uint32_t x = 0, column = 0; x < mWidth; x += mTileWidth, ++column) {
        const ttile_t tile = TIFFComputeTile(mTif, x, first, 0, p.sample);
        const tmsize_t got = TIFFReadEncodedTile(mTif, tile, mTile.get(), tmsize_t(mTileBytes));
        if (got < 0)
            throw ZvCodecError("Corrupted tiled TIFF file!");
        if (std::size_t(got) < mTileBytes)
            std::memset(mTile.get() + got, 0, mTileBytes - std::size_t(got));
        for (std::uint32_t r = 0; r < rows; ++r)
            std::memcpy(p.band.get() + std::size_t(r) * mRowBytes + std::size_t(column) * mTileRowBytes,
                        mTile.get() + std::size_t(r) * mTileRowBytes, mTileRowBytes);
        if (mTileWidth >= mWidth - x)
            break;
    }
}
