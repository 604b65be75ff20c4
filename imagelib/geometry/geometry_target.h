// imagelib/geometry/geometry_target.h
#pragma once

#include "imagelib/core/image.h"

#include <cstdint>

// The fresh picture a resample or rotation fills: the source's bit count,
// type, palette and information record at the result size. The kernels write
// its rows in place; MoveInto then hands it to the caller's picture.
// Used on the thread that runs the operation only.
class ZvGeometryTarget : public ZvImage
{
  public:
    // False when the result cannot be allocated; the message of Create is
    // then copied into src's last error and src is otherwise untouched.
    bool Prepare(ZvImage &src, std::uint32_t width, std::uint32_t height);
    // An alpha plane of the result size, all 255. False, with a message in
    // src, when it cannot be allocated.
    bool PrepareAlpha(ZvImage &src);
    // Zeroes every pixel byte, for the kernels that OR packed indices in.
    void ClearPixels();
    // Zeroes the bytes past the last pixel of each row and the rows from
    // `fromRow` up, so a result never carries stale heap bytes.
    void ClearPadding(std::int32_t fromRow);
    // Moves the result into dst, or into src when dst is null. False when
    // the receiver is a ghost, which cannot take new buffers.
    bool MoveInto(ZvImage &src, ZvImage *dst);
};
