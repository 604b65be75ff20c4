// imagelib/codecs/raw/raw_pixels.cpp
#include "imagelib/codecs/raw/raw_pixels.h"

#include "imagelib/core/image.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

// Where output pixel (row, col), top-down, comes from in the stored picture.
struct FlipMap
{
    int flip = 0;
    int storedWidth = 0;
    int storedHeight = 0;

    std::size_t source(int row, int col) const
    {
        if (flip & 4)
            std::swap(row, col);
        if (flip & 2)
            row = storedHeight - 1 - row;
        if (flip & 1)
            col = storedWidth - 1 - col;
        return std::size_t(row) * std::size_t(storedWidth) + std::size_t(col);
    }
};

std::uint8_t to8(std::uint16_t v)
{
    return std::uint8_t((std::uint32_t(v) * 255 + 32767) / 65535);
}

} // namespace

bool rawCopyPlane(const RawPlane &plane, int flip, ZvImage &picture)
{
    const bool turn = (flip & 4) != 0;
    const int outWidth = turn ? plane.height : plane.width;
    const int outHeight = turn ? plane.width : plane.height;
    if (!picture.Create(std::uint32_t(outWidth), std::uint32_t(outHeight), 24, ZV_TYPE_RAW))
        return false;
    const FlipMap map{flip, plane.width, plane.height};
    const int n = plane.colors;
    for (int row = 0; row < outHeight; ++row) {
        std::uint8_t *dst = picture.GetBits(std::uint32_t(outHeight - 1 - row));
        for (int col = 0; col < outWidth; ++col, dst += 3) {
            const std::size_t at = map.source(row, col) * std::size_t(n);
            std::uint8_t rgb[3];
            for (int c = 0; c < 3; ++c) {
                const std::size_t i = at + std::size_t(n == 3 ? c : 0);
                if (plane.bits == 16) {
                    std::uint16_t v;
                    std::memcpy(&v, plane.data + 2 * i, 2);
                    rgb[c] = to8(v);
                } else {
                    rgb[c] = plane.data[i];
                }
            }
            dst[0] = rgb[2];
            dst[1] = rgb[1];
            dst[2] = rgb[0];
        }
    }
    return true;
}

bool rawCopyTurned(const ZvImage &source, int flip, ZvImage &target)
{
    const int width = int(source.GetWidth()), height = int(source.GetHeight());
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    for (int row = 0; row < height; ++row) {
        std::uint8_t *out = rgb.data() + std::size_t(row) * std::size_t(width) * 3;
        const std::int32_t y = height - 1 - row;
        if (source.GetBpp() == 24) {
            const std::uint8_t *src = source.GetBits(std::uint32_t(y));
            for (int x = 0; x < width; ++x, out += 3, src += 3) {
                out[0] = src[2];
                out[1] = src[1];
                out[2] = src[0];
            }
        } else {
            for (int x = 0; x < width; ++x, out += 3) {
                const RGBQUAD c = source.GetPixelColor(x, y, false);
                out[0] = c.rgbRed;
                out[1] = c.rgbGreen;
                out[2] = c.rgbBlue;
            }
        }
    }
    return rawCopyPlane(RawPlane{rgb.data(), width, height, 3, 8}, flip & 7, target);
}
