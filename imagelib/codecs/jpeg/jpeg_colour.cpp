// imagelib/codecs/jpeg/jpeg_colour.cpp
// What a JPEG file says its colours are: the ICC profile in its APP2
// chunks, else EXIF's mark of an Adobe RGB camera picture. Runs inside the
// setjmp frame of Decode: ReadProfile calls libjpeg before any object with
// a destructor exists, and StoreColour calls no library that may jump.
#include "imagelib/codecs/jpeg/codec_jpg.h"

#include "imagelib/codecs/jpeg/jpeg_stream.h"
#include "imagelib/colour/cmyk_to_srgb.h"
#include "imagelib/core/colour_space.h"

#include <cstdlib>
#include <new>

// A profile whose chunks do not add up is left out; libjpeg only warns.
void ZvImageJPG::ReadProfile(jpeg_decompress_struct &cinfo, bool exif, bool photoInfo)
{
    JOCTET *icc = nullptr;
    unsigned iccSize = 0;
    if (!jpeg_read_icc_profile(&cinfo, &icc, &iccSize)) {
        icc = nullptr;
        iccSize = 0;
    }
    if (photoInfo)
        StorePhotoInfo(cinfo, icc, iccSize);
    StoreColour(cinfo, icc, iccSize, exif);
    std::free(icc);
}

// EXIF's sRGB (ColorSpace 1) changes no number and is left unstated.
// CMYK samples become sRGB here, through their profile when it is a usable
// CMYK one (the picture then states sRGB made from that profile), else by
// the plain inversion (stating nothing). A profile LittleCMS refuses is
// passed over, never the picture.
void ZvImageJPG::StoreColour(const jpeg_decompress_struct &cinfo, const std::uint8_t *icc, unsigned iccSize,
                             bool exif)
{
    mCmyk.reset();
    SetColourSpace(nullptr);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    try {
        if (cmyk) {
            if (icc)
                StoreCmykColour(cinfo, icc, iccSize);
            return;
        }
        if (icc)
            SetColourSpace(zvColourFromIcc(icc, iccSize));
        else if (exif && zvExifSaysAdobeRgb(mExifInfo))
            SetColourSpace(zvColourAdobeRgb());
    } catch (const std::bad_alloc &) {
        // Out of memory for the profile: the picture keeps its numbers, as one without a profile does.
    }
}

// A header-only decode makes the conversion too, to say the same as the
// full decode will (it is kept for that one); CMYK files are rare.
void ZvImageJPG::StoreCmykColour(const jpeg_decompress_struct &cinfo, const std::uint8_t *icc,
                                 unsigned iccSize)
{
    mCmyk = ZvCmykToSrgb::Make(icc, iccSize, cinfo.saw_Adobe_marker != 0);
    if (mCmyk)
        SetColourSpace(zvColourConvertedToSrgb(mCmyk->Name()));
    if (GetEscape() == -1)
        mCmyk.reset();
}
