// imagelib/codecs/jpeg/photo_payload.cpp
#include "imagelib/codecs/jpeg/photo_payload.h"

#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/core/photo_info.h"

#include <cstring>

namespace {

constexpr std::uint8_t kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr char kXmpMain[] = "http://ns.adobe.com/xap/1.0/"; // written with its NUL

bool isTiffHeader(const std::uint8_t *p, std::size_t size)
{
    return size >= 8 && ((p[0] == 'I' && p[1] == 'I' && p[2] == 42 && p[3] == 0) ||
                         (p[0] == 'M' && p[1] == 'M' && p[2] == 0 && p[3] == 42));
}

} // namespace

ZvForeignExif zvExifFromForeign(const std::uint8_t *data, std::size_t size, bool keepUpright)
{
    ZvForeignExif out;
    if (data && zvIsExifPayload(data, size)) {
        data += sizeof kExifPrefix;
        size -= sizeof kExifPrefix;
    }
    if (!data || !isTiffHeader(data, size))
        return out;
    out.payload.assign(kExifPrefix, kExifPrefix + sizeof kExifPrefix);
    out.payload.insert(out.payload.end(), data, data + size);
    ZvExifInfo info;
    if (info.ParseExif(out.payload.data(), out.payload.size())) {
        out.orientation = info.orientation;
        out.adobeRgb = zvExifSaysAdobeRgb(info);
    }
    if (keepUpright && out.orientation > 1) {
        // A block the editor refuses stays as it is: the export never copies it.
        ZvExifEditor editor;
        std::vector<std::uint8_t> upright;
        if (editor.Parse(out.payload.data(), out.payload.size())) {
            editor.SetOrientationUpright();
            if (editor.Result(upright))
                out.payload = std::move(upright);
        }
    }
    return out;
}

std::vector<std::uint8_t> zvTiffOfExif(const std::vector<std::uint8_t> &payload)
{
    if (!zvIsExifPayload(payload.data(), payload.size()))
        return {};
    return std::vector<std::uint8_t>(payload.begin() + sizeof kExifPrefix, payload.end());
}

std::vector<std::uint8_t> zvXmpPayloadOfPacket(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> out(kXmpMain, kXmpMain + sizeof kXmpMain);
    if (data)
        out.insert(out.end(), data, data + size);
    return out;
}

std::vector<std::uint8_t> zvXmpPacketOfPayload(const std::vector<std::uint8_t> &payload)
{
    if (payload.size() < sizeof kXmpMain || std::memcmp(payload.data(), kXmpMain, sizeof kXmpMain) != 0)
        return {};
    return std::vector<std::uint8_t>(payload.begin() + sizeof kXmpMain, payload.end());
}
