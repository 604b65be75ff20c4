// imagelib/codecs/raw/raw_signature.h
#pragma once

#include <cstddef>
#include <cstdint>

// Whether the first bytes of a file may start a camera RAW file: TIFF's
// byte-order marks (DNG, CR2, NEF, ARW, PEF ...) and the variants Olympus
// ("IIRO", "IIRS", "MMOR") and Panasonic ("IIU\0") use, Fujifilm's
// "FUJIFILMCCD-RAW", and an ISO-BMFF "ftyp" box of brand "crx " (CR3).
// Only a cheap gate before LibRaw looks: a plain TIFF passes it too.
bool rawMayBeRaw(const std::uint8_t *data, std::size_t size);
