// imagelib/codecs/jpeg/jpeg_photo_info.cpp
// The photo information of a JPEG file: EXIF and XMP in APP1 segments, the
// ICC profile in APP2 chunks. These run inside the setjmp frames of Decode
// and Encode: the record is built and stored in one step between library
// calls, so no C++ object is alive while libjpeg may jump.
#include "imagelib/codecs/jpeg/codec_jpg.h"

#include "imagelib/codecs/jpeg/jpeg_stream.h"
#include "imagelib/core/photo_info.h"

#include <memory>
#include <new>

namespace {

constexpr unsigned kMarkerLimit = 0xFFFF;
// 255 APP2 chunks of at most 65519 profile bytes each.
constexpr std::size_t kMaxIccProfile = 255 * 65519;

// Builds the record from the saved segments and the reassembled profile;
// none when there is nothing, or no memory for it.
std::shared_ptr<const ZvPhotoInfo> makeRecord(const jpeg_decompress_struct &cinfo, const JOCTET *icc,
                                              unsigned iccSize)
{
    try {
        auto info = std::make_shared<ZvPhotoInfo>();
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
            if (m->marker != JPEG_APP0 + 1 || m->data_length != m->original_length)
                continue;
            const std::uint8_t *data = m->data;
            if (zvIsExifPayload(data, m->data_length) && info->exif.empty())
                info->exif.assign(data, data + m->data_length);
            else if (zvIsXmpPayload(data, m->data_length))
                info->xmp.emplace_back(data, data + m->data_length);
        }
        if (icc && iccSize)
            info->icc.assign(icc, icc + iccSize);
        if (info->IsEmpty())
            return nullptr;
        return info;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

void ZvImageJPG::SavePhotoMarkers(jpeg_decompress_struct &cinfo, bool photoInfo)
{
    if (photoInfo)
        jpeg_save_markers(&cinfo, JPEG_APP0 + 1, kMarkerLimit);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, kMarkerLimit);
}

void ZvImageJPG::StorePhotoInfo(const jpeg_decompress_struct &cinfo, const std::uint8_t *icc,
                                unsigned iccSize)
{
    SetPhotoInfo(makeRecord(cinfo, icc, iccSize));
}

// Segments too long for a marker are left out rather than cut.
void ZvImageJPG::WritePhotoInfo(jpeg_compress_struct &cinfo) const
{
    const ZvPhotoInfo *info = GetPhotoInfo();
    if (!info)
        return;
    if (!info->exif.empty() && info->exif.size() <= kZvMaxMarkerPayload)
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, info->exif.data(), unsigned(info->exif.size()));
    for (const std::vector<std::uint8_t> &packet : info->xmp) {
        if (!packet.empty() && packet.size() <= kZvMaxMarkerPayload)
            jpeg_write_marker(&cinfo, JPEG_APP0 + 1, packet.data(), unsigned(packet.size()));
    }
    if (!info->icc.empty() && info->icc.size() <= kMaxIccProfile)
        jpeg_write_icc_profile(&cinfo, info->icc.data(), unsigned(info->icc.size()));
}
