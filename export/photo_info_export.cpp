// export/photo_info_export.cpp
#include "export/photo_info_export.h"

#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/core/image.h"
#include "imagelib/core/photo_info.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int kMaxDensity = 65535; // what the JPEG writer's density fields hold

bool carriesExif(std::uint32_t type)
{
    return type == ZV_TYPE_JPG || type == ZV_TYPE_WEBP || type == ZV_TYPE_AVIF || type == ZV_TYPE_JXL;
}

// The density the JPEG writer stores for a resolution.
std::uint32_t jpegDensity(std::int32_t dpi)
{
    return std::uint32_t(std::clamp(dpi, 1, kMaxDensity));
}

void fitExif(const ZvPhotoInfo &kept, const ZvImage &picture, bool turned, ZvPhotoInfo &out,
             std::vector<std::string> &notes)
{
    if (kept.exif.empty())
        return;
    ZvExifEditor editor;
    if (!editor.Parse(kept.exif.data(), kept.exif.size())) {
        notes.push_back("saved without its EXIF information: damaged EXIF block (" + editor.Problem() + ")");
        return;
    }
    if (turned)
        editor.SetOrientationUpright();
    editor.SetPixelSize(picture.GetWidth(), picture.GetHeight());
    editor.DropThumbnail();
    editor.SetResolution(jpegDensity(picture.GetXDPI()), jpegDensity(picture.GetYDPI()));
    if (!editor.Result(out.exif))
        notes.push_back("saved without its EXIF information: " + editor.Problem());
}

// Grey pictures go out as grey JPEG and TIFF files; PNG writes them with a palette.
bool writtenGrey(const ZvImage &picture, std::uint32_t type)
{
    return type != ZV_TYPE_PNG && picture.IsIndexed() && picture.IsGrayScale();
}

void fitProfile(const ZvPhotoInfo &kept, const ZvImage &picture, std::uint32_t type, ZvPhotoInfo &out,
                std::vector<std::string> &notes)
{
    if (kept.icc.empty())
        return;
    std::string space = zvIccColourSpace(kept.icc);
    const std::string wanted = writtenGrey(picture, type) ? "GRAY" : "RGB";
    while (!space.empty() && space.back() == ' ')
        space.pop_back();
    if (space.empty())
        notes.push_back("saved without its colour profile: damaged profile");
    else if (space != wanted)
        notes.push_back("saved without its colour profile: its colour space " + space + " does not fit " +
                        (wanted == "GRAY" ? "a grey" : "a colour") + " picture");
    else
        out.icc = kept.icc;
}

} // namespace

bool outputCarriesProfile(std::uint32_t type)
{
    return carriesExif(type) || type == ZV_TYPE_PNG || type == ZV_TYPE_TIF;
}

std::vector<std::string> fitPhotoInfo(ZvImage &picture, std::uint32_t outputType, bool turned)
{
    std::vector<std::string> notes;
    if (!picture.GetKeepPhotoInfo())
        return notes;
    const ZvPhotoInfo *kept = picture.GetPhotoInfo();
    if (!kept || !outputCarriesProfile(outputType)) {
        picture.SetPhotoInfo(nullptr);
        return notes;
    }
    auto fitted = std::make_shared<ZvPhotoInfo>();
    if (carriesExif(outputType)) {
        fitExif(*kept, picture, turned, *fitted, notes);
        fitted->xmp = kept->xmp;
        if (turned && !fitted->xmp.empty())
            xmpSetOrientationUpright(fitted->xmp.front());
    }
    fitProfile(*kept, picture, outputType, *fitted, notes);
    picture.SetPhotoInfo(fitted->IsEmpty() ? nullptr : std::move(fitted));
    return notes;
}

void xmpSetOrientationUpright(std::vector<std::uint8_t> &packet)
{
    static const char kName[] = "tiff:Orientation";
    const std::size_t nameLength = sizeof kName - 1;
    auto at = packet.begin();
    while ((at = std::search(at, packet.end(), kName, kName + nameLength)) != packet.end()) {
        at += std::ptrdiff_t(nameLength);
        // ="6" or '6' as an attribute, >6< as an element; blanks around the = are allowed.
        auto p = at;
        while (p != packet.end() && (*p == ' ' || *p == '=' || *p == '"' || *p == '\'' || *p == '>'))
            ++p;
        if (p != packet.end() && *p >= '1' && *p <= '8' && p != at &&
            (p + 1 == packet.end() || *(p + 1) == '"' || *(p + 1) == '\'' || *(p + 1) == '<'))
            *p = '1';
    }
}
