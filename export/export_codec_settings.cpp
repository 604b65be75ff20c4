// export/export_codec_settings.cpp
#include "export/export_codec_settings.h"

#include "imagelib/codecs/avif/codec_avif.h"
#include "imagelib/codecs/jxl/codec_jxl.h"
#include "imagelib/codecs/webp/codec_webp.h"
#include "platform/profile_store.h"

#include <algorithm>
#include <string>

namespace {

struct IntKey
{
    const char *key;
    int ExportCodecSettings::*member;
};
struct BoolKey
{
    const char *key;
    bool ExportCodecSettings::*member;
};

constexpr IntKey kIntKeys[] = {
    {"WebpQuality", &ExportCodecSettings::WebpQuality},
    {"AvifQuality", &ExportCodecSettings::AvifQuality},
    {"AvifSpeed", &ExportCodecSettings::AvifSpeed},
    {"JxlQuality", &ExportCodecSettings::JxlQuality},
};
constexpr BoolKey kBoolKeys[] = {
    {"WebpLossless", &ExportCodecSettings::WebpLossless},
    {"JxlLossless", &ExportCodecSettings::JxlLossless},
};

std::uint8_t quality(int value)
{
    return std::uint8_t(std::clamp(value, 0, 100));
}

} // namespace

void ExportCodecSettings::Load(const ProfileStore &p, const char *section)
{
    const ExportCodecSettings defaults;
    for (const IntKey &k : kIntKeys) {
        const std::string v = p.GetProfileString(section, k.key);
        this->*k.member = v.empty() ? defaults.*k.member : profileAtoi(v);
    }
    for (const BoolKey &k : kBoolKeys) {
        const std::string v = p.GetProfileString(section, k.key);
        this->*k.member = v.empty() ? defaults.*k.member : profileAtoi(v) != 0;
    }
}

bool ExportCodecSettings::Save(ProfileStore &p, const char *section) const
{
    const ExportCodecSettings defaults;
    auto wanted = [&](const char *key, bool differs) {
        return differs || !p.GetProfileString(section, key).empty();
    };
    bool ok = true;
    for (const IntKey &k : kIntKeys) {
        if (wanted(k.key, this->*k.member != defaults.*k.member))
            ok &= p.WriteProfileString(section, k.key, std::to_string(this->*k.member));
    }
    for (const BoolKey &k : kBoolKeys) {
        if (wanted(k.key, this->*k.member != defaults.*k.member))
            ok &= p.WriteProfileString(section, k.key, this->*k.member ? "1" : "0");
    }
    return ok;
}

void ExportCodecSettings::ApplyTo(ZvImage &picture, std::uint32_t type) const
{
    switch (type) {
    case ZV_TYPE_WEBP:
        picture.SetJpegQuality(quality(WebpQuality));
        picture.SetCodecOption(WebpLossless ? ZvImageWEBP::kLossless : 0);
        break;
    case ZV_TYPE_AVIF:
        picture.SetJpegQuality(quality(AvifQuality));
        picture.SetCodecOption(ZvImageAVIF::kSpeedSet | std::uint32_t(std::clamp(AvifSpeed, 0, 10)));
        break;
    case ZV_TYPE_JXL:
        picture.SetJpegQuality(quality(JxlQuality));
        picture.SetCodecOption(JxlLossless ? ZvImageJXL::kLossless : 0);
        break;
    default: break;
    }
}
