// imagelib/codecs/png/png_icc.h
// The colour chunks of a PNG file: the ICC profile (iCCP), kept with the
// photo information and read as the picture's colour description, and the
// sRGB, gAMA and cHRM chunks. Called inside the codec's setjmp frames: each
// builds what it returns in one step between libpng calls.
#pragma once

#include <png.h>

#include <memory>

struct ZvPhotoInfo;
struct ZvColourSpace;

// The chunks the decoder must have libpng read for zvPngReadColour.
extern const png_byte kZvPngColourChunks[];
constexpr int kZvPngColourChunkCount = 4;

// What the file says its colours are, in the order the PNG rules give:
// iCCP over sRGB over gAMA with cHRM. None when it says nothing, says
// sRGB's numbers in gAMA/cHRM, or memory runs out.
std::shared_ptr<const ZvColourSpace> zvPngReadColour(png_structp png, png_infop info);

// The profile of a file whose header was read, as a record; none when the
// file has none or memory runs out.
std::shared_ptr<const ZvPhotoInfo> zvPngReadProfile(png_structp png, png_infop info);

// Sets the record's profile for writing when libpng accepts it for a
// picture of colorType (a grey profile is refused on colour pictures and
// the other way round, as is a malformed one); otherwise writes none.
void zvPngSetProfile(png_structp png, png_infop info, int colorType, const ZvPhotoInfo &record);
