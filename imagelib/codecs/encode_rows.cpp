// imagelib/codecs/encode_rows.cpp
#include "imagelib/codecs/encode_rows.h"

#include "imagelib/core/image.h"

namespace {

bool hasTransparency(const ZvImage &image)
{
    if (image.AlphaIsValid())
        return true;
    if (image.IsIndexed())
        return image.GetTransIndex() >= 0 || image.AlphaPaletteIsEnabled();
    return image.GetTransIndex() >= 0;
}

} // namespace

ZvEncodeRows zvEncodeRows(const ZvImage &image)
{
    ZvEncodeRows out;
    out.width = image.GetWidth();
    out.height = image.GetHeight();
    const bool alpha = hasTransparency(image);
    out.channels = alpha ? 4 : 3;
    out.bytes.resize(std::size_t(out.width) * out.height * std::size_t(out.channels));
    const bool indexed = image.IsIndexed();
    const int transIndex = image.GetTransIndex();
    const RGBQUAD transColour = image.GetTransColor();
    bool grey = true;
    std::uint8_t *dst = out.bytes.data();
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint32_t row = out.height - 1 - y; // DIB rows are bottom-up
        const std::uint8_t *src = image.GetBits(row);
        const std::uint8_t *alphaRow =
            image.AlphaIsValid() ? image.AlphaGetPointer(0, std::int32_t(row)) : nullptr;
        for (std::uint32_t x = 0; x < out.width; ++x, dst += out.channels) {
            RGBQUAD c;
            std::uint8_t a = 255;
            if (indexed) {
                const std::uint8_t index = ZvImage::BlindGetPixelIndex(src, std::int32_t(x), image.GetBpp());
                c = image.GetPaletteColor(index);
                if (image.AlphaPaletteIsEnabled())
                    a = c.rgbReserved;
                if (int(index) == transIndex)
                    a = 0;
            } else {
                c = RGBQUAD{src[3 * x], src[3 * x + 1], src[3 * x + 2], 0};
                if (transIndex >= 0 && c.rgbBlue == transColour.rgbBlue &&
                    c.rgbGreen == transColour.rgbGreen && c.rgbRed == transColour.rgbRed)
                    a = 0;
            }
            if (alphaRow)
                a = std::uint8_t(a * alphaRow[x] / 255);
            dst[0] = c.rgbRed;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbBlue;
            if (alpha)
                dst[3] = a;
            grey = grey && c.rgbRed == c.rgbGreen && c.rgbGreen == c.rgbBlue;
        }
    }
    out.grey = grey;
    return out;
}
