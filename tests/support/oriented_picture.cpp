// tests/support/oriented_picture.cpp
#include "tests/support/oriented_picture.h"

#include "imagelib/core/photo_info.h"
#include "tests/support/tiff_builder.h"

#include <memory>

ZvImage makeMarkedPicture(int width, int height)
{
    ZvImage picture(std::uint32_t(width), std::uint32_t(height), 24, ZV_TYPE_BMP);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool mark = x < width / 4 && y < height / 4; // y counted from the top
            picture.SetPixelColor(x, height - 1 - y, mark ? RGB(255, 0, 0) : RGB(255, 255, 255));
        }
    }
    return picture;
}

bool writeOrientedJpeg(const std::string &path, int width, int height, int orientation)
{
    ZvImage picture = makeMarkedPicture(width, height);
    if (orientation != 0) {
        TiffBuilder exif(false);
        exif.Directory({{0x0112, 3, 1, std::uint32_t(orientation)}});
        auto info = std::make_shared<ZvPhotoInfo>();
        info->exif = exif.Payload();
        picture.SetPhotoInfo(std::move(info));
        picture.SetKeepPhotoInfo(true);
    }
    picture.SetJpegQuality(95);
    return picture.Save(path.c_str(), ZV_TYPE_JPG);
}

namespace {

bool redAt(const Rgb8 &picture, int x, int y)
{
    const std::size_t at = (std::size_t(y) * std::size_t(picture.width) + std::size_t(x)) * 3;
    return picture.rgb[at] > 180 && picture.rgb[at + 1] < 90 && picture.rgb[at + 2] < 90;
}

} // namespace

std::string markedCorner(const Rgb8 &picture)
{
    if (picture.width < 8 || picture.height < 8)
        return {};
    const int left = picture.width / 16, right = picture.width - 1 - picture.width / 16;
    const int top = picture.height / 16, bottom = picture.height - 1 - picture.height / 16;
    const struct
    {
        int x, y;
        const char *name;
    } corners[] = {
        {left, top, "top-left"},
        {right, top, "top-right"},
        {right, bottom, "bottom-right"},
        {left, bottom, "bottom-left"},
    };
    std::string found;
    for (const auto &c : corners) {
        if (!redAt(picture, c.x, c.y))
            continue;
        if (!found.empty())
            return {};
        found = c.name;
    }
    return found;
}

std::string uprightCorner(int orientation)
{
    static const char *const kCorners[] = {"top-left",     "top-left",     "top-right",
                                           "bottom-right", "bottom-left",  "top-left",
                                           "top-right",    "bottom-right", "bottom-left"};
    return orientation >= 1 && orientation <= 8 ? kCorners[orientation] : kCorners[0];
}
