// imagelib/codecs/jpeg2000/jas_opj_limits.h
#pragma once

#include <cstdint>

class ZvFile;

// Reads the SIZ marker of the codestream (inside the JP2 boxes when jp2)
// and throws "error: cannot allocate memory" when its tiles or its samples
// (all components together) exceed what we let OpenJPEG allocate, and
// "error: cannot load image data: ..." when the codestream lacks the data
// of the tiles it claims (see jasCheckTileData). A stream
// it cannot make sense of passes: the library rejects it with its own
// message. The stream is left where it was.
void jasCheckCodestreamLimits(ZvFile *file, bool jp2, std::uint64_t maxSamples);
