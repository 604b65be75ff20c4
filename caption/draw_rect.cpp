// caption/draw_rect.cpp
#include "caption/draw_rect.h"

#include "platform/archive.h"

CDrawRect::CDrawRect(const RECT &rect, const PreviewGeometry *view)
    : CDrawObj(rect, view)
{
}

void CDrawRect::Serialize(ArchiveWriter &out) const
{
    CDrawObj::Serialize(out);
    out.WriteU16(std::uint16_t(mShape));
    out.Write(&mRoundness, sizeof(mRoundness));
}

bool CDrawRect::Serialize(ArchiveReader &in)
{
    if (!CDrawObj::Serialize(in))
        return false;
    std::uint16_t shape = 0;
    POINT roundness;
    if (!in.ReadU16(shape) || !in.ReadExact(&roundness, sizeof(roundness)))
        return false;
    mShape = shape;
    mRoundness = roundness;
    return true;
}

int CDrawRect::HandleCount() const
{
    switch (mShape) {
    case DrawShape::Line: return 2;
    case DrawShape::RoundRectangle: return 9;
    default: return 8;
    }
}
