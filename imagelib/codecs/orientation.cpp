// imagelib/codecs/orientation.cpp
#include "imagelib/codecs/orientation.h"

#include "imagelib/core/image.h"

#include <cstring>

namespace {

bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// The stored pixel (sx, sy) shown at (dx, dy), both counted from the top
// left, for a stored picture of w x h.
void sourceOf(int orientation, std::uint32_t w, std::uint32_t h, std::uint32_t dx, std::uint32_t dy,
              std::uint32_t &sx, std::uint32_t &sy)
{
    switch (orientation) {
    case 2: sx = w - 1 - dx, sy = dy; break;
    case 3: sx = w - 1 - dx, sy = h - 1 - dy; break;
    case 4: sx = dx, sy = h - 1 - dy; break;
    case 5: sx = dy, sy = dx; break;
    case 6: sx = dy, sy = h - 1 - dx; break;
    case 7: sx = w - 1 - dy, sy = h - 1 - dx; break;
    case 8: sx = w - 1 - dy, sy = dx; break;
    default: sx = dx, sy = dy; break;
    }
}

} // namespace

bool zvOrientUpright(ZvImage &image, int orientation)
{
    if (orientation < 2 || orientation > 8 || !image.IsValid() || image.GetBpp() != 24)
        return true;
    const std::uint32_t w = image.GetWidth(), h = image.GetHeight();
    const std::uint32_t ow = swapsSides(orientation) ? h : w;
    const std::uint32_t oh = swapsSides(orientation) ? w : h;
    ZvImage out;
    out.CopyInfo(image);
    if (!out.Create(ow, oh, 24, image.GetType()))
        return false;
    const bool alpha = image.AlphaIsValid();
    if (alpha && !out.AlphaCreate())
        return false;
    for (std::uint32_t dy = 0; dy < oh; ++dy) {
        // DIB rows are stored bottom-up.
        std::uint8_t *dst = out.GetBits(oh - 1 - dy);
        std::uint8_t *dstAlpha = alpha ? out.AlphaGetPointer(0, std::int32_t(oh - 1 - dy)) : nullptr;
        for (std::uint32_t dx = 0; dx < ow; ++dx) {
            std::uint32_t sx = 0, sy = 0;
            sourceOf(orientation, w, h, dx, dy, sx, sy);
            std::memcpy(dst + 3 * dx, image.GetBits(h - 1 - sy) + 3 * sx, 3);
            if (dstAlpha)
                dstAlpha[dx] = image.AlphaGet(std::int32_t(sx), std::int32_t(h - 1 - sy));
        }
    }
    return image.Transfer(out);
}

int zvOrientationOfTransforms(int angle, int mirrorMode)
{
    // Rows: the anticlockwise turn; columns: no mirror, top-bottom, left-right.
    static const int kTable[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    const int column = mirrorMode == 0 ? 1 : (mirrorMode == 1 ? 2 : 0);
    return kTable[angle & 3][column];
}
