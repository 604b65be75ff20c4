// imagelib/core/image_pixels.cpp
// Palette, pixel and alpha-plane operations of ZvImage.
#include "imagelib/core/image.h"

#include <cstdlib>
#include <cstring>

RGBQUAD *ZvImage::GetPalette() const
{
    if (!mDib || mHead.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD *>(static_cast<std::uint8_t *>(mDib) + sizeof(BITMAPINFOHEADER));
}

void ZvImage::SetPalette(const RGBQUAD *pal, std::uint32_t ncolors)
{
    RGBQUAD *dst = GetPalette();
    if (!pal || !dst)
        return;
    const std::uint32_t n = ncolors < mHead.biClrUsed ? ncolors : mHead.biClrUsed;
    std::memcpy(dst, pal, n * sizeof(RGBQUAD));
    mInfo.last_c_isvalid = false;
}

RGBQUAD ZvImage::GetPaletteColor(std::uint8_t idx) const
{
    const RGBQUAD *pal = GetPalette();
    if (pal && idx < mHead.biClrUsed)
        return pal[idx];
    return RGBQUAD();
}

void ZvImage::SetPaletteColor(std::uint8_t idx, RGBQUAD c)
{
    RGBQUAD *pal = GetPalette();
    if (pal && idx < mHead.biClrUsed) {
        pal[idx] = c;
        mInfo.last_c_isvalid = false;
    }
}

void ZvImage::SetGrayPalette()
{
    RGBQUAD *pal = GetPalette();
    const std::uint32_t n = mHead.biClrUsed;
    if (!pal || n < 2)
        return;
    const std::uint32_t step = 255 / (n - 1);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t v = std::uint8_t(i * step);
        pal[i] = RGBQUAD{v, v, v, 0};
    }
    mInfo.last_c_isvalid = false;
}

bool ZvImage::IsGrayScale() const
{
    const RGBQUAD *pal = GetPalette();
    if (!pal)
        return false;
    for (std::uint32_t i = 0; i < mHead.biClrUsed; ++i) {
        if (pal[i].rgbBlue != i || pal[i].rgbGreen != i || pal[i].rgbRed != i)
            return false;
    }
    return true;
}

std::uint8_t ZvImage::GetNearestIndex(RGBQUAD c)
{
    const RGBQUAD *pal = GetPalette();
    if (!pal)
        return 0;
    if (mInfo.last_c_isvalid && mInfo.last_c.rgbBlue == c.rgbBlue && mInfo.last_c.rgbGreen == c.rgbGreen &&
        mInfo.last_c.rgbRed == c.rgbRed)
        return mInfo.last_c_index;
    mInfo.last_c = c;
    mInfo.last_c_isvalid = true;

    std::uint32_t n = mHead.biClrImportant != 0 ? mHead.biClrImportant : mHead.biClrUsed;
    if (n > mHead.biClrUsed)
        n = mHead.biClrUsed;
    long best = 200000;
    std::uint8_t bestIndex = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const long dr = long(pal[i].rgbRed) - c.rgbRed;
        const long dg = long(pal[i].rgbGreen) - c.rgbGreen;
        const long db = long(pal[i].rgbBlue) - c.rgbBlue;
        const long d = dr * dr + dg * dg + db * db;
        if (d == 0) {
            bestIndex = std::uint8_t(i);
            break;
        }
        if (d < best) {
            best = d;
            bestIndex = std::uint8_t(i);
        }
    }
    mInfo.last_c_index = bestIndex;
    return bestIndex;
}

bool ZvImage::IsInside(std::int32_t x, std::int32_t y) const
{
    return mDib && x >= 0 && y >= 0 && x < mHead.biWidth && y < mHead.biHeight;
}

std::uint8_t ZvImage::BlindGetPixelIndex(const std::uint8_t *row, std::int32_t x, std::uint32_t bpp)
{
    switch (bpp) {
    case 8: return row[x];
    case 4: {
        const std::uint8_t b = row[x >> 1];
        return (x & 1) ? (b & 0x0F) : (b >> 4);
    }
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
    }
}

std::uint8_t ZvImage::GetPixelIndex(std::int32_t x, std::int32_t y) const
{
    if (!IsIndexed() || !IsInside(x, y))
        return 0;
    return BlindGetPixelIndex(mInfo.pImage + std::size_t(y) * mInfo.dwEffWidth, x, mHead.biBitCount);
}

