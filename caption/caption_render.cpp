// caption/caption_render.cpp
#include "caption/caption_render.h"

#include "caption/caption_foreground.h"
#include "caption/caption_geometry.h"
#include "caption/caption_layout.h"
#include "caption/caption_scale.h"
#include "imagelib/core/image.h"
#include "imagelib/core/image_display.h"
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

// The alpha of palette entry i of picture: 0 for the transparent index,
// the entry's own alpha when the palette carries alpha, else opaque.
std::uint8_t entryAlpha(const ZvImage &picture, std::uint8_t i, const RGBQUAD &c)
{
    if (std::int32_t(i) == picture.GetTransIndex())
        return 0;
    return picture.AlphaPaletteIsEnabled() ? c.rgbReserved : 255;
}

// Expands an indexed picture through its palette into a new 24-bit picture
// that keeps the picture's information record; its transparency becomes an
// alpha plane.
bool expandTo24(ZvImage &picture)
{
    const std::uint32_t w = picture.GetWidth(), h = picture.GetHeight(), bpp = picture.GetBpp();
    const RGBQUAD *pal = picture.GetPalette();
    const std::uint32_t colors = picture.GetNumColors();
    ZvImage out;
    out.CopyInfo(picture);
    if (!out.Create(w, h, 24, picture.GetType()) || (zvHasTransparency(picture) && !out.AlphaCreate())) {
        picture.SetLastError(*out.GetLastError() ? out.GetLastError() : "DrawCaptionOnPicture: out of memory",
                             ZvErrorKind::TooLarge);
        return false;
    }
    out.SetXDPI(picture.GetXDPI());
    out.SetYDPI(picture.GetYDPI());
    out.SetTransIndex(-1);
    out.AlphaPaletteEnable(false);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *src = picture.GetBits(y);
        std::uint8_t *dst = out.GetBits(y);
        std::uint8_t *alpha = out.AlphaGetPointer(0, std::int32_t(y));
        const std::uint8_t *given = picture.AlphaGetPointer(0, std::int32_t(y));
        for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
            const std::uint8_t i = ZvImage::BlindGetPixelIndex(src, std::int32_t(x), bpp);
            const RGBQUAD c = pal && i < colors ? pal[i] : RGBQUAD{};
            dst[0] = c.rgbBlue;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbRed;
            if (alpha)
                alpha[x] = std::min(given ? given[x] : std::uint8_t(255), entryAlpha(picture, i, c));
        }
    }
    picture = std::move(out);
    return true;
}

// A 24-bit picture's transparent colour becomes clear pixels of its alpha plane.
bool keyToAlpha(ZvImage &picture)
{
    if (picture.GetTransIndex() < 0)
        return true;
    if (!picture.AlphaCreate()) {
        picture.SetLastError("DrawCaptionOnPicture: out of memory", ZvErrorKind::TooLarge);
        return false;
    }
    const RGBQUAD key = picture.GetTransColor();
    for (std::uint32_t y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t *p = picture.GetBits(y);
        std::uint8_t *alpha = picture.AlphaGetPointer(0, std::int32_t(y));
        for (std::uint32_t x = 0; x < picture.GetWidth(); ++x, p += 3) {
            if (p[0] == key.rgbBlue && p[1] == key.rgbGreen && p[2] == key.rgbRed)
                alpha[x] = 0;
        }
    }
    picture.SetTransIndex(-1);
    return true;
}

// Pixel (x, y) counted from the top row, in a 24-bit bottom-up picture.
std::uint8_t *pixelAt(const ZvImage &picture, std::int32_t x, std::int32_t y)
{
    return picture.GetBits(picture.GetHeight() - 1 - std::uint32_t(y)) + std::size_t(x) * 3;
}

// The alpha of pixel (x, y) counted from the top row; null without a plane.
std::uint8_t *alphaAt(const ZvImage &picture, std::int32_t x, std::int32_t y)
{
    return picture.AlphaGetPointer(x, std::int32_t(picture.GetHeight()) - 1 - y);
}

void fillArea(ZvImage &picture, const RECT &area, COLORREF color)
{
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint8_t *p = pixelAt(picture, area.left, y);
        for (std::int32_t x = area.left; x < area.right; ++x, p += 3) {
            p[0] = GetBValue(color);
            p[1] = GetGValue(color);
            p[2] = GetRValue(color);
        }
        if (std::uint8_t *alpha = alphaAt(picture, area.left, y))
            std::fill(alpha, alpha + (area.right - area.left), std::uint8_t(255));
    }
}

// Copies a picture area into a drawing surface (premultiplied when the
// picture has an alpha plane, so the text is laid over clear pixels as over
// any other).
void areaToSurface(const ZvImage &picture, const RECT &area, QImage &surface)
{
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        const std::uint8_t *p = pixelAt(picture, area.left, y);
        const std::uint8_t *alpha = alphaAt(picture, area.left, y);
        auto *q = reinterpret_cast<QRgb *>(surface.scanLine(y - area.top));
        for (std::int32_t x = area.left; x < area.right; ++x, p += 3, ++q)
            *q = alpha ? qPremultiply(qRgba(p[2], p[1], p[0], *alpha++)) : qRgb(p[2], p[1], p[0]);
    }
}

