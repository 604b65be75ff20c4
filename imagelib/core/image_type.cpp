// imagelib/core/image_type.cpp
#include "imagelib/core/image_type.h"

#include <cctype>
#include <string>

ImageType ImageTypeFromName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return ZV_TYPE_UNKNOWN;
    std::string ext(name.substr(dot + 1));
    for (char &c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));

    struct Entry
    {
        const char *ext;
        ImageType type;
    };
    static const Entry kTable[] = {
        {"bmp", ZV_TYPE_BMP},    {"jpg", ZV_TYPE_JPG}, {"jpeg", ZV_TYPE_JPG},  {"jpe", ZV_TYPE_JPG},
        {"gif", ZV_TYPE_GIF},    {"png", ZV_TYPE_PNG}, {"ico", ZV_TYPE_ICO},   {"tiff", ZV_TYPE_TIF},
        {"tif", ZV_TYPE_TIF},    {"tga", ZV_TYPE_TGA}, {"pcx", ZV_TYPE_PCX},   {"wbmp", ZV_TYPE_WBMP},
        {"wmf", ZV_TYPE_WMF},    {"emf", ZV_TYPE_WMF}, {"webp", ZV_TYPE_WEBP}, {"avif", ZV_TYPE_AVIF},
        {"avifs", ZV_TYPE_AVIF}, {"jxl", ZV_TYPE_JXL}, {"heic", ZV_TYPE_HEIF}, {"heif", ZV_TYPE_HEIF},
        {"hif", ZV_TYPE_HEIF},   {"dng", ZV_TYPE_RAW}, {"cr2", ZV_TYPE_RAW},   {"cr3", ZV_TYPE_RAW},
        {"nef", ZV_TYPE_RAW},    {"arw", ZV_TYPE_RAW}, {"raf", ZV_TYPE_RAW},   {"orf", ZV_TYPE_RAW},
        {"rw2", ZV_TYPE_RAW},    {"pef", ZV_TYPE_RAW},
    };
    for (const Entry &e : kTable) {
        if (ext == e.ext)
            return e.type;
    }
    return ZV_TYPE_UNKNOWN;
}
