// imagelib/core/photo_info.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The information a photograph carries beside its pixels, as the file held
// it: the EXIF block, the XMP packets and the ICC colour profile. Decoders
// fill it and encoders write it only for a picture that carries photo
// information (ZvImage::SetKeepPhotoInfo). A picture holds it through a
// shared pointer to a const record, so copies, ghosts and transfers share
// it; whoever edits it builds a new record.
struct ZvPhotoInfo
{
    // The APP1 payload of the EXIF block: "Exif\0\0" and the TIFF structure.
    std::vector<std::uint8_t> exif;
    // APP1 payloads of XMP, each with its namespace prefix: the main packet,
    // then any extension parts, in file order.
    std::vector<std::vector<std::uint8_t>> xmp;
    // The whole ICC profile, reassembled from its chunks.
    std::vector<std::uint8_t> icc;

    bool IsEmpty() const { return exif.empty() && xmp.empty() && icc.empty(); }
};

// The largest payload one JPEG marker segment holds (its length field
// counts itself).
constexpr std::size_t kZvMaxMarkerPayload = 65533;

// The APP1 prefixes that name an EXIF block and the two kinds of XMP packet.
bool zvIsExifPayload(const std::uint8_t *data, std::size_t size);
bool zvIsXmpPayload(const std::uint8_t *data, std::size_t size);

// The colour space signature of an ICC profile ("RGB ", "GRAY", "CMYK",
// ...), or "" when the bytes do not begin with a sound profile header: at
// least 132 bytes, a size field equal to their length, and "acsp" at 36.
std::string zvIccColourSpace(const std::vector<std::uint8_t> &icc);
