// imagelib/geometry/orientation.cpp
#include "imagelib/geometry/orientation.h"

#include "imagelib/core/image.h"
#include "imagelib/geometry/geometry_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Orientation as "mirror first (left-right), then turn clockwise quarters".
struct Steps
{
    bool mirror;
    int quarters; // 0..3, clockwise
};

// Indexed by orientation; entry 0 stands for "none".
constexpr Steps kSteps[9] = {
    {false, 0}, {false, 0}, {true, 0}, {false, 2}, {true, 2}, {true, 3}, {false, 1}, {true, 1}, {false, 3},
};

Steps stepsOf(int orientation)
{
    return orientation >= 1 && orientation <= 8 ? kSteps[orientation] : kSteps[0];
}

int orientationOf(Steps steps)
{
    for (int o = 1; o <= 8; ++o) {
        if (kSteps[o].mirror == steps.mirror && kSteps[o].quarters == steps.quarters)
            return o;
    }
    return 1;
}

template <std::size_t N> void mirrorRowBytes(std::uint8_t *row, std::int32_t width)
{
    std::uint8_t *left = row;
    std::uint8_t *right = row + std::size_t(width - 1) * N;
    for (; left < right; left += N, right -= N) {
        std::uint8_t tmp[N];
        std::memcpy(tmp, left, N);
        std::memcpy(left, right, N);
        std::memcpy(right, tmp, N);
    }
}

// 1- and 4-bit rows: the indices are read out and ORed back reversed into
// the cleared row, whose padding bits stay 0.
void mirrorRowIndices(std::uint8_t *row, const ZvRowView &view, std::vector<std::uint8_t> &indices)
{
    for (std::int32_t x = 0; x < view.width; ++x)
        indices[std::size_t(x)] = zvRowIndex(row, x, view.bpp);
    std::memset(row, 0, (std::size_t(view.width) * view.bpp + 7) / 8);
    for (std::int32_t x = 0; x < view.width; ++x)
        zvRowOrIndex(row, view.width - 1 - x, view.bpp, indices[std::size_t(x)]);
}

void mirrorInPlace(ZvImage &image)
{
    const ZvRowView view = ZvRowView::of(image);
    if (view.width < 2)
        return;
    std::vector<std::uint8_t> indices(view.bpp < 8 ? std::size_t(view.width) : 0);
    for (std::int32_t y = 0; y < view.height; ++y) {
        if (view.bpp == 24)
            mirrorRowBytes<3>(view.row(y), view.width);
        else if (view.bpp == 8)
            mirrorRowBytes<1>(view.row(y), view.width);
        else
            mirrorRowIndices(view.row(y), view, indices);
    }
    if (image.AlphaIsValid()) {
        const ZvRowView alpha = ZvRowView::alphaOf(image);
        for (std::int32_t y = 0; y < alpha.height; ++y)
            std::reverse(alpha.row(y), alpha.row(y) + alpha.width);
    }
}

void swapRows(const ZvRowView &view, std::size_t rowBytes)
{
    std::vector<std::uint8_t> tmp(rowBytes);
    for (std::int32_t y = 0, z = view.height - 1; y < z; ++y, --z) {
        std::memcpy(tmp.data(), view.row(y), rowBytes);
        std::memcpy(view.row(y), view.row(z), rowBytes);
        std::memcpy(view.row(z), tmp.data(), rowBytes);
    }
}

void flipInPlace(ZvImage &image)
{
    const ZvRowView view = ZvRowView::of(image);
    swapRows(view, view.stride);
    if (image.AlphaIsValid())
        swapRows(ZvRowView::alphaOf(image), image.GetWidth());
}

} // namespace

bool zvOrientationSwapsSides(int orientation)
{
    return stepsOf(orientation).quarters % 2 == 1;
}

int zvOrientationOfTransforms(int angle, int mirrorMode)
{
    // Rows: the anticlockwise turn; columns: no mirror, top-bottom, left-right.
    static const int kTable[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    const int column = mirrorMode == 0 ? 1 : (mirrorMode == 1 ? 2 : 0);
    return kTable[angle & 3][column];
}

int zvOrientationWithTurn(int orientation, int degrees)
{
    Steps steps = stepsOf(orientation);
    const int extra = degrees == 90 ? 1 : degrees == 180 ? 2 : degrees == -90 ? 3 : 0;
    steps.quarters = (steps.quarters + extra) % 4;
    return orientationOf(steps);
}

// The turn comes first so that a failed allocation leaves the picture as it
// was: mirroring in place cannot fail. Mirroring the turned picture top to
// bottom (for odd quarters) or left to right (for even ones) equals
// mirroring the stored one left to right before the turn.
bool zvTurnUpright(ZvImage &image, int orientation)
{
    if (!image.IsValid())
        return false;
    const Steps steps = stepsOf(orientation);
    if (steps.mirror || steps.quarters != 0)
        image.SelectionDelete();
    bool ok = true;
    if (steps.quarters == 1)
        ok = image.RotateRight();
    else if (steps.quarters == 2)
        ok = image.Rotate180();
    else if (steps.quarters == 3)
        ok = image.RotateLeft();
    if (!ok)
        return false;
    if (steps.mirror && steps.quarters % 2 == 1)
        flipInPlace(image);
    else if (steps.mirror)
        mirrorInPlace(image);
    image.SetOrientation(1);
    return true;
}
