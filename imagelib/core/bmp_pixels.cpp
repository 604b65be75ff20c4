// imagelib/core/bmp_pixels.cpp
#include "imagelib/core/bmp_pixels.h"

#include "imagelib/core/image.h"

#include <algorithm>
#include <cstring>

namespace {

// Channels up to this many values are scaled through a table.
constexpr std::uint32_t kTableLimit = 4096;

// Where run-length decoding writes: the current row of the picture, with
// every write outside the picture dropped, as files that overrun expect.
class RleCanvas
{
  public:
    RleCanvas(ZvImage &image, const BmpPixels &pixels, bool fourBits)
        : mImage(image)
        , mPixels(pixels)
        , mWidth(image.GetWidth())
        , mHeight(image.GetHeight())
        , mFourBits(fourBits)
    {
        MoveTo(0, 0);
    }

    void MoveTo(std::uint64_t x, std::uint64_t y)
    {
        mX = x;
        if (y != mY || !mLine) {
            mY = y;
            mLine = y < mHeight ? mImage.GetBits(mPixels.TargetRow(std::uint32_t(y))) : nullptr;
        }
    }
    std::uint64_t X() const { return mX; }
    std::uint64_t Y() const { return mY; }
    bool Finished() const { return mY >= mHeight || (mY + 1 == mHeight && mX >= mWidth); }

    void Run(std::uint32_t count, std::uint8_t value)
    {
        if (!mFourBits && mLine && mX < mWidth)
            std::memset(mLine + mX, value, std::size_t(std::min<std::uint64_t>(count, mWidth - mX)));
        else
            for (std::uint32_t i = 0; i < count; ++i)
                Put(mX + i, (i & 1) ? (value & 0x0F) : (value >> 4));
        mX += count;
    }

    // An absolute run of `count` pixels from `data`, of which `available`
    // bytes exist.
    void Literal(std::uint32_t count, const std::uint8_t *data, std::size_t available)
    {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = mFourBits ? i / 2 : i;
            if (at >= available)
                break;
            const std::uint8_t b = data[at];
            Put(mX + i, mFourBits ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
        }
        mX += count;
    }

  private:
    void Put(std::uint64_t x, std::uint8_t index)
    {
        if (!mLine || x >= mWidth)
            return;
        if (!mFourBits) {
            mLine[x] = index;
            return;
        }
        std::uint8_t &b = mLine[x / 2];
        b = (x & 1) ? std::uint8_t((b & 0xF0) | index) : std::uint8_t((b & 0x0F) | (index << 4));
    }

    ZvImage &mImage;
    const BmpPixels &mPixels;
    std::uint64_t mWidth;
    std::uint64_t mHeight;
    bool mFourBits;
    std::uint64_t mX = 0;
    std::uint64_t mY = ~std::uint64_t(0);
    std::uint8_t *mLine = nullptr;
};

} // namespace

BmpPixels::BmpPixels(const BmpLayout &layout)
    : mLayout(layout)
{
    mScalers[0] = makeScaler(layout.blue);
    mScalers[1] = makeScaler(layout.green);
    mScalers[2] = makeScaler(layout.red);
    mScalers[3] = makeScaler(layout.alpha);
}

BmpPixels::Scaler BmpPixels::makeScaler(const BmpChannel &channel)
{
    Scaler s;
    s.channel = channel;
    if (channel.max && channel.max < kTableLimit) {
        s.table.resize(channel.max + 1);
        for (std::uint32_t v = 0; v <= channel.max; ++v)
            s.table[v] = std::uint8_t((v * 255 + channel.max / 2) / channel.max);
    }
    return s;
}

std::uint8_t BmpPixels::Scaler::operator()(std::uint32_t pixel) const
{
    const std::uint32_t v = (pixel & channel.mask) >> channel.shift;
    if (!table.empty())
        return table[v];
    if (!channel.max)
        return 0;
    return std::uint8_t((std::uint64_t(v) * 255 + channel.max / 2) / channel.max);
}

void BmpPixels::BeginAlpha(ZvImage &image) const
{
    if (HasAlpha())
        image.AlphaCreate();
}

void BmpPixels::FinishAlpha(ZvImage &image)
{
    std::uint8_t *plane = image.AlphaGetPointer(0, 0);
    if (!plane)
        return;
    const std::size_t n = std::size_t(image.GetWidth()) * image.GetHeight();
    const bool allClear = std::all_of(plane, plane + n, [](std::uint8_t a) { return a == 0; });
    const bool allOpaque = std::all_of(plane, plane + n, [](std::uint8_t a) { return a == 255; });
    if (allClear || allOpaque)
        image.AlphaDelete();
}

