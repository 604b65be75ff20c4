// export/export_options.cpp
#include "export/export_options.h"

#include "platform/profile_store.h"

#include <cstdio>

const char kExportSection[] = "Export Option";
const char kKeepPhotoInfoKey[] = "KeepPhotoInfo";
const char kAutoOrientKey[] = "AutoOrient";
const char kKeepColourSpaceKey[] = "KeepColourSpace";

namespace {

const ExportFormat kFormats[kExportFormatCount] = {
    {"Original Format", "", ZV_TYPE_UNKNOWN, "Example:%s0001.###,%s0002.###,%s0003.###,..."},
    {"JPEG(.JPG)", ".JPG", ZV_TYPE_JPG, "Example:%s0001.JPG,%s0002.JPG,%s0003.JPG,..."},
    {"CompuServe GIF(.GIF)", ".GIF", ZV_TYPE_GIF, "Example:%s0001.GIF,%s0002.GIF,%s0003.GIF,..."},
    {"Windows Bitmap(.BMP)", ".BMP", ZV_TYPE_BMP, "Example:%s0001.BMP,%s0002.BMP,%s0003.BMP,..."},
    {"TIFF(Tagged Image File Format)", ".TIF", ZV_TYPE_TIF, "Example:%s0001.TIF,%s0002.TIF,%s0003.TIF,..."},
    {"Portable Network Graphics(.PNG)", ".PNG", ZV_TYPE_PNG, "Example:%s0001.PNG,%s0002.PNG,%s0003.PNG,..."},
    {"PCX(.PCX)", ".PCX", ZV_TYPE_PCX, "Example:%s0001.PCX,%s0002.PCX,%s0003.PCX,..."},
    {"Targa TGA(.TGA)", ".TGA", ZV_TYPE_TGA, "Example:%s0001.TGA,%s0002.TGA,%s0003.TGA,..."},
    {"WebP(.WEBP)", ".WEBP", ZV_TYPE_WEBP, "Example:%s0001.WEBP,%s0002.WEBP,%s0003.WEBP,..."},
    {"AVIF(.AVIF)", ".AVIF", ZV_TYPE_AVIF, "Example:%s0001.AVIF,%s0002.AVIF,%s0003.AVIF,..."},
    {"JPEG XL(.JXL)", ".JXL", ZV_TYPE_JXL, "Example:%s0001.JXL,%s0002.JXL,%s0003.JXL,..."},
};

int readInt(const ProfileStore &p, const char *key, int absent)
{
    const std::string v = p.GetProfileString(kExportSection, key);
    return v.empty() ? absent : profileAtoi(v);
}

bool readBool(const ProfileStore &p, const char *key, bool absent)
{
    const std::string v = p.GetProfileString(kExportSection, key);
    return v.empty() ? absent : profileAtoi(v) != 0;
}

std::string readText(const ProfileStore &p, const char *key, const char *absent)
{
    const std::string v = p.GetProfileString(kExportSection, key);
    return v.empty() ? absent : v;
}

} // namespace

const ExportFormat &exportFormat(int index)
{
    // A stored index outside the table behaves as "Original Format".
    if (index < 0 || index >= kExportFormatCount)
        index = kFormatOriginal;
    return kFormats[index];
}

