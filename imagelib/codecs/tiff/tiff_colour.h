// imagelib/codecs/tiff/tiff_colour.h
// What a TIFF page says its colours are.
#pragma once

#include <tiffio.h>

#include <memory>

struct ZvColourSpace;

// The page's ICC profile, else Adobe RGB (1998) when its EXIF directory says
// uncalibrated with the interoperability index "R03"; none otherwise, and
// none for CMYK pages, whose numbers are turned into RGB without it.
// Looking into the EXIF directory moves libtiff off the page, so this runs
// before the page's fields are read or set, and sets page back as the
// current directory; it throws ZvCodecError when that fails. An EXIF
// directory libtiff cannot read states nothing.
std::shared_ptr<const ZvColourSpace> zvTiffReadColour(TIFF *tif, tdir_t page);
