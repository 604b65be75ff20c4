// export/export_options.h
#pragma once

#include "export/export_codec_settings.h"
#include "imagelib/core/image_type.h"

#include <string>

class ProfileStore;

// One row of the output format list.
struct ExportFormat
{
    const char *listText;  // as the format list shows it
    const char *extension; // with the dot; empty for "Original Format"
    ImageType type;        // ZV_TYPE_UNKNOWN: the source's own type
    const char *examplePattern;
};

constexpr int kExportFormatCount = 11;
constexpr int kFormatOriginal = 0;
constexpr int kFormatJpeg = 1;
constexpr int kFormatWebp = 8;
constexpr int kFormatAvif = 9;
constexpr int kFormatJxl = 10;
// The format table, indexed by ExportOptions::Format.
const ExportFormat &exportFormat(int index);

// Where pictures are written; stored as "SaveFolder" ("-1" for PictureFolder).
enum class ExportFolderMode {
    PictureFolder = 0, // each picture's own folder
    OutputFolder = 1,  // ExportOptions::OutputFolder
};
// How outputs are named; stored as "SavePrifix" ("-1" or empty for Keep).
enum class ExportNameMode {
    Keep = 0,    // the source's own name with the output's extension
    Counter = 1, // Prefix + four-digit counter
};

// The choices that govern one batch export, with their stored form in the
// "Export Option" section of the profile.
struct ExportOptions
{
    ExportFolderMode FolderMode = ExportFolderMode::OutputFolder;
    std::string OutputFolder;
    ExportNameMode NameMode = ExportNameMode::Keep;
    std::string Prefix = "Photo";
    int Format = 0; // index into the format table
    int JpegQuality = 90;
    int XResolution = 72;
    int YResolution = 72;
    bool ResizeImage = false;
    std::string ResizeWidth = "800"; // as typed
    std::string ResizeHeight = "600";
    int Unit = 0; // 0 pixels, 1 percent
    bool AllowStretch = true;
    bool AspectRatio = false;
    bool RestrictWidth = true;   // with AspectRatio: the height entry governs
    bool RestrictHeight = false; // with AspectRatio: the width entry governs
    int Quality = 1;             // 0 low (nearest), 1 middle, 2 high (bicubic)
    // Photo information (EXIF, XMP, colour profile) carried into JPEG, PNG,
    // TIFF, WebP, AVIF and JPEG XL outputs; key "KeepPhotoInfo", written only when on or when
    // the profile already holds it, so an old profile stays as it was.
    bool KeepPhotoInfo = false;
    // With KeepPhotoInfo: false converts a picture with a colour space of its
    // own to sRGB and writes sRGB's profile; true keeps its profile and its
    // pixels, and the caption's colours are converted into its space. Without
    // KeepPhotoInfo every picture is written as plain sRGB. Key "KeepColourSpace",
    // written only when on or when the profile already holds it.
    bool KeepColourSpace = false;
    // Quality settings of WebP, AVIF and JPEG XL, under keys of their own.
    ExportCodecSettings Codec;
    // Pictures are turned upright as the camera held them (their EXIF or
    // TIFF orientation) before the user's own turn; key "AutoOrient",
    // written only when off or when the profile already holds it, so an old
    // profile reads as on.
    bool AutoOrient = true;

    bool operator==(const ExportOptions &) const = default;

    void Load(const ProfileStore &profile);
    // Writes all fifteen keys, in their fixed order, then KeepPhotoInfo and
    // KeepColourSpace as above, the codec settings' keys and AutoOrient. False when the
    // profile could not be written.
    bool Save(ProfileStore &profile) const;

    // The message of the first failing check, or "" when a run may start.
    std::string Validate(int selectedCount) const;
    // "Example:Photo0001.JPG,Photo0002.JPG,Photo0003.JPG,..." for the format shown.
    std::string ExampleText() const;
    // Outputs go to OutputFolder under counter names (the only mode with counters).
    bool countsNames() const
    {
        return FolderMode == ExportFolderMode::OutputFolder && NameMode == ExportNameMode::Counter;
    }
    // The resample mode for Quality: low -> 1, middle -> 0, high -> 2.
    int ResampleMode() const;
};

extern const char kExportSection[];
extern const char kKeepPhotoInfoKey[];
extern const char kAutoOrientKey[];
extern const char kKeepColourSpaceKey[];