void ExportOptions::Load(const ProfileStore &p)
{
    const std::string folder = p.GetProfileString(kExportSection, "SaveFolder");
    FolderMode = folder == "-1" ? ExportFolderMode::PictureFolder : ExportFolderMode::OutputFolder;
    OutputFolder = folder == "-1" ? std::string() : folder;

    const std::string prefix = p.GetProfileString(kExportSection, "SavePrifix");
    NameMode = (prefix.empty() || prefix == "-1") ? ExportNameMode::Keep : ExportNameMode::Counter;
    Prefix = NameMode == ExportNameMode::Counter ? prefix : "Photo";

    Format = readInt(p, "SaveFormat", 0);
    JpegQuality = readInt(p, "JpegQuality", 90);
    XResolution = readInt(p, "XResolution", 72);
    YResolution = readInt(p, "YResolution", 72);
    ResizeImage = p.GetProfileString(kExportSection, "ResizeImage") == "1";
    ResizeWidth = readText(p, "ResizeWidth", "800");
    ResizeHeight = readText(p, "ResizeHeight", "600");
    Unit = readInt(p, "Unit", 0);
    AllowStretch = readBool(p, "AllowStretch", true);
    AspectRatio = readBool(p, "AspectRatio", false);
    RestrictWidth = readBool(p, "RestrictWidth", true);
    RestrictHeight = readBool(p, "RestrictHeight", false);
    Quality = readInt(p, "Quality", 1);
    KeepPhotoInfo = readBool(p, kKeepPhotoInfoKey, false);
    KeepColourSpace = readBool(p, kKeepColourSpaceKey, false);
    Codec.Load(p, kExportSection);
    AutoOrient = readBool(p, kAutoOrientKey, true);
}

bool ExportOptions::Save(ProfileStore &p) const
{
    auto text = [&](const char *key, const std::string &value) {
        return p.WriteProfileString(kExportSection, key, value);
    };
    auto number = [&](const char *key, int value) { return text(key, std::to_string(value)); };
    auto flag = [&](const char *key, bool value) { return text(key, value ? "1" : "0"); };

    bool ok = text("SaveFolder", FolderMode == ExportFolderMode::OutputFolder ? OutputFolder : "-1");
    ok &= text("SavePrifix", NameMode == ExportNameMode::Counter ? Prefix : "-1");
    ok &= number("SaveFormat", Format);
    ok &= number("JpegQuality", JpegQuality);
    ok &= number("XResolution", XResolution);
    ok &= number("YResolution", YResolution);
    ok &= flag("ResizeImage", ResizeImage);
    ok &= text("ResizeWidth", ResizeWidth);
    ok &= text("ResizeHeight", ResizeHeight);
    ok &= number("Unit", Unit);
    ok &= flag("AllowStretch", AllowStretch);
    ok &= flag("AspectRatio", AspectRatio);
    ok &= flag("RestrictWidth", RestrictWidth);
    ok &= flag("RestrictHeight", RestrictHeight);
    ok &= number("Quality", Quality);
    if (KeepPhotoInfo || !p.GetProfileString(kExportSection, kKeepPhotoInfoKey).empty())
        ok &= flag(kKeepPhotoInfoKey, KeepPhotoInfo);
    if (KeepColourSpace || !p.GetProfileString(kExportSection, kKeepColourSpaceKey).empty())
        ok &= flag(kKeepColourSpaceKey, KeepColourSpace);
    ok &= Codec.Save(p, kExportSection);
    if (!AutoOrient || !p.GetProfileString(kExportSection, kAutoOrientKey).empty())
        ok &= flag(kAutoOrientKey, AutoOrient);
    return ok;
}

std::string ExportOptions::Validate(int selectedCount) const
{
    if (FolderMode == ExportFolderMode::OutputFolder && OutputFolder.empty())
        return "You must specify output folder!";
    if (NameMode == ExportNameMode::Counter && Prefix.empty())
        return "You must specify filename prefix!";
    // A "/" would put every picture under one name in a sub-folder.
    if (NameMode == ExportNameMode::Counter && Prefix.find('/') != std::string::npos)
        return "Invalid filename prefix [" + Prefix + "]: it cannot contain \"/\"!";
    if (selectedCount <= 0)
        return "You must select image file at first!";
    return {};
}

std::string ExportOptions::ExampleText() const
{
    const char *pattern = exportFormat(Format).examplePattern;
    const int n = std::snprintf(nullptr, 0, pattern, Prefix.c_str(), Prefix.c_str(), Prefix.c_str());
    std::string out(std::size_t(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, Prefix.c_str(), Prefix.c_str(), Prefix.c_str());
    out.resize(std::size_t(n));
    return out;
}

int ExportOptions::ResampleMode() const
{
    switch (Quality) {
    case 0: return 1;
    case 2: return 2;
    default: return 0;
    }
}
