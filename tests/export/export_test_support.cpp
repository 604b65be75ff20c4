// tests/export/export_test_support.cpp
#include "tests/export/export_test_support.h"

#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <filesystem>

ExportRow rowFor(const std::string &path, int rotation)
{
    return {std::filesystem::path(path).filename().string(), path, rotation};
}

std::string freshFolder(const std::string &name)
{
    const std::string dir = scratchDir() + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string writePicture(const std::string &path, int width, int height, ImageType type)
{
    ZvImage picture = makePattern24(width, height);
    if (!picture.Save(path.c_str(), type))
        return {};
    return path;
}

ZvImage solidPicture(int width, int height, COLORREF colour)
{
    ZvImage picture(std::uint32_t(width), std::uint32_t(height), 24, ZV_TYPE_BMP);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.SetPixelColor(x, y, colour);
    }
    return picture;
}

COLORREF colourAt(const ZvImage &picture, int x, int y)
{
    const RGBQUAD c = picture.GetPixelColor(x, int(picture.GetHeight()) - 1 - y, false);
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}
