// imagelib/geometry/geometry_target.cpp
#include "imagelib/geometry/geometry_target.h"

#include <cstring>

bool ZvGeometryTarget::Prepare(ZvImage &src, std::uint32_t width, std::uint32_t height)
{
    CopyInfo(src);
    // The record may describe a ghost or a layer of someone else; the result is neither.
    mInfo.pGhost = nullptr;
    mInfo.pParent = nullptr;
    mInfo.nNumLayers = 0;
    if (!Create(width, height, src.GetBpp(), src.GetType()) || !GetBits(0)) {
        src.SetLastError(GetLastError());
        return false;
    }
    SetPalette(src.GetPalette(), 256);
    return true;
}

bool ZvGeometryTarget::PrepareAlpha(ZvImage &src)
{
    if (AlphaCreate())
        return true;
    src.SetLastError("ZvImage::Create can't allocate memory");
    return false;
}

void ZvGeometryTarget::ClearPixels()
{
    if (mDib)
        std::memset(GetBits(0), 0, mHead.biSizeImage);
}

void ZvGeometryTarget::ClearPadding(std::int32_t fromRow)
{
    if (!mDib)
        return;
    const std::size_t stride = GetEffWidth();
    const std::size_t used = (std::size_t(GetWidth()) * GetBpp() + 7) / 8;
    const std::int32_t height = std::int32_t(GetHeight());
    std::uint8_t *bits = GetBits(0);
    if (fromRow < height)
        std::memset(bits + std::size_t(fromRow) * stride, 0, std::size_t(height - fromRow) * stride);
    if (used == stride)
        return;
    for (std::int32_t y = 0; y < fromRow && y < height; ++y)
        std::memset(bits + std::size_t(y) * stride + used, 0, stride - used);
}

bool ZvGeometryTarget::MoveInto(ZvImage &src, ZvImage *dst)
{
    ZvImage &receiver = dst ? *dst : src;
    if (receiver.Transfer(*this))
        return true;
    src.SetLastError("the picture borrows another's pixels and cannot be replaced");
    return false;
}
