// imagelib/core/image_type.h
#pragma once

#include <cstdint>
#include <string_view>

// Image type ids. The numbers are stored in picture records and passed to
// Load, Save, Decode and Encode.
enum ImageType : std::uint32_t {
    ZV_TYPE_UNKNOWN = 0,
    ZV_TYPE_BMP = 1,
    ZV_TYPE_GIF = 2,
    ZV_TYPE_JPG = 3,
    ZV_TYPE_PNG = 4,
    ZV_TYPE_ICO = 5,
    ZV_TYPE_TIF = 6,
    ZV_TYPE_TGA = 7,
    ZV_TYPE_PCX = 8,
    ZV_TYPE_WBMP = 9,
    ZV_TYPE_WMF = 10,
    ZV_TYPE_JP2 = 11,
    ZV_TYPE_JPC = 12,
    ZV_TYPE_PGX = 13,
    ZV_TYPE_PNM = 14,
    ZV_TYPE_RAS = 15,
    ZV_TYPE_WEBP = 16,
    ZV_TYPE_AVIF = 17,
    ZV_TYPE_HEIF = 18,
    ZV_TYPE_JXL = 19,
    ZV_TYPE_RAW = 20, // camera RAW: DNG and the makers' formats, read only
    ZV_MAX_TYPES = 21,
};

// The image type a file name's extension stands for (case-insensitive), or
// ZV_TYPE_UNKNOWN. Takes a bare name or a whole path.
ImageType ImageTypeFromName(std::string_view name);
