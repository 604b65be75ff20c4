// imagelib/codecs/jpeg/photo_payload.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The photo information of the newer formats (WebP, AVIF, JPEG XL) in the
// forms a picture keeps it in (ZvPhotoInfo: JPEG's APP1 payloads), and back.
// Those formats store the bare TIFF structure of an EXIF block and the bare
// XMP packet. Pure functions.

struct ZvForeignExif
{
    std::vector<std::uint8_t> payload; // "Exif\0\0" and the TIFF structure; empty when unusable
    int orientation = 0;               // the stored tag 1..8, 0 when absent
    bool adobeRgb = false;             // DCF's Adobe RGB mark (zvExifSaysAdobeRgb)
};

// An EXIF block as such a file stores it (a TIFF structure, with or
// without the "Exif\0\0" prefix). The orientation tag is read, then set to
// 1 in the payload: our decoders deliver the pixels turned upright, so a
// kept block must not ask for the turn again. A block whose TIFF header is
// not found gives an empty payload.
ZvForeignExif zvExifFromForeign(const std::uint8_t *data, std::size_t size, bool keepUpright);

// The TIFF structure of a kept EXIF payload, or empty.
std::vector<std::uint8_t> zvTiffOfExif(const std::vector<std::uint8_t> &payload);

// A bare XMP packet as a kept payload (with the namespace prefix), and back
// (empty for an extension part, which those formats have no place for).
std::vector<std::uint8_t> zvXmpPayloadOfPacket(const std::uint8_t *data, std::size_t size);
std::vector<std::uint8_t> zvXmpPacketOfPayload(const std::vector<std::uint8_t> &payload);
