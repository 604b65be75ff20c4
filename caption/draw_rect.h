// caption/draw_rect.h
#pragma once

#include "caption/draw_obj.h"

#include <cstdint>

// Shape kinds of a CDrawRect. The caption box is always a rectangle; the
// other kinds exist in the stream form only and use the rectangle's handles.
namespace DrawShape {
constexpr std::int32_t Rectangle = 0;
constexpr std::int32_t RoundRectangle = 1;
constexpr std::int32_t Ellipse = 2;
constexpr std::int32_t Line = 3;
} // namespace DrawShape

// A drawing object with a shape kind and a corner roundness.
class CDrawRect : public CDrawObj
{
  public:
    // Shape rectangle, roundness (16, 16).
    CDrawRect(const RECT &rect, const PreviewGeometry *view);

    const char *GetRuntimeClassName() const override { return "CDrawRect"; }

    // Appends the shape (16-bit word) and the roundness (8 bytes).
    void Serialize(ArchiveWriter &out) const override;
    bool Serialize(ArchiveReader &in) override;

    // Line 2, rounded rectangle 9, otherwise 8.
    int HandleCount() const override;

    std::int32_t GetShape() const { return mShape; }
    void SetShape(std::int32_t shape) { mShape = shape; }
    const POINT &GetRoundness() const { return mRoundness; }
    void SetRoundness(const POINT &roundness) { mRoundness = roundness; }

  private:
    std::int32_t mShape = DrawShape::Rectangle;
    POINT mRoundness{16, 16};
};
