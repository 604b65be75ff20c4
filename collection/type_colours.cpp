// collection/type_colours.cpp
#include "collection/type_colours.h"

namespace {

struct TypeColourEntry
{
    const char *extension;
    int r, g, b;
};

// TypeColourTable
constexpr TypeColourEntry kTypeColourTable[] = {
    {".awd", 255, 255, 255},
    {".bmp", 231, 231, 255},
    {".dcx", 255, 255, 255},
    {".dib", 231, 231, 255},
    {".eps", 255, 255, 255},
    {".gif", 214, 235, 214},
    {".ico", 255, 255, 255},
    {".jpg", 239, 235, 206},
    {".png", 231, 223, 214},
    {".jpe", 239, 235, 206},
    {".jif", 239, 235, 206},
    {".jpeg", 239, 235, 206},
    {".mac", 255, 255, 255},
    {".pcd", 255, 255, 255},
    {".pcx", 239, 231, 231},
    {".pct", 255, 255, 255},
    {".pic", 255, 255, 255},
    {".iff", 255, 235, 239},
    {".ppm", 255, 255, 255},
    {".psd", 255, 255, 222},
    {".ras", 255, 255, 255},
    {".rle", 255, 255, 255},
    {".tga", 231, 255, 255},
    {".tif", 189, 203, 231},
    {".tiff", 189, 203, 231},
    {".emf", 214, 211, 214},
    {".wmf", 181, 182, 181},
    // Today's formats, each in a tint of its own.
    {".webp", 206, 239, 231},
    {".avif", 247, 222, 239},
    {".jxl", 255, 231, 198},
    // Phones (HEIF) and cameras (RAW) (HEIF) and cameras (RAW), each family in one colour.
    {".heic", 206, 231, 239},
    {".heif", 206, 231, 239},
    {".hif", 206, 231, 239},
    {".dng", 239, 222, 198},
    {".cr2", 239, 222, 198},
    {".cr3", 239, 222, 198},
    {".nef", 239, 222, 198},
    {".arw", 239, 222, 198},
    {".raf", 239, 222, 198},
    {".orf", 239, 222, 198},
    {".rw2", 239, 222, 198},
    {".pef", 239, 222, 198},
};

} // namespace

QColor TypeColour(const QString &extension)
{
    for (const TypeColourEntry &entry : kTypeColourTable) {
        if (extension.compare(QLatin1String(entry.extension), Qt::CaseInsensitive) == 0)
            return QColor(entry.r, entry.g, entry.b);
    }
    return QColor(255, 255, 255);
}
