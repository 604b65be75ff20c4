// export/export_codec_settings.h
#pragma once

#include <cstdint>

class ProfileStore;
class ZvImage;

// The settings of the lossy formats beyond JPEG, kept in the export
// options' section under keys of their own. A key is written only when its
// value differs from the default or the profile already holds it, so a
// profile from before these formats stays as it was.
struct ExportCodecSettings
{
    int WebpQuality = 90; // 0..100
    bool WebpLossless = false;
    int AvifQuality = 70; // 0..100
    int AvifSpeed = 6;    // 0 slowest, best .. 10 fastest
    int JxlQuality = 90;  // 0..100, coded as a distance (ZvImageJXL::DistanceOfQuality)
    bool JxlLossless = false;

    bool operator==(const ExportCodecSettings &) const = default;

    // In the section of the export options (kExportSection).
    void Load(const ProfileStore &profile, const char *section);
    // False when the profile could not be written.
    bool Save(ProfileStore &profile, const char *section) const;

    // Quality and codec option for an encoder of the type; other types are
    // left as they are. Values out of range are clamped.
    void ApplyTo(ZvImage &picture, std::uint32_t type) const;
};
