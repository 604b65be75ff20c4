// imagelib/codecs/heif/heif_brand.h
#pragma once

#include <cstddef>
#include <cstdint>

// Whether bytes begin like a HEIF still picture this codec reads: an
// ISO-BMFF "ftyp" box whose major or compatible brands name a HEIF brand
// (heic, heix, hevc, hevx, heim, heis, hevm, hevs, mif1, msf1). Files whose
// brands include AVIF ("avif", "avis") belong to the AVIF codec and a
// camera's "crx " file to the RAW codec, whatever else they list. Reads
// only the ftyp box; pure logic.
bool heifIsOurBrand(const std::uint8_t *data, std::size_t size);
