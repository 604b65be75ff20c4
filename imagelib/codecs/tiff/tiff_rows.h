// imagelib/codecs/tiff/tiff_rows.h
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <vector>

// The decoded bytes of a TIFF page's rows, top row first, as the file packs
// them (all samples together, or one plane of separated samples), from
// strips or tiles alike. One band of rows (a strip, or a row of tiles) is
// held per plane. Rows must be asked for in increasing order.
// Failures throw ZvCodecError with the decoder's message.
class ZvTiffRows
{
  public:
    // planes: the sample planes that will be asked for (only plane 0 for
    // contiguous samples).
    ZvTiffRows(TIFF *tif, const std::vector<std::uint16_t> &planes);
    ZvTiffRows(const ZvTiffRows &) = delete;
    ZvTiffRows &operator=(const ZvTiffRows &) = delete;

    // Row y of the slot-th plane of the constructor's list. At least
    // RowBytes() bytes, of which the pixels of the page's width are valid.
    const std::uint8_t *Row(std::uint32_t y, std::size_t slot);
    std::size_t RowBytes() const { return mRowBytes; }

  private:
    void LoadStrip(std::uint32_t band, std::size_t slot);
    void LoadTiles(std::uint32_t band, std::size_t slot);

    struct Plane
    {
        std::uint16_t sample = 0;
        std::unique_ptr<std::uint8_t[]> band;
        std::int64_t loaded = -1;
    };

    TIFF *mTif;
    bool mTiled = false;
    std::uint32_t mWidth = 0;
    std::uint32_t mHeight = 0;
    std::uint32_t mBandRows = 0; // rows per strip, or tile length
    std::uint32_t mTileWidth = 0;
    std::size_t mRowBytes = 0; // bytes of one row in a band
    std::size_t mTileRowBytes = 0;
    std::size_t mBandBytes = 0;
    std::unique_ptr<std::uint8_t[]> mTile; // one decoded tile
    std::size_t mTileBytes = 0;
    std::vector<Plane> mPlanes;
};