void BmpPixels::convertTrueColour(const std::uint8_t *src, std::uint8_t *dst, std::uint8_t *alpha) const
{
    const std::uint32_t width = mLayout.width;
    const bool wide = mLayout.bitCount == 32;
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t pixel =
            wide ? BmpGet32(src + 4 * std::size_t(x)) : BmpGet16(src + 2 * std::size_t(x));
        dst[3 * std::size_t(x)] = mScalers[0](pixel);
        dst[3 * std::size_t(x) + 1] = mScalers[1](pixel);
        dst[3 * std::size_t(x) + 2] = mScalers[2](pixel);
        if (alpha)
            alpha[x] = mScalers[3](pixel);
    }
}

void BmpPixels::convert2To4(const std::uint8_t *src, std::uint8_t *dst) const
{
    for (std::uint32_t x = 0; x < mLayout.width; ++x) {
        const std::uint8_t index = (src[x / 4] >> (6 - 2 * (x % 4))) & 3;
        dst[x / 2] |= (x & 1) ? index : std::uint8_t(index << 4);
    }
}

void BmpPixels::ConvertRow(const std::uint8_t *src, std::size_t srcBytes, ZvImage &image,
                           std::uint32_t row) const
{
    const std::uint32_t target = TargetRow(row);
    std::uint8_t *dst = image.GetBits(target);
    const std::size_t dstBytes = image.GetEffWidth();
    switch (mLayout.bitCount) {
    case 2:
        std::memset(dst, 0, dstBytes);
        convert2To4(src, dst);
        break;
    case 16:
    case 32: {
        const std::size_t used = std::size_t(mLayout.width) * 3;
        std::memset(dst + used, 0, dstBytes - used);
        convertTrueColour(src, dst, image.AlphaGetPointer(0, std::int32_t(target)));
        break;
    }
    default: {
        const std::size_t n = std::min(srcBytes, dstBytes);
        std::memcpy(dst, src, n);
        std::memset(dst + n, 0, dstBytes - n);
        break;
    }
    }
}

BmpStatus BmpPixels::DecodeRle(const std::uint8_t *src, std::size_t size, ZvImage &image) const
{
    std::memset(image.GetBits(0), 0, std::size_t(image.GetEffWidth()) * image.GetHeight());
    RleCanvas canvas(image, *this, mLayout.compression == 2);
    std::size_t pos = 0;
    while (canvas.Y() < mLayout.height) {
        if (size - pos < 2)
            return canvas.Finished() ? BmpStatus::Done : BmpStatus::Truncated;
        const std::uint8_t count = src[pos];
        const std::uint8_t code = src[pos + 1];
        pos += 2;
        if (count) {
            canvas.Run(count, code);
        } else if (code == 0) {
            canvas.MoveTo(0, canvas.Y() + 1);
            if (image.GetEscape())
                return BmpStatus::Cancelled;
        } else if (code == 1) {
            return BmpStatus::Done;
        } else if (code == 2) {
            if (size - pos < 2)
                return BmpStatus::Truncated;
            canvas.MoveTo(canvas.X() + src[pos], canvas.Y() + src[pos + 1]);
            pos += 2;
        } else {
            // An absolute run is padded to a whole 16-bit word.
            const std::size_t bytes = mLayout.compression == 2 ? (code + 1u) / 2 : code;
            const std::size_t left = size - pos;
            canvas.Literal(code, src + pos, left);
            if (left < bytes)
                return BmpStatus::Truncated;
            pos += std::min(left, (bytes + 1) & ~std::size_t(1));
        }
    }
    return BmpStatus::Done;
}

BmpStatus BmpPixels::DecodeAll(const std::uint8_t *src, std::size_t size, ZvImage &image) const
{
    if (bmpIsRle(mLayout))
        return DecodeRle(src, size, image);
    const std::uint64_t stride = BmpStride(mLayout.width, mLayout.bitCount);
    const std::uint64_t rowBytes = BmpRowBytes(mLayout.width, mLayout.bitCount);
    BeginAlpha(image);
    for (std::uint32_t row = 0; row < mLayout.height; ++row) {
        const std::uint64_t at = stride * row;
        if (at >= size || size - at < rowBytes)
            return BmpStatus::Truncated;
        if (image.GetEscape())
            return BmpStatus::Cancelled;
        ConvertRow(src + at, std::size_t(std::min<std::uint64_t>(stride, size - at)), image, row);
    }
    FinishAlpha(image);
    return BmpStatus::Done;
}
