// imagelib/codecs/jpeg2000/jas_codestream.h
#pragma once

#include <cstdint>
#include <vector>

class ZvFile;

// The SIZ marker of a JPEG 2000 codestream: the picture area and the tiling
// on the reference grid, and each component's subsampling (never 0).
struct JasSiz
{
    std::uint64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::uint64_t tileWidth = 0, tileHeight = 0, tileX0 = 0, tileY0 = 0;
    std::vector<std::uint8_t> dx, dy;

    std::uint64_t TilesAcross() const;
    std::uint64_t Tiles() const;
};

// Reads the SIZ marker of the codestream starting at `at`. False when there
// is none or it makes no sense (empty area, zero tile size or subsampling).
bool jasReadSiz(ZvFile *file, std::int64_t at, JasSiz &siz);

// A JPEG 2000 decoder sizes and decodes every tile the SIZ marker claims,
// whether or not the codestream carries the tile's data: a hundred bytes can
// ask for seconds of work and a gigabyte of samples. Every packet of a tile
// (one per layer, component, resolution and precinct) takes at least one
// byte, in the tile's data or in a packed-header marker, so walking the
// codestream's headers [at, end) tells what a complete codestream needs.
// Throws ZvCodecError when a tile is missing or its data falls short of
// that. A main header it cannot follow is left to the library's verdict; the
// tile-parts count up to the first one it cannot follow.
void jasCheckTileData(ZvFile *file, std::int64_t at, std::int64_t end, const JasSiz &siz);
