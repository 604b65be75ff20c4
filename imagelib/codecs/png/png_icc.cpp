// imagelib/codecs/png/png_icc.cpp
#include "imagelib/codecs/png/png_icc.h"

#include "imagelib/core/photo_info.h"

#include <csetjmp>
#include <new>

namespace {

constexpr char kProfileName[] = "ICC profile";

void probeError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void probeWarning(png_structp, png_const_charp) {}

// libpng refuses a few widespread sRGB profiles it knows to be slightly
// off; cameras embed them all the same, and other readers take them.
void skipSrgbCheck(png_structp png)
{
#ifdef PNG_SKIP_sRGB_CHECK_PROFILE
    png_set_option(png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
#else
    (void)png;
#endif
}

// libpng checks a profile only as it is set, and on a write structure a
// rejected profile is an error that would end the whole save. It is tried
// on a throw-away structure first. This frame holds plain data only.
bool profileAccepted(int colorType, const std::uint8_t *icc, png_uint_32 size)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, probeError, probeWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    skipSrgbCheck(png);
    png_set_IHDR(png, info, 1, 1, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_iCCP(png, info, kProfileName, PNG_COMPRESSION_TYPE_BASE, icc, size);
    const bool accepted = png_get_valid(png, info, PNG_INFO_iCCP) != 0;
    png_destroy_write_struct(&png, &info);
    return accepted;
}

} // namespace

std::shared_ptr<const ZvPhotoInfo> zvPngReadProfile(png_structp png, png_infop info)
{
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 size = 0;
    if (!png_get_iCCP(png, info, &name, &compression, &profile, &size) || !profile || size == 0)
        return nullptr;
    try {
        auto record = std::make_shared<ZvPhotoInfo>();
        record->icc.assign(profile, profile + size);
        return record;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void zvPngSetProfile(png_structp png, png_infop info, int colorType, const ZvPhotoInfo &record)
{
    if (record.icc.empty() || record.icc.size() > PNG_UINT_31_MAX)
        return;
    const auto size = png_uint_32(record.icc.size());
    if (!profileAccepted(colorType, record.icc.data(), size))
        return;
    skipSrgbCheck(png);
    png_set_iCCP(png, info, kProfileName, PNG_COMPRESSION_TYPE_BASE, record.icc.data(), size);
}
