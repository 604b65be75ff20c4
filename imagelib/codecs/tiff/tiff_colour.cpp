// imagelib/codecs/tiff/tiff_colour.cpp
#include "imagelib/codecs/tiff/tiff_colour.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/tiff/tiff_icc.h"
#include "imagelib/core/colour_space.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint16_t kExifUncalibrated = 0xFFFF;
// The interoperability directory's first tag, unknown to libtiff.
constexpr ttag_t kTagInteropIndex = 0x0001;

// The first value of an integer field or the bytes of a text, whichever way
// libtiff holds the field: a known one by value, an unknown one (as the
// interoperability tags are) as a count and an array.
bool fieldData(TIFF *tif, ttag_t tag, const void *&data, std::uint32_t &count, int &size)
{
    const TIFFField *field = TIFFFindField(tif, tag, TIFF_ANY);
    if (!field)
        return false;
    size = TIFFFieldSetGetSize(field);
    if (!TIFFFieldPassCount(field))
        return false;
    void *values = nullptr;
    std::uint16_t count16 = 0;
    count = 0;
    const int countSize = TIFFFieldSetGetCountSize(field);
    if (countSize == 4 && !TIFFGetField(tif, tag, &count, &values))
        return false;
    if (countSize == 2) {
        if (!TIFFGetField(tif, tag, &count16, &values))
            return false;
        count = count16;
    }
    data = values;
    return (countSize == 2 || countSize == 4) && values && count > 0;
}

bool firstInteger(TIFF *tif, ttag_t tag, std::uint64_t &value)
{
    const TIFFField *field = TIFFFindField(tif, tag, TIFF_ANY);
    if (!field)
        return false;
    const int size = TIFFFieldSetGetSize(field);
    if (!TIFFFieldPassCount(field)) {
        std::uint64_t v64 = 0;
        std::uint32_t v32 = 0;
        std::uint16_t v16 = 0;
        const bool ok = size == 8   ? TIFFGetField(tif, tag, &v64) != 0
                        : size == 4 ? TIFFGetField(tif, tag, &v32) != 0
                        : size == 2 ? TIFFGetField(tif, tag, &v16) != 0
                                    : false;
        value = size == 8 ? v64 : size == 4 ? v32 : v16;
        return ok;
    }
    const void *data = nullptr;
    std::uint32_t count = 0;
    int itemSize = 0;
    if (!fieldData(tif, tag, data, count, itemSize))
        return false;
    std::uint64_t v64 = 0;
    std::uint32_t v32 = 0;
    std::uint16_t v16 = 0;
    switch (itemSize) {
    case 8:
        std::memcpy(&v64, data, 8);
        value = v64;
        return true;
    case 4:
        std::memcpy(&v32, data, 4);
        value = v32;
        return true;
    case 2:
        std::memcpy(&v16, data, 2);
        value = v16;
        return true;
    default: return false;
    }
}

// Whether the interoperability index of the directory at offset, read the
// way libtiff reads the EXIF directory, is "R03".
bool interopIsR03(TIFF *tif, toff_t offset)
{
    if (!TIFFReadEXIFDirectory(tif, offset))
        return false;
    const void *data = nullptr;
    std::uint32_t count = 0;
    int size = 0;
    if (!fieldData(tif, kTagInteropIndex, data, count, size) || size != 1)
        return false;
    const char *text = static_cast<const char *>(data);
    return count >= 3 && std::memcmp(text, "R03", 3) == 0 && (count == 3 || text[3] == '\0');
}

// DCF: an uncalibrated picture whose interoperability index is "R03" is in
// Adobe RGB (1998). Leaves libtiff in whatever directory it ended in.
bool exifSaysAdobeRgb(TIFF *tif, toff_t exifOffset)
{
    if (!TIFFReadEXIFDirectory(tif, exifOffset))
        return false;
    std::uint64_t colourSpace = 0, interop = 0;
    if (!firstInteger(tif, EXIFTAG_COLORSPACE, colourSpace) || colourSpace != kExifUncalibrated)
        return false;
    if (!firstInteger(tif, TIFFTAG_INTEROPERABILITYIFD, interop) || interop == 0)
        return false;
    return interopIsR03(tif, toff_t(interop));
}

} // namespace

std::shared_ptr<const ZvColourSpace> zvTiffReadColour(TIFF *tif, tdir_t page)
{
    // CMYK pages come out by the plain inversion; their profile does not
    // describe those numbers.
    std::uint16_t photometric = 0;
    if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) && photometric == PHOTOMETRIC_SEPARATED)
        return nullptr;
    const std::uint8_t *profile = nullptr;
    std::uint32_t size = 0;
    if (zvTiffProfileBytes(tif, profile, size))
        return zvColourFromIcc(profile, size);
    toff_t exif = 0;
    if (!TIFFGetField(tif, TIFFTAG_EXIFIFD, &exif) || exif == 0)
        return nullptr;
    const bool adobe = exifSaysAdobeRgb(tif, exif);
    if (!TIFFSetDirectory(tif, page))
        throw ZvCodecError("Corrupted TIFF file!");
    return adobe ? zvColourAdobeRgb() : nullptr;
}
