// imagelib/core/image.cpp
#include "imagelib/core/image.h"

#include "platform/large_block.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t paletteEntriesFor(std::uint32_t bpp)
{
    switch (bpp) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// The picture size limit (width * height * bpp / 256 <= 256000000, formed
// without wrap-around), plus what the 32-bit header fields can hold: at 24
// bits the limit alone would allow an 8 GB image size that biSizeImage
// cannot carry.
bool sizeWithinLimit(std::uint32_t width, std::uint32_t height, std::uint32_t bpp)
{
    using u128 = unsigned __int128;
    if (u128(width) * height * bpp / 256 > kZvMaxImageArea)
        return false;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return false;
    const std::uint64_t effWidth = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    return effWidth * height + sizeof(BITMAPINFOHEADER) + 256 * 4 <= 0xFFFFFFFFull;
}

} // namespace

ZvImage::ZvImage(std::uint32_t imagetype)
{
    Startup(imagetype);
}

ZvImage::ZvImage(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t imagetype)
{
    Startup(imagetype);
    Create(width, height, bpp, imagetype);
}

ZvImage::ZvImage(const char *filename, std::uint32_t imagetype)
{
    Startup(imagetype);
    Load(filename, imagetype);
}

ZvImage::ZvImage(ZvFile *stream, std::uint32_t imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

ZvImage::ZvImage(std::FILE *stream, std::uint32_t imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

ZvImage::ZvImage(std::uint8_t *buffer, std::uint32_t size, std::uint32_t imagetype)
{
    Startup(imagetype);
    Decode(buffer, size, imagetype);
}

ZvImage::ZvImage(const ZvImage &src, bool copypixels, bool copyselection, bool copyalpha)
{
    Startup(src.GetType());
    Copy(src, copypixels, copyselection, copyalpha);
}

ZvImage::ZvImage(ZvImage &&src) noexcept
{
    Startup(0);
    MoveFrom(src);
}

ZvImage &ZvImage::operator=(ZvImage &&src) noexcept
{
    if (this != &src)
        MoveFrom(src);
    return *this;
}

void ZvImage::MoveFrom(ZvImage &src) noexcept
{
    if (src.mInfo.pGhost) {
        // A ghost owns nothing to move; take a real copy instead.
        Copy(src);
        return;
    }
    if (!Transfer(src))
        return;
    mOrigHead = src.mOrigHead;
}

ZvImage::~ZvImage()
{
    Destroy();
}

void ZvImage::Startup(std::uint32_t imagetype)
{
    mDib = nullptr;
    mSelection = nullptr;
    mAlpha = nullptr;
    mLayers = nullptr;
    mPhotoInfo.reset();
    mColour.reset();
    mHead = BITMAPINFOHEADER();
    mOrigHead = BITMAPINFOHEADER();
    mInfo = ZvImageInfo();
    mInfo.dwType = imagetype;
    mInfo.nQuality = 90;
    mInfo.nAlphaMax = 255;
    mInfo.nBkgndIndex = -1;
    mInfo.bEnabled = true;
    SetXDPI(96);
    SetYDPI(96);
}

std::uint32_t ZvImage::NormalizeBpp(std::uint32_t bpp)
{
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

void *ZvImage::Create(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t imagetype)
{
    if (!Destroy())
        return nullptr;
    bpp = NormalizeBpp(bpp);

    if (!sizeWithinLimit(width, height, bpp)) {
        SetLastError("ZvImage::Create size limit exceeded", ZvErrorKind::TooLarge);
        return nullptr;
    }

    mHead.biClrUsed = paletteEntriesFor(bpp);
    mInfo.dwType = imagetype;
    const std::uint64_t effWidth = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    mInfo.dwEffWidth = std::uint32_t(effWidth);

    mHead.biSize = sizeof(BITMAPINFOHEADER);
    mHead.biWidth = std::int32_t(width);
    mHead.biHeight = std::int32_t(height);
    mHead.biPlanes = 1;
    mHead.biBitCount = std::uint16_t(bpp);
    mHead.biCompression = BI_RGB;
    mHead.biSizeImage = std::uint32_t(effWidth * height);
    mHead.biClrImportant = 0;

    mOrigHead.biWidth = mHead.biWidth;
    mOrigHead.biHeight = mHead.biHeight;
    mOrigHead.biBitCount = mHead.biBitCount;

    // Zeroed, so that no decoder can leave earlier memory in the bits a row
    // pads with (a 4-bit row of odd width); a large block comes zeroed
    // from the system anyway.
    mDib = std::calloc(1, GetSize());
    if (!mDib) {
        SetLastError("ZvImage::Create can't allocate memory", ZvErrorKind::TooLarge);
        return nullptr;
    }
    zvAdviseLargeBlock(mDib, GetSize());

    std::memset(static_cast<std::uint8_t *>(mDib) + sizeof(BITMAPINFOHEADER), 0, GetPaletteSize());
    SelectionDelete();
    AlphaDelete();
    std::memcpy(mDib, &mHead, sizeof(BITMAPINFOHEADER));
    mInfo.pImage = GetBits(0);
    mInfo.last_c_isvalid = false;
    return mDib;
}

bool ZvImage::Destroy()
{
    if (mInfo.pGhost)
        return false;
    if (mLayers) {
        for (std::int32_t n = 0; n < mInfo.nNumLayers; ++n)
            delete mLayers[n];
        delete[] mLayers;
        mLayers = nullptr;
        mInfo.nNumLayers = 0;
    }
    std::free(mSelection);
    mSelection = nullptr;
    std::free(mAlpha);
    mAlpha = nullptr;
    std::free(mDib);
    mDib = nullptr;
    mInfo.pImage = nullptr;
    return true;
}

void ZvImage::Copy(const ZvImage &src, bool copypixels, bool copyselection, bool copyalpha)
{
    if (&src == this || mInfo.pGhost)
        return;
    mInfo = src.mInfo;
    mInfo.pGhost = nullptr;
    mInfo.pParent = nullptr;
    mInfo.nNumLayers = 0;
    mInfo.pImage = nullptr;
    mPhotoInfo = src.mPhotoInfo;
    mColour = src.mColour;
    if (!src.IsValid()) {
        Destroy();
        return;
    }
    if (!Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()))
        return;
    mHead.biXPelsPerMeter = src.mHead.biXPelsPerMeter;
    mHead.biYPelsPerMeter = src.mHead.biYPelsPerMeter;
    if (copypixels && mDib && src.mDib)
        std::memcpy(mDib, src.mDib, GetSize());
    else
        SetPalette(src.GetPalette(), 256);
    const std::size_t plane = std::size_t(GetWidth()) * GetHeight();
    if (copyselection && src.mSelection) {
        mSelection = static_cast<std::uint8_t *>(std::malloc(plane));
        if (mSelection)
            std::memcpy(mSelection, src.mSelection, plane);
    }
    if (copyalpha && src.mAlpha) {
        mAlpha = static_cast<std::uint8_t *>(std::malloc(plane));
        if (mAlpha)
            std::memcpy(mAlpha, src.mAlpha, plane);
    }
}

bool ZvImage::Transfer(ZvImage &from)
{
    if (&from == this)
        return true;
    if (!Destroy())
        return false;
    mHead = from.mHead;
    mInfo = from.mInfo;
    mDib = from.mDib;
    mSelection = from.mSelection;
    mAlpha = from.mAlpha;
    mLayers = from.mLayers;
    mPhotoInfo = std::move(from.mPhotoInfo);
    mColour = std::move(from.mColour);

    from.mHead = BITMAPINFOHEADER();
    std::memset(static_cast<void *>(&from.mInfo), 0, sizeof(from.mInfo));
    from.mDib = nullptr;
    from.mSelection = nullptr;
    from.mAlpha = nullptr;
    from.mLayers = nullptr;
    return true;
}

bool ZvImage::Ghost(const ZvImage *src)
{
    if (!src)
        return false;
    mHead = src->mHead;
    mInfo = src->mInfo;
    mDib = src->mDib;
    mSelection = src->mSelection;
    mAlpha = src->mAlpha;
    mLayers = src->mLayers;
    mPhotoInfo = src->mPhotoInfo;
    mColour = src->mColour;
    mInfo.pGhost = src;
    return true;
}

void ZvImage::CopyInfo(const ZvImage &src)
{
    if (mDib == nullptr) {
        mInfo = src.mInfo;
        mPhotoInfo = src.mPhotoInfo;
        mColour = src.mColour;
    }
}

std::uint8_t *ZvImage::GetBits(std::uint32_t row) const
{
    if (!mDib)
        return nullptr;
    std::uint8_t *bits = static_cast<std::uint8_t *>(mDib) + sizeof(BITMAPINFOHEADER) + GetPaletteSize();
    if (row == 0)
        return bits;
    if (row >= GetHeight())
        return nullptr;
    return bits + std::size_t(row) * mInfo.dwEffWidth;
}

std::size_t ZvImage::GetSize() const
{
    return sizeof(BITMAPINFOHEADER) + std::size_t(GetPaletteSize()) + mHead.biSizeImage;
}

void ZvImage::SetLastError(const char *text)
{
    SetLastError(text, text && *text ? ZvErrorKind::BadData : ZvErrorKind::None);
}

void ZvImage::SetDamage(const char *why)
{
    std::strncpy(mInfo.szDamage, why ? why : "", sizeof(mInfo.szDamage) - 1);
    mInfo.szDamage[sizeof(mInfo.szDamage) - 1] = '\0';
}

void ZvImage::SetLastError(const char *text, ZvErrorKind kind)
{
    if (!text)
        text = "";
    mInfo.nErrorKind = *text ? kind : ZvErrorKind::None;
    std::strncpy(mInfo.szLastError, text, sizeof(mInfo.szLastError) - 1);
    mInfo.szLastError[sizeof(mInfo.szLastError) - 1] = '\0';
}

void ZvImage::RefreshHeaderCopy()
{
    if (mDib)
        std::memcpy(mDib, &mHead, sizeof(BITMAPINFOHEADER));
}

RGBQUAD ZvImage::GetTransColor() const
{
    if (IsIndexed() && mInfo.nBkgndIndex >= 0)
        return GetPaletteColor(std::uint8_t(mInfo.nBkgndIndex));
    return mInfo.nBkgndColor;
}

void ZvImage::SetTransColor(RGBQUAD rgb)
{
    rgb.rgbReserved = 0;
    mInfo.nBkgndColor = rgb;
}

void ZvImage::SetXDPI(std::int32_t dpi)
{
    mInfo.xDPI = dpi;
    mHead.biXPelsPerMeter = std::int32_t(double(dpi) * 39.37007874015748 + 0.5);
}

void ZvImage::SetYDPI(std::int32_t dpi)
{
    mInfo.yDPI = dpi;
    mHead.biYPelsPerMeter = std::int32_t(double(dpi) * 39.37007874015748 + 0.5);
}

void ZvImage::GetOffset(std::int32_t *x, std::int32_t *y) const
{
    if (x)
        *x = mInfo.xOffset;
    if (y)
        *y = mInfo.yOffset;
}

void ZvImage::SetOffset(std::int32_t x, std::int32_t y)
{
    mInfo.xOffset = x;
    mInfo.yOffset = y;
}

void ZvImage::SetFlags(std::uint32_t flags, bool lockReservedFlags)
{
    mInfo.dwFlags = lockReservedFlags ? (flags & 0x0000FFFF) : flags;
}

void ZvImage::Flip()
{
    if (!mDib)
        return;
    const std::uint32_t h = GetHeight();
    const std::size_t rowBytes = mInfo.dwEffWidth;
    std::uint8_t *bits = GetBits(0);
    for (std::uint32_t y = 0; y < h / 2; ++y)
        std::swap_ranges(bits + y * rowBytes, bits + (y + 1) * rowBytes, bits + (h - 1 - y) * rowBytes);
    if (mAlpha) {
        const std::size_t w = GetWidth();
        for (std::uint32_t y = 0; y < h / 2; ++y)
            std::swap_ranges(mAlpha + y * w, mAlpha + (y + 1) * w, mAlpha + (h - 1 - y) * w);
    }
}
