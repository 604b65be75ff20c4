// imagelib/codecs/tiff/tiff_colour.cpp
#include "imagelib/codecs/tiff/tiff_colour.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/tiff/tiff_icc.h"
#include "imagelib/core/colour_space.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint16_t kExifUncalibrated = 0xFFFF;
// The interoperability directory's first tag. libtiff does not know it, so
// it is handed over as an unknown field: a count and the bytes.
constexpr ttag_t kTagInteropIndex = 0x0001;

// The interoperability index of the directory at offset, read the way
// libtiff reads the EXIF directory; false when it is not "R03".
bool interopIsR03(TIFF *tif, toff_t offset)
{
    if (!TIFFReadEXIFDirectory(tif, offset))
        return false;
    std::uint32_t count = 0;
    const char *text = nullptr;
    if (!TIFFGetField(tif, kTagInteropIndex, &count, &text) || !text)
        return false;
    return count >= 3 && std::memcmp(text, "R03", 3) == 0 && (count == 3 || text[3] == '\0');
}

// DCF: an uncalibrated picture whose interoperability index is "R03" is in
// Adobe RGB (1998). Leaves libtiff in whatever directory it ended in.
bool exifSaysAdobeRgb(TIFF *tif, toff_t exifOffset)
{
    if (!TIFFReadEXIFDirectory(tif, exifOffset))
        return false;
    std::uint16_t colourSpace = 0;
    if (!TIFFGetField(tif, EXIFTAG_COLORSPACE, &colourSpace) || colourSpace != kExifUncalibrated)
        return false;
    toff_t interop = 0;
    if (!TIFFGetField(tif, TIFFTAG_INTEROPERABILITYIFD, &interop) || interop == 0)
        return false;
    return interopIsR03(tif, interop);
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
