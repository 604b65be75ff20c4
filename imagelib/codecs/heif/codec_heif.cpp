// imagelib/codecs/heif/codec_heif.cpp
#include "imagelib/codecs/heif/codec_heif.h"

#include "imagelib/codecs/heif/heif_brand.h"
#include "imagelib/codecs/heif/heif_colour.h"
#include "imagelib/codecs/heif/heif_pixels.h"
#include "imagelib/colour/hdr_tone_map.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>

namespace {

// The ftyp box comes first and is short; this much of the head is read to
// tell a HEIF file from others before the whole file is.
constexpr std::size_t kBrandProbe = 4096;

void initLibrary()
{
    static std::once_flag sOnce;
    std::call_once(sOnce, [] { heif_init(nullptr); });
}

} // namespace

// Up to 4 MP pass whatever the file's size; beyond that each byte may stand
// for 4096 pixels: a flat picture compresses far, but not a hundred
// megapixels into a few kilobytes.
const ZvWholeFileCodec::Format ZvImageHEIF::kFormat = {
    "HEIF",
    kBrandProbe,
    heifIsOurBrand,
    "Not a HEIF file",
    "Not enough memory for the HEIF picture",
    {std::size_t(1) << 30, std::uint64_t(1) << 26, std::uint64_t(1) << 22, 4096},
};

void heifCheck(const heif_error &err)
{
    if (err.code == heif_error_Ok)
        return;
    if (err.code == heif_error_Memory_allocation_error)
        throw std::bad_alloc();
    throw ZvCodecError(std::string("HEIF: ") + (err.message && *err.message ? err.message : "cannot read"));
}

void ZvImageHEIF::DecodeBytes(std::vector<std::uint8_t> &bytes)
{
    initLibrary();
    HeifContextPtr context(heif_context_alloc());
    if (!context)
        throw std::bad_alloc();
    // libheif refuses larger items (tiles and thumbnails too) while it reads the file.
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    heifCheck(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr));
    heif_image_handle *raw = nullptr;
    heifCheck(heif_context_get_primary_image_handle(context.get(), &raw));
    const HeifHandlePtr primary(raw);

    const int width = std::max(0, heif_image_handle_get_width(primary.get()));
    const int height = std::max(0, heif_image_handle_get_height(primary.get()));
    zvCheckDecodeSize(std::uint64_t(width), std::uint64_t(height), kFormat.limits, bytes.size());
    const int bits = std::max(8, heif_image_handle_get_luma_bits_per_pixel(primary.get()));
    const bool alpha = heif_image_handle_has_alpha_channel(primary.get()) != 0;
    mAsLoaded.biWidth = std::int32_t(width);
    mAsLoaded.biHeight = std::int32_t(height);
    mAsLoaded.biBitCount = std::uint16_t(bits * (alpha ? 4 : 3));
    if (GetEscape() == -1) {
        mInfo.dwType = ZV_TYPE_HEIF;
        mHead.biWidth = std::int32_t(width);
        mHead.biHeight = std::int32_t(height);
        SetColourSpace(zvColourAsDecoded(heifColourOf(primary.get()).colour));
        return;
    }
    const HeifHandlePtr thumbnail = PickThumbnail(primary.get());
    const heif_image_handle *source = thumbnail ? thumbnail.get() : primary.get();
    // A thumbnail without a colr box of its own is in its primary's colours.
    HeifColour colour = heifColourOf(source);
    if (!colour.stated && thumbnail)
        colour = heifColourOf(primary.get());
    const bool hdr = colour.colour && colour.colour->IsHdr();
    DecodePixels(source, zvDecodePixelAllowance(kFormat.limits, bytes.size()),
                 hdr ? colour.colour.get() : nullptr);
    SetColourSpace(zvColourAsDecoded(colour.colour));
    if (GetKeepPhotoInfo())
        StorePhotoInfo(primary.get());
}

HeifHandlePtr ZvImageHEIF::PickThumbnail(const heif_image_handle *primary) const
{
    HeifHandlePtr best;
    if (GetReducedWidth() <= 0 || GetReducedHeight() <= 0)
        return best;
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return best;
    std::vector<heif_item_id> ids(std::size_t(std::min(count, 16)));
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), int(ids.size()));
    const std::int64_t width = heif_image_handle_get_width(primary);
    const std::int64_t height = heif_image_handle_get_height(primary);
    std::int64_t bestArea = 0;
    for (int i = 0; i < listed; ++i) {
        heif_image_handle *raw = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[std::size_t(i)], &raw).code != heif_error_Ok)
            continue;
        HeifHandlePtr candidate(raw);
        const std::int64_t w = heif_image_handle_get_width(raw), h = heif_image_handle_get_height(raw);
        if (!zvRenditionCovers(width, height, w, h, GetReducedWidth(), GetReducedHeight()))
            continue;
        if (!best || w * h < bestArea) {
            bestArea = w * h;
            best = std::move(candidate);
        }
    }
    return best;
}

void ZvImageHEIF::DecodePixels(const heif_image_handle *handle, std::uint64_t pixelLimit,
                               const ZvColourSpace *hdr)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    const HeifOptionsPtr options(heif_decoding_options_alloc());
    if (!options)
        throw std::bad_alloc();
    heif_image *raw = nullptr;
    heifCheck(heif_decode_image(handle, &raw, heif_colorspace_RGB, chroma, options.get()));
    const HeifImagePtr image(raw);

    HeifPlane plane;
    plane.width = heif_image_get_width(raw, heif_channel_interleaved);
    plane.height = heif_image_get_height(raw, heif_channel_interleaved);
    plane.data = heif_image_get_plane_readonly(raw, heif_channel_interleaved, &plane.stride);
    plane.channels = alpha ? 4 : 3;
    plane.bits = deep ? heif_image_get_bits_per_pixel_range(raw, heif_channel_interleaved) : 8;
    if (!plane.data || plane.width <= 0 || plane.height <= 0 || plane.bits < 8 || plane.bits > 16 ||
        std::uint64_t(plane.width) * std::uint64_t(plane.height) > pixelLimit ||
        plane.stride < plane.width * plane.channels * (deep ? 2 : 1))
        throw ZvCodecError("HEIF: the decoder returned no usable picture");
    if (!Create(std::uint32_t(plane.width), std::uint32_t(plane.height), 24, ZV_TYPE_HEIF))
        throw std::bad_alloc();
    if (alpha && !AlphaCreate())
        throw std::bad_alloc();
    std::optional<ZvHdrToneMap> toneMap;
    if (hdr)
        toneMap.emplace(*hdr, plane.bits);
    heifCopyPlane(plane, *this, toneMap ? &*toneMap : nullptr);
}
