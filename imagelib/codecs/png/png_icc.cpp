// imagelib/codecs/png/png_icc.cpp
#include "imagelib/codecs/png/png_icc.h"

#include "imagelib/core/colour_space.h"
#include "imagelib/core/photo_info.h"

#include <csetjmp>
#include <new>

const png_byte kZvPngColourChunks[] = {'i', 'C', 'C', 'P', '\0', 's', 'R', 'G', 'B', '\0',
                                       'g', 'A', 'M', 'A', '\0', 'c', 'H', 'R', 'M', '\0'};

namespace {

constexpr char kProfileName[] = "ICC profile";
// cHRM and gAMA hold 100000 times their values.
constexpr double kPngFixedUnit = 100000.0;

// The iCCP chunk's profile; false when there is none.
bool profileBytes(png_structp png, png_infop info, png_bytep &profile, png_uint_32 &size)
{
    png_charp name = nullptr;
    int compression = 0;
    profile = nullptr;
    size = 0;
    return png_get_iCCP(png, info, &name, &compression, &profile, &size) && profile && size != 0;
}

// The fixed-point numbers divided as written, so that the usual sRGB values
// (31270 for 0.3127) come out exactly as sRGB's own constants.
ZvChromaticities chromaticitiesOf(png_structp png, png_infop info, bool &present)
{
    png_fixed_point wx, wy, rx, ry, gx, gy, bx, by;
    present = png_get_cHRM_fixed(png, info, &wx, &wy, &rx, &ry, &gx, &gy, &bx, &by) != 0;
    ZvChromaticities xy;
    if (present)
        xy = {rx / kPngFixedUnit, ry / kPngFixedUnit, gx / kPngFixedUnit, gy / kPngFixedUnit,
              bx / kPngFixedUnit, by / kPngFixedUnit, wx / kPngFixedUnit, wy / kPngFixedUnit};
    return xy;
}

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
    png_bytep profile = nullptr;
    png_uint_32 size = 0;
    if (!profileBytes(png, info, profile, size))
        return nullptr;
    try {
        auto record = std::make_shared<ZvPhotoInfo>();
        record->icc.assign(profile, profile + size);
        return record;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

std::shared_ptr<const ZvColourSpace> zvPngReadColour(png_structp png, png_infop info)
{
    try {
        png_bytep profile = nullptr;
        png_uint_32 size = 0;
        if (profileBytes(png, info, profile, size))
            return zvColourFromIcc(profile, size);
        // libpng also reports the gAMA and cHRM that an sRGB chunk implies,
        // so the sRGB chunk is asked about first.
        int intent = 0;
        if (png_get_sRGB(png, info, &intent))
            return zvColourSrgb();
        png_fixed_point gamma = 0;
        if (!png_get_gAMA_fixed(png, info, &gamma))
            gamma = 0;
        bool hasChromaticities = false;
        const ZvChromaticities xy = chromaticitiesOf(png, info, hasChromaticities);
        if (gamma <= 0 && !hasChromaticities)
            return nullptr;
        return zvColourFromPngGamma(std::uint32_t(gamma > 0 ? gamma : 0), hasChromaticities ? &xy : nullptr);
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
