// caption/caption_render.cpp
#include "caption/caption_render.h"

#include "caption/caption_geometry.h"
#include "imagelib/core/image.h"
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <QImage>
#include <QPainter>

#include <cstring>

namespace {

std::uint8_t indexAt(const std::uint8_t *row, std::uint32_t x, std::uint32_t bpp)
{
    switch (bpp) {
    case 8: return row[x];
    case 4: return std::uint8_t((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    default: return std::uint8_t((row[x >> 3] >> (7 - (x & 7))) & 0x01);
    }
}

// Expands an indexed picture through its palette into a new 24-bit picture
// that keeps the picture's information record.
bool expandTo24(ZvImage &picture)
{
    const std::uint32_t w = picture.GetWidth(), h = picture.GetHeight(), bpp = picture.GetBpp();
    const RGBQUAD *pal = picture.GetPalette();
    const std::uint32_t colors = picture.GetNumColors();
    ZvImage out;
    out.CopyInfo(picture);
    if (!out.Create(w, h, 24, picture.GetType())) {
        picture.SetLastError(out.GetLastError());
        return false;
    }
    out.SetXDPI(picture.GetXDPI());
    out.SetYDPI(picture.GetYDPI());
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *src = picture.GetBits(y);
        std::uint8_t *dst = out.GetBits(y);
        for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
            const std::uint8_t i = indexAt(src, x, bpp);
            const RGBQUAD c = pal && i < colors ? pal[i] : RGBQUAD{};
            dst[0] = c.rgbBlue;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbRed;
        }
    }
    picture = std::move(out);
    return true;
}

// Pixel (x, y) counted from the top row, in a 24-bit bottom-up picture.
std::uint8_t *pixelAt(const ZvImage &picture, std::int32_t x, std::int32_t y)
{
    return picture.GetBits(picture.GetHeight() - 1 - std::uint32_t(y)) + std::size_t(x) * 3;
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
    }
}

// Copies a picture area into (toImage) or out of a 32-bit drawing surface.
void transferArea(ZvImage &picture, const RECT &area, QImage &surface, bool toImage)
{
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint8_t *p = pixelAt(picture, area.left, y);
        auto *q = reinterpret_cast<QRgb *>(surface.scanLine(y - area.top));
        for (std::int32_t x = area.left; x < area.right; ++x, p += 3, ++q) {
            if (toImage) {
                *q = qRgb(p[2], p[1], p[0]);
            } else {
                p[0] = std::uint8_t(qBlue(*q));
                p[1] = std::uint8_t(qGreen(*q));
                p[2] = std::uint8_t(qRed(*q));
            }
        }
    }
}

// Draws the text on a surface that covers only the area the text can reach.
bool drawTextArea(ZvImage &picture, const RECT &visible, const RECT &box, const CaptionSettings &caption)
{
    const QFont font = FontFromLogFont(caption.font);
    const unsigned format = unsigned(caption.align);
    const RECT area = IntersectRect(DrawTextExtent(font, caption.text, box, format), visible);
    if (IsRectEmpty(area))
        return true;
    QImage surface(area.right - area.left, area.bottom - area.top, QImage::Format_RGB32);
    if (surface.isNull()) {
        picture.SetLastError("DrawCaptionOnPicture: out of memory for the text");
        return false;
    }
    transferArea(picture, area, surface, true);
    QPainter painter(&surface);
    painter.translate(-area.left, -area.top);
    painter.setFont(font);
    const COLORREF c = caption.textColor;
    painter.setPen(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    DrawText(painter, caption.text, box, format);
    painter.end();
    transferArea(picture, area, surface, false);
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
    if (picture.GetBpp() != 24 && !expandTo24(picture))
        return false;
    picture.AlphaDelete();
    picture.SetTransIndex(-1);

    const RECT whole{0, 0, std::int32_t(picture.GetWidth()), std::int32_t(picture.GetHeight())};
    const RECT visible = IntersectRect(box, whole);
    if (IsRectEmpty(visible))
        return true;
    if (caption.backColor != kNoBackColor)
        fillArea(picture, visible, caption.backColor);
    if (caption.text.isEmpty())
        return true;
    return drawTextArea(picture, visible, NormalizeRect(box), caption);
}

bool StampCaption(ZvImage &picture, const CaptionSettings &caption)
{
    const RECT box = CaptionBoxInPicture(caption.offsets, caption.anchor, picture.GetWidth(), picture.GetHeight());
    return DrawCaptionOnPicture(picture, box, caption);
}