// Copies back the pixels the text changed; before is the surface as it was
// filled, so a clear pixel the text did not reach keeps its hidden colour.
void surfaceToArea(ZvImage &picture, const RECT &area, const QImage &surface, const QImage &before)
{
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint8_t *p = pixelAt(picture, area.left, y);
        std::uint8_t *alpha = alphaAt(picture, area.left, y);
        const auto *q = reinterpret_cast<const QRgb *>(surface.constScanLine(y - area.top));
        const auto *old = reinterpret_cast<const QRgb *>(before.constScanLine(y - area.top));
        for (std::int32_t x = area.left; x < area.right; ++x, p += 3, ++q, ++old) {
            if (*q == *old)
                continue;
            const QRgb c = alpha ? qUnpremultiply(*q) : *q;
            p[0] = std::uint8_t(qBlue(c));
            p[1] = std::uint8_t(qGreen(c));
            p[2] = std::uint8_t(qRed(c));
            if (alpha)
                alpha[x - area.left] = std::uint8_t(qAlpha(c));
        }
    }
}

// The back colour over the visible box at opacity per cent: 100 (or more)
// is the plain opaque fill, 0 (or less) nothing, in between the colour laid
// over the picture (and over its alpha, which it raises as paint would).
void fillBack(ZvImage &picture, const RECT &area, COLORREF color, std::int32_t opacity)
{
    if (opacity >= 100) {
        fillArea(picture, area, color);
        return;
    }
    if (opacity <= 0)
        return;
    const int a = (opacity * 255 + 50) / 100;
    const int back[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint8_t *p = pixelAt(picture, area.left, y);
        std::uint8_t *alpha = alphaAt(picture, area.left, y);
        for (std::int32_t x = area.left; x < area.right; ++x, p += 3) {
            const int under = alpha ? *alpha : 255;
            // Colour weights of the paint and of what shows through it, in 255ths squared.
            const int wBack = a * 255, wUnder = under * (255 - a);
            const int total = wBack + wUnder;
            for (int c = 0; c < 3; ++c)
                p[c] = std::uint8_t((back[c] * wBack + p[c] * wUnder + total / 2) / total);
            if (alpha)
                *alpha++ = std::uint8_t((total + 127) / 255);
        }
    }
}

// The part of the picture the text, its effect and the logo can change.
RECT foregroundArea(const CaptionLayout &layout, const CaptionForeground &part, const RECT &visible)
{
    const RECT clip = IntersectRect(layout.inner, visible);
    if (!part.logoPath.isEmpty())
        return clip;
    if (part.text.isEmpty())
        return RECT{};
    const int reach = EffectReach(part.effect, part.effectSize);
    return IntersectRect(
        InflateRect(DrawTextExtent(part.font, part.text, layout.inner, part.format), reach, reach), clip);
}

// Draws the foreground on a surface that covers only the area it can reach.
bool drawForeground(ZvImage &picture, const RECT &visible, const CaptionLayout &layout,
                    const CaptionSettings &caption)
{
    const CaptionStyle &style = caption.style;
    const CaptionForeground part{layout.inner,      FontFromLogFont(layout.font),
                                 layout.text,       unsigned(caption.align),
                                 caption.textColor, style.effect,
                                 style.effectColor, qreal(style.effectSize),
                                 style.logoPath,    style.logoOpacity};
    const RECT area = foregroundArea(layout, part, visible);
    if (IsRectEmpty(area))
        return true;
    QImage surface(area.right - area.left, area.bottom - area.top,
                   picture.AlphaIsValid() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (surface.isNull()) {
        picture.SetLastError("DrawCaptionOnPicture: out of memory for the text", ZvErrorKind::TooLarge);
        return false;
    }
    areaToSurface(picture, area, surface);
    const QImage before = surface.copy();
    QPainter painter(&surface);
    painter.translate(-area.left, -area.top);
    PaintCaptionForeground(painter, part);
    painter.end();
    surfaceToArea(picture, area, surface, before);
    return true;
}

} // namespace

bool DrawCaptionOnPicture(ZvImage &picture, const RECT &box, const CaptionSettings &caption)
{
    if (!picture.IsValid() || picture.GetWidth() == 0 || picture.GetHeight() == 0) {
        picture.SetLastError("DrawCaptionOnPicture: no picture");
        return false;
    }
    if (picture.GetInfo().pGhost) {
        picture.SetLastError("DrawCaptionOnPicture: a ghost cannot be changed");
        return false;
    }
    if (picture.GetBpp() != 24 ? !expandTo24(picture) : !keyToAlpha(picture))
        return false;

    const RECT whole{0, 0, std::int32_t(picture.GetWidth()), std::int32_t(picture.GetHeight())};
    const RECT visible = IntersectRect(box, whole);
    if (IsRectEmpty(visible))
        return true;
    if (caption.backColor != kNoBackColor)
        fillBack(picture, visible, caption.backColor, caption.style.backOpacity);
    if (caption.text.isEmpty() && caption.style.logoPath.isEmpty())
        return true;
    return drawForeground(picture, visible, LayoutCaption(caption, box), caption);
}

bool StampCaption(ZvImage &picture, const CaptionSettings &caption)
{
    const CaptionSettings own = CaptionForPicture(caption, picture.GetWidth(), picture.GetHeight());
    const RECT box = CaptionBoxInPicture(own.offsets, own.anchor, picture.GetWidth(), picture.GetHeight());
    return DrawCaptionOnPicture(picture, box, own);
}
