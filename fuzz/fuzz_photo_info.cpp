// fuzz/fuzz_photo_info.cpp
// Hostile APP1 and APP2 segments through the whole keeping of photo
// information: a small JPEG carrying them is decoded, the information is
// fitted to the output as the export does, and the picture is encoded as
// JPEG, PNG or TIFF and decoded again. Whatever EXIF block comes out must be
// sound: the editor never writes one it would refuse.
//
// Input: one knob byte (bits 0-1 output type, bit 2 turned, bit 3 wraps the
// rest as one ICC chunk), two bytes of APP1 length (big-endian), the APP1
// payload, then the APP2 payload.
#include "export/photo_info_export.h"
#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/core/image.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/mem_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes &baseJpeg()
{
    static const Bytes bytes = [] {
        ZvImage picture(16, 8, 24);
        for (std::uint32_t y = 0; y < 8; ++y)
            for (std::uint32_t x = 0; x < 16; ++x)
                picture.SetPixelColor(std::int32_t(x), std::int32_t(y),
                                      RGBQUAD{std::uint8_t(x * 16), 40, std::uint8_t(y * 30), 0});
        std::uint8_t *buffer = nullptr;
        std::int32_t size = 0;
        picture.Encode(buffer, size, ZV_TYPE_JPG);
        Bytes out(buffer, buffer + size);
        std::free(buffer);
        return out;
    }();
    return bytes;
}

void appendSegment(Bytes &file, int marker, const Bytes &payload)
{
    if (payload.empty() || payload.size() > kZvMaxMarkerPayload)
        return;
    const std::size_t length = payload.size() + 2;
    file.insert(file.end(), {0xFF, std::uint8_t(marker), std::uint8_t(length >> 8), std::uint8_t(length)});
    file.insert(file.end(), payload.begin(), payload.end());
}

Bytes iccChunk(const Bytes &profile)
{
    static const char kTag[] = "ICC_PROFILE";
    Bytes chunk(kTag, kTag + sizeof kTag);
    chunk.push_back(1);
    chunk.push_back(1);
    chunk.insert(chunk.end(), profile.begin(), profile.end());
    return chunk;
}

ZvImage decodeKeeping(Bytes &bytes, std::uint32_t type)
{
    ZvImage picture;
    picture.SetKeepPhotoInfo(true);
    picture.Decode(bytes.data(), std::uint32_t(bytes.size()), type);
    return picture;
}

void checkSound(const ZvImage &picture)
{
    const ZvPhotoInfo *info = picture.GetPhotoInfo();
    if (!info || info->exif.empty())
        return;
    ZvExifEditor again;
    if (!again.Parse(info->exif.data(), info->exif.size())) {
        std::fprintf(stderr, "written EXIF block refused: %s\n", again.Problem().c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::uint8_t knob = data[0];
    const std::size_t app1Size = std::min<std::size_t>(std::size_t(data[1]) << 8 | data[2], size - 3);
    const Bytes app1(data + 3, data + 3 + app1Size);
    Bytes app2(data + 3 + app1Size, data + size);
    if (knob & 8)
        app2 = iccChunk(app2);

    const Bytes &base = baseJpeg();
    Bytes file(base.begin(), base.begin() + 2);
    appendSegment(file, 0xE1, app1);
    appendSegment(file, 0xE2, app2);
    file.insert(file.end(), base.begin() + 2, base.end());

    ZvImage picture = decodeKeeping(file, ZV_TYPE_JPG);
    if (!picture.IsValid())
        return 0;
    static const std::uint32_t kTypes[] = {ZV_TYPE_JPG, ZV_TYPE_PNG, ZV_TYPE_TIF, ZV_TYPE_JPG};
    const std::uint32_t type = kTypes[knob & 3];
    if (knob & 4)
        picture.RotateLeft();
    fitPhotoInfo(picture, type, (knob & 4) != 0);
    std::uint8_t *buffer = nullptr;
    std::int32_t written = 0;
    if (!picture.Encode(buffer, written, type))
        return 0;
    Bytes out(buffer, buffer + written);
    std::free(buffer);
    const ZvImage back = decodeKeeping(out, type);
    checkSound(back);
    return 0;
}
