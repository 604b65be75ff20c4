// imagelib/codecs/gif/gif_canvas.cpp
#include "imagelib/codecs/gif/gif_canvas.h"

#include "imagelib/codecs/gif/gif_reader.h"
#include "imagelib/core/image.h"

#include <algorithm>
#include <cstring>

GifCanvas::GifCanvas(ZvImage &image, std::uint8_t undrawnIndex, RGBQUAD undrawnColour)
    : mImage(image)
    , mTrueColour(image.GetBpp() == 24)
    , mWidth(int(image.GetWidth()))
    , mHeight(int(image.GetHeight()))
    , mUndrawnIndex(undrawnIndex)
    , mUndrawnColour(undrawnColour)
{
}

std::uint8_t *GifCanvas::Row(int y) const
{
    return mImage.GetBits(std::uint32_t(mHeight - 1 - y));
}

std::uint8_t *GifCanvas::AlphaRow(int y) const
{
    return mImage.AlphaGetPointer(0, mHeight - 1 - y);
}

GifRect GifCanvas::Clip(const GifImage &image) const
{
    GifRect r;
    r.left = std::min(image.left, mWidth);
    r.top = std::min(image.top, mHeight);
    r.right = std::min(image.left + image.width, mWidth);
    r.bottom = std::min(image.top + image.height, mHeight);
    return r;
}

void GifCanvas::Erase(const GifRect &r)
{
    if (r.Empty())
        return;
    const int n = r.right - r.left;
    mWork += std::uint64_t(n) * std::uint64_t(r.bottom - r.top);
    for (int y = r.top; y < r.bottom; ++y) {
        if (!mTrueColour) {
            std::memset(Row(y) + r.left, mUndrawnIndex, std::size_t(n));
            continue;
        }
        std::uint8_t *p = Row(y) + 3 * r.left;
        for (int x = 0; x < n; ++x, p += 3) {
            p[0] = mUndrawnColour.rgbBlue;
            p[1] = mUndrawnColour.rgbGreen;
            p[2] = mUndrawnColour.rgbRed;
        }
        std::memset(AlphaRow(y) + r.left, 0, std::size_t(n));
    }
}

void GifCanvas::Save(const GifRect &r)
{
    mSavedRect = r;
    mSaved.clear();
    mSavedAlpha.clear();
    if (r.Empty())
        return;
    const int bytes = mTrueColour ? 3 : 1;
    const std::size_t n = std::size_t(r.right - r.left);
    mWork += std::uint64_t(n) * std::uint64_t(r.bottom - r.top);
    for (int y = r.top; y < r.bottom; ++y) {
        const std::uint8_t *p = Row(y) + bytes * r.left;
        mSaved.insert(mSaved.end(), p, p + n * bytes);
        if (mTrueColour) {
            const std::uint8_t *a = AlphaRow(y) + r.left;
            mSavedAlpha.insert(mSavedAlpha.end(), a, a + n);
        }
    }
}

void GifCanvas::Restore()
{
    const GifRect r = mSavedRect;
    if (r.Empty() || mSaved.empty())
        return;
    const int bytes = mTrueColour ? 3 : 1;
    const std::size_t n = std::size_t(r.right - r.left);
    mWork += std::uint64_t(n) * std::uint64_t(r.bottom - r.top);
    for (int y = r.top, i = 0; y < r.bottom; ++y, ++i) {
        std::memcpy(Row(y) + bytes * r.left, mSaved.data() + std::size_t(i) * n * bytes, n * bytes);
        if (mTrueColour)
            std::memcpy(AlphaRow(y) + r.left, mSavedAlpha.data() + std::size_t(i) * n, n);
    }
    mSavedRect = GifRect();
}

void GifCanvas::BeginImage(const GifImage &image, const std::vector<std::uint8_t> &table, int transparent)
{
    mLeft = image.left;
    mTop = image.top;
    mImageHeight = image.height;
    mVisibleWidth = image.left < mWidth ? std::min(image.width, mWidth - image.left) : 0;
    mTransparent = transparent;
    const std::size_t entries = std::min<std::size_t>(table.size() / 3, 256);
    for (std::size_t i = 0; i < entries; ++i) {
        mColours[i][0] = table[3 * i + 2];
        mColours[i][1] = table[3 * i + 1];
        mColours[i][2] = table[3 * i];
    }
}

bool GifCanvas::RowVisible(int y) const
{
    return mVisibleWidth > 0 && mTop + y < mHeight;
}

int GifCanvas::VisibleRows() const
{
    if (mVisibleWidth <= 0 || mTop >= mHeight)
        return 0;
    return std::min(mImageHeight, mHeight - mTop);
}

void GifCanvas::DrawRow(int y, const std::uint8_t *pixels, int count)
{
    mWork += std::uint64_t(std::max(count, 0));
    if (!RowVisible(y))
        return;
    const int n = std::min(count, mVisibleWidth);
    if (!mTrueColour) {
        std::uint8_t *dst = Row(mTop + y) + mLeft;
        if (mTransparent < 0) {
            std::memcpy(dst, pixels, std::size_t(std::max(n, 0)));
            return;
        }
        for (int x = 0; x < n; ++x)
            if (pixels[x] != mTransparent)
                dst[x] = pixels[x];
        return;
    }
    std::uint8_t *dst = Row(mTop + y) + 3 * mLeft;
    std::uint8_t *alpha = AlphaRow(mTop + y) + mLeft;
    for (int x = 0; x < n; ++x) {
        const std::uint8_t p = pixels[x];
        if (p == mTransparent)
            continue;
        std::memcpy(dst + 3 * x, mColours[p], 3);
        alpha[x] = 255;
    }
}

bool GifCanvas::AnyUndrawn() const
{
    for (int y = 0; y < mHeight; ++y) {
        if (mTrueColour) {
            const std::uint8_t *a = AlphaRow(y);
            if (std::find(a, a + mWidth, std::uint8_t(0)) != a + mWidth)
                return true;
        } else if (std::memchr(Row(y), mUndrawnIndex, std::size_t(mWidth))) {
            return true;
        }
    }
    return false;
}
