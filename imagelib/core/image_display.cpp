// imagelib/core/image_display.cpp
#include "imagelib/core/image_display.h"

#include "imagelib/core/image.h"

#include <algorithm>
#include <cstring>

namespace {

// What turns the colours of one bottom-up row into screen pixels.
struct RowSource
{
    const ZvImage &picture;
    const RGBQUAD *palette;
    std::uint32_t colors;
    std::int32_t clearIndex; // -1: none
    bool paletteAlpha;
    bool keyed; // a 24-bit picture with a transparent colour
    RGBQUAD key;
};

RowSource rowSourceOf(const ZvImage &picture)
{
    const bool indexed = picture.IsIndexed();
    return RowSource{picture,
                     picture.GetPalette(),
                     indexed ? picture.GetNumColors() : 0,
                     indexed ? picture.GetTransIndex() : -1,
                     indexed && picture.AlphaPaletteIsEnabled(),
                     !indexed && picture.GetTransIndex() >= 0,
                     picture.GetTransColor()};
}

// Row y counted from the bottom, as stored, into line (premultiplied when
// transparent is set).
void convertRow(const RowSource &s, std::uint32_t y, QRgb *line, bool transparent)
{
    const std::uint8_t *bits = s.picture.GetBits(y);
    const std::uint8_t *plane = s.picture.AlphaGetPointer(0, std::int32_t(y));
    const std::uint32_t bpp = s.picture.GetBpp();
    const std::uint32_t width = s.picture.GetWidth();
    for (std::uint32_t x = 0; x < width; ++x) {
        RGBQUAD c;
        int alpha = plane ? plane[x] : 255;
        if (bpp == 24) {
            const std::uint8_t *p = bits + std::size_t(x) * 3;
            c = RGBQUAD{p[0], p[1], p[2], 0};
            if (s.keyed && c.rgbBlue == s.key.rgbBlue && c.rgbGreen == s.key.rgbGreen &&
                c.rgbRed == s.key.rgbRed)
                alpha = 0;
        } else {
            const std::uint8_t i = ZvImage::BlindGetPixelIndex(bits, std::int32_t(x), bpp);
            c = s.palette && i < s.colors ? s.palette[i] : RGBQUAD{};
            if (std::int32_t(i) == s.clearIndex)
                alpha = 0;
            else if (s.paletteAlpha)
                alpha = std::min<int>(alpha, c.rgbReserved);
        }
        line[x] = transparent ? qPremultiply(qRgba(c.rgbRed, c.rgbGreen, c.rgbBlue, alpha))
                              : qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
}

} // namespace

bool zvHasTransparency(const ZvImage &picture)
{
    return picture.IsValid() && (picture.AlphaIsValid() || picture.GetTransIndex() >= 0 ||
                                 (picture.IsIndexed() && picture.AlphaPaletteIsEnabled()));
}

QImage zvToQImage(const ZvImage &picture)
{
    const int w = int(picture.GetWidth()), h = int(picture.GetHeight());
    if (!picture.IsValid() || w <= 0 || h <= 0)
        return QImage();
    const bool transparent = zvHasTransparency(picture);
    QImage out(w, h, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const RowSource source = rowSourceOf(picture);
    for (int y = 0; y < h; ++y)
        convertRow(source, std::uint32_t(h - 1 - y), reinterpret_cast<QRgb *>(out.scanLine(y)), transparent);
    return out;
}

bool zvTakeOpaquePixels(ZvImage &picture, const QImage &image)
{
    const QImage rows = image.convertToFormat(QImage::Format_BGR888);
    if (rows.isNull() || picture.GetInfo().pGhost)
        return false;
    ZvImage flat;
    flat.CopyInfo(picture);
    if (!flat.Create(std::uint32_t(rows.width()), std::uint32_t(rows.height()), 24, picture.GetType()))
        return false;
    flat.SetTransIndex(-1);
    flat.AlphaPaletteEnable(false);
    const int h = rows.height();
    for (int y = 0; y < h; ++y)
        std::memcpy(flat.GetBits(std::uint32_t(h - 1 - y)), rows.constScanLine(y),
                    std::size_t(rows.width()) * 3);
    // Transfer keeps the receiver's as-loaded header: the facts stay the file's.
    return picture.Transfer(flat);
}
