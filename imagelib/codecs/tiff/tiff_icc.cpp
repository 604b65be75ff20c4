// imagelib/codecs/tiff/tiff_icc.cpp
#include "imagelib/codecs/tiff/tiff_icc.h"

#include "imagelib/core/photo_info.h"

#include <cstdint>
#include <limits>

bool zvTiffProfileBytes(TIFF *tif, const std::uint8_t *&bytes, std::uint32_t &size)
{
    void *profile = nullptr;
    size = 0;
    bytes = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &profile) || !profile || size == 0)
        return false;
    bytes = static_cast<const std::uint8_t *>(profile);
    return true;
}

std::shared_ptr<const ZvPhotoInfo> zvTiffReadProfile(TIFF *tif)
{
    const std::uint8_t *bytes = nullptr;
    std::uint32_t size = 0;
    if (!zvTiffProfileBytes(tif, bytes, size))
        return nullptr;
    auto record = std::make_shared<ZvPhotoInfo>();
    record->icc.assign(bytes, bytes + size);
    return record;
}

void zvTiffSetProfile(TIFF *tif, const ZvPhotoInfo &record)
{
    if (!record.icc.empty() && record.icc.size() <= std::numeric_limits<std::uint32_t>::max())
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, std::uint32_t(record.icc.size()), record.icc.data());
}
