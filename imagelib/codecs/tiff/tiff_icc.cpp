// imagelib/codecs/tiff/tiff_icc.cpp
#include "imagelib/codecs/tiff/tiff_icc.h"

#include "imagelib/core/photo_info.h"

#include <cstdint>
#include <limits>

std::shared_ptr<const ZvPhotoInfo> zvTiffReadProfile(TIFF *tif)
{
    std::uint32_t size = 0;
    void *profile = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &profile) || !profile || size == 0)
        return nullptr;
    auto record = std::make_shared<ZvPhotoInfo>();
    const auto *bytes = static_cast<const std::uint8_t *>(profile);
    record->icc.assign(bytes, bytes + size);
    return record;
}

void zvTiffSetProfile(TIFF *tif, const ZvPhotoInfo &record)
{
    if (!record.icc.empty() && record.icc.size() <= std::numeric_limits<std::uint32_t>::max())
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, std::uint32_t(record.icc.size()), record.icc.data());
}
