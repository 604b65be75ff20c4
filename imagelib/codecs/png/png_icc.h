// imagelib/codecs/png/png_icc.h
// The ICC profile of a PNG file (iCCP chunk), for pictures that keep their
// photo information. Called inside the codec's setjmp frames: each builds
// what it returns in one step between libpng calls.
#pragma once

#include <png.h>

#include <memory>

struct ZvPhotoInfo;

// The profile of a file whose header was read, as a record; none when the
// file has none or memory runs out.
std::shared_ptr<const ZvPhotoInfo> zvPngReadProfile(png_structp png, png_infop info);

// Sets the record's profile for writing when libpng accepts it for a
// picture of colorType (a grey profile is refused on colour pictures and
// the other way round, as is a malformed one); otherwise writes none.
void zvPngSetProfile(png_structp png, png_infop info, int colorType, const ZvPhotoInfo &record);
