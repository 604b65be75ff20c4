// imagelib/codecs/tiff/tiff_icc.h
// The ICC profile of a TIFF page (tag 34675), for pictures that keep their
// photo information.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>

struct ZvPhotoInfo;

// The current page's profile as libtiff holds it; false when it has none.
bool zvTiffProfileBytes(TIFF *tif, const std::uint8_t *&bytes, std::uint32_t &size);

// The current page's profile as a record; none when it has none.
std::shared_ptr<const ZvPhotoInfo> zvTiffReadProfile(TIFF *tif);
// Writes the record's profile, if any, into the page being written.
void zvTiffSetProfile(TIFF *tif, const ZvPhotoInfo &record);