void ZvImage::SetPixelIndex(std::int32_t x, std::int32_t y, std::uint8_t i)
{
    if (!IsIndexed() || !IsInside(x, y))
        return;
    std::uint8_t *row = mInfo.pImage + std::size_t(y) * mInfo.dwEffWidth;
    switch (mHead.biBitCount) {
    case 8: row[x] = i; break;
    case 4: {
        std::uint8_t &b = row[x >> 1];
        if (x & 1)
            b = std::uint8_t((b & 0xF0) | (i & 0x0F));
        else
            b = std::uint8_t((b & 0x0F) | ((i & 0x0F) << 4));
        break;
    }
    case 1: {
        std::uint8_t &b = row[x >> 3];
        const std::uint8_t mask = std::uint8_t(0x80 >> (x & 7));
        b = (i & 1) ? std::uint8_t(b | mask) : std::uint8_t(b & ~mask);
        break;
    }
    default: break;
    }
}

RGBQUAD ZvImage::GetPixelColor(std::int32_t x, std::int32_t y, bool getAlpha) const
{
    RGBQUAD c;
    if (!IsInside(x, y))
        return c;
    if (IsIndexed()) {
        c = GetPaletteColor(GetPixelIndex(x, y));
    } else {
        const std::uint8_t *p = mInfo.pImage + std::size_t(y) * mInfo.dwEffWidth + std::size_t(x) * 3;
        c.rgbBlue = p[0];
        c.rgbGreen = p[1];
        c.rgbRed = p[2];
        c.rgbReserved = 0;
    }
    if (mAlpha && getAlpha)
        c.rgbReserved = AlphaGet(x, y);
    return c;
}

void ZvImage::SetPixelColor(std::int32_t x, std::int32_t y, RGBQUAD c, bool setAlpha)
{
    if (!IsInside(x, y))
        return;
    if (IsIndexed()) {
        SetPixelIndex(x, y, GetNearestIndex(c));
    } else {
        std::uint8_t *p = mInfo.pImage + std::size_t(y) * mInfo.dwEffWidth + std::size_t(x) * 3;
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
        if (setAlpha)
            AlphaSet(x, y, c.rgbReserved);
    }
}

void ZvImage::SetPixelColor(std::int32_t x, std::int32_t y, COLORREF cr)
{
    SetPixelColor(x, y, RGBQUAD{GetBValue(cr), GetGValue(cr), GetRValue(cr), 0}, false);
}

bool ZvImage::AlphaCreate()
{
    if (!mAlpha && mDib) {
        const std::size_t plane = std::size_t(GetWidth()) * GetHeight();
        mAlpha = static_cast<std::uint8_t *>(std::malloc(plane ? plane : 1));
        if (mAlpha)
            std::memset(mAlpha, 255, plane);
    }
    return mAlpha != nullptr;
}

void ZvImage::AlphaDelete()
{
    if (mInfo.pGhost)
        return;
    std::free(mAlpha);
    mAlpha = nullptr;
}

std::uint8_t ZvImage::AlphaGet(std::int32_t x, std::int32_t y) const
{
    if (mAlpha && IsInside(x, y))
        return mAlpha[std::size_t(y) * GetWidth() + std::size_t(x)];
    return 0;
}

void ZvImage::AlphaSet(std::int32_t x, std::int32_t y, std::uint8_t a)
{
    if (mAlpha && IsInside(x, y))
        mAlpha[std::size_t(y) * GetWidth() + std::size_t(x)] = a;
}

std::uint8_t *ZvImage::AlphaGetPointer(std::int32_t x, std::int32_t y) const
{
    if (mAlpha && IsInside(x, y))
        return mAlpha + std::size_t(y) * GetWidth() + std::size_t(x);
    return nullptr;
}

void ZvImage::SelectionDelete()
{
    if (!mInfo.pGhost) {
        std::free(mSelection);
        mSelection = nullptr;
    }
    mInfo.rSelectionBox.left = 0;
    mInfo.rSelectionBox.bottom = 0;
    mInfo.rSelectionBox.right = mHead.biWidth;
    mInfo.rSelectionBox.top = mHead.biHeight;
}
