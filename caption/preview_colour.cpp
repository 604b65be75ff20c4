// caption/preview_colour.cpp
#include "caption/preview_colour.h"

#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image.h"
#include "imagelib/core/image_display.h"

#include <QImage>

#include <utility>

namespace {

// The converted colours with the alpha of straight (ARGB32, same size), in
// the format the screen was given.
QImage withAlphaOf(const QImage &colours, const QImage &straight, QImage::Format format)
{
    QImage out = colours.convertToFormat(QImage::Format_ARGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < out.height(); ++y) {
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        const auto *src = reinterpret_cast<const QRgb *>(straight.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            dst[x] = (dst[x] & 0x00FFFFFFu) | (src[x] & 0xFF000000u);
    }
    return out.convertToFormat(format);
}

} // namespace

bool ConvertShownToSrgb(QImage &image, const ZvColourSpacePtr &colour)
{
    if (image.isNull() || !zvColourNeedsConversion(colour.get()))
        return true;
    const bool alpha = image.hasAlphaChannel();
    // A premultiplied colour is not a colour of the space: undo it first.
    const QImage straight = alpha ? image.convertToFormat(QImage::Format_ARGB32) : image;
    ZvImage pixels;
    if (straight.isNull() || !zvTakeOpaquePixels(pixels, straight))
        return false;
    pixels.SetColourSpace(colour);
    zvConvertToSrgb(pixels);
    QImage converted = zvToQImage(pixels);
    if (!converted.isNull() && alpha)
        converted = withAlphaOf(converted, straight, image.format());
    if (converted.isNull())
        return false;
    image = std::move(converted);
    return true;
}
