// imagelib/codecs/heif/heif_photo_info.cpp
// The photo information of a HEIF file: the Exif item and XMP items that
// describe the primary picture, and its ICC profile, in the form the JPEG
// codec keeps them (APP1 payloads, the whole profile).
#include "imagelib/codecs/heif/codec_heif.h"

#include "imagelib/codecs/heif/heif_colour.h"
#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/core/photo_info.h"

#include <cstring>
#include <memory>

namespace {

// Items beyond this are not photo information worth carrying.
constexpr std::size_t kMaxItemBytes = std::size_t(16) << 20;
const char kExifPrefix[] = "Exif\0\0"; // 6 bytes with the two NULs
const char kXmpNamespace[] = "http://ns.adobe.com/xap/1.0/";

std::vector<std::uint8_t> metadataItem(const heif_image_handle *handle, heif_item_id id)
{
    const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size == 0 || size > kMaxItemBytes)
        return {};
    std::vector<std::uint8_t> bytes(size);
    if (heif_image_handle_get_metadata(handle, id, bytes.data()).code != heif_error_Ok)
        return {};
    return bytes;
}

std::vector<heif_item_id> metadataIds(const heif_image_handle *handle, const char *type)
{
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, type);
    std::vector<heif_item_id> ids(std::size_t(count > 0 ? std::min(count, 64) : 0));
    if (!ids.empty())
        ids.resize(std::size_t(std::max(
            0, heif_image_handle_get_list_of_metadata_block_IDs(handle, type, ids.data(), int(ids.size())))));
    return ids;
}

// HEIF's Exif item starts with the big-endian offset of the TIFF header
// from the end of that field (usually 6, past "Exif\0\0"). The pixels are
// delivered upright, so the orientation kept says so; a block that does
// not parse is kept as found, for the writer's own check to refuse.
std::vector<std::uint8_t> exifPayload(const std::vector<std::uint8_t> &item)
{
    if (item.size() < 4)
        return {};
    const std::uint32_t offset =
        std::uint32_t(item[0]) << 24 | std::uint32_t(item[1]) << 16 | std::uint32_t(item[2]) << 8 | item[3];
    if (offset >= item.size() - 4)
        return {};
    std::vector<std::uint8_t> payload(kExifPrefix, kExifPrefix + 6);
    payload.insert(payload.end(), item.begin() + 4 + std::ptrdiff_t(offset), item.end());
    ZvExifEditor editor;
    if (!editor.Parse(payload.data(), payload.size()))
        return payload;
    editor.SetOrientationUpright();
    std::vector<std::uint8_t> upright;
    if (!editor.Result(upright))
        return {}; // an orientation that cannot be made true is not handed on
    return upright;
}

std::vector<std::uint8_t> xmpPayload(const std::vector<std::uint8_t> &item)
{
    std::vector<std::uint8_t> payload(kXmpNamespace, kXmpNamespace + sizeof(kXmpNamespace));
    payload.insert(payload.end(), item.begin(), item.end());
    return payload;
}

} // namespace

void ZvImageHEIF::StorePhotoInfo(const heif_image_handle *primary)
{
    auto info = std::make_shared<ZvPhotoInfo>();
    for (heif_item_id id : metadataIds(primary, "Exif")) {
        info->exif = exifPayload(metadataItem(primary, id));
        if (!info->exif.empty())
            break;
    }
    for (heif_item_id id : metadataIds(primary, "mime")) {
        const char *content = heif_image_handle_get_metadata_content_type(primary, id);
        if (content && std::strcmp(content, "application/rdf+xml") == 0) {
            const std::vector<std::uint8_t> item = metadataItem(primary, id);
            if (!item.empty())
                info->xmp.push_back(xmpPayload(item));
        }
    }
    info->icc = heifIccProfile(primary);
    SetPhotoInfo(info->IsEmpty() ? nullptr : std::move(info));
}
