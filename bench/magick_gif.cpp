// bench/magick_gif.cpp
#include "bench/magick_gif.h"

#include <wand/MagickWand.h>

MagickGif::MagickGif(const std::vector<std::uint8_t> &rgb, std::size_t width, std::size_t height,
                     bool palette)
{
    MagickWandGenesis();
    // Our encoder runs on one thread; so does ImageMagick here.
    MagickSetResourceLimit(ThreadResource, 1);
    MagickWand *wand = NewMagickWand();
    MagickConstituteImage(wand, width, height, "RGB", CharPixel, rgb.data());
    if (palette)
        MagickSetImageType(wand, PaletteType);
    MagickSetImageFormat(wand, "GIF");
    mWand = wand;
}

MagickGif::~MagickGif()
{
    if (mCopy)
        DestroyMagickWand(static_cast<MagickWand *>(mCopy));
    DestroyMagickWand(static_cast<MagickWand *>(mWand));
}

void MagickGif::Prepare()
{
    if (mCopy)
        DestroyMagickWand(static_cast<MagickWand *>(mCopy));
    mCopy = CloneMagickWand(static_cast<MagickWand *>(mWand));
}

std::size_t MagickGif::Encode()
{
    std::size_t bytes = 0;
    unsigned char *blob = MagickGetImageBlob(static_cast<MagickWand *>(mCopy), &bytes);
    if (!blob)
        return 0;
    MagickRelinquishMemory(blob);
    return bytes;
}
