// imagelib/codecs/jxl/codec_jxl.cpp
// JPEG XL decoding; the encoder is in codec_jxl_encode.cpp.
#include "imagelib/codecs/jxl/codec_jxl.h"

#include "imagelib/codecs/decode_source.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/codecs/jxl/jxl_colour.h"
#include "imagelib/colour/hdr_tone_map.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"

#include <jxl/decode.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The codestream allows a billion pixels a side; we stop well before. Up
// to 16 MP pass whatever the file's size, beyond that each byte may stand
// for 4096 pixels.
constexpr ZvDecodeLimits kLimits{std::size_t(1) << 31, std::uint64_t(1) << 28, std::uint64_t(16) << 20, 4096};
// Metadata boxes larger than this are not kept.
constexpr std::size_t kMaxBoxBytes = std::size_t(16) << 20;
constexpr std::size_t kBoxStep = 65536;

struct DecoderDeleter
{
    void operator()(JxlDecoder *d) const { JxlDecoderDestroy(d); }
};

enum class Box { None, Exif, Xmp };

// The rows of a PQ or HLG picture: 16-bit samples through the tone map.
struct ToneMappedRows
{
    ZvImage *image = nullptr;
    std::optional<ZvHdrToneMap> map;
};

} // namespace

struct ZvImageJXL::ReadJob
{
    std::unique_ptr<JxlDecoder, DecoderDeleter> decoder;
    std::vector<std::uint8_t> bytes;
    JxlBasicInfo basic{};
    bool alpha = false;
    bool pixelsSet = false;
    Box box = Box::None;
    std::vector<std::uint8_t> boxBytes;
    std::shared_ptr<ZvPhotoInfo> info;
    // What the pixels handed over are in (null: sRGB); PQ and HLG pictures
    // come as 16-bit samples and go through the tone map instead.
    ZvColourSpacePtr colour;
    ToneMappedRows hdr;
};

namespace {

// libjxl hands over the pixels row by row (top-down, R G B [A]); they go
// straight into the bottom-up DIB rows and the alpha plane.
void storePixels(void *opaque, std::size_t x, std::size_t y, std::size_t count, const void *pixels)
{
    ZvImage &image = *static_cast<ZvImage *>(opaque);
    const std::uint32_t w = image.GetWidth(), h = image.GetHeight();
    if (y >= h || x >= w)
        return;
    count = std::min<std::size_t>(count, w - x);
    const std::uint32_t row = h - 1 - std::uint32_t(y);
    std::uint8_t *dst = image.GetBits(row) + 3 * x;
    const std::uint8_t *src = static_cast<const std::uint8_t *>(pixels);
    if (image.AlphaIsValid()) {
        std::uint8_t *a = image.AlphaGetPointer(std::int32_t(x), std::int32_t(row));
        for (std::size_t i = 0; i < count; ++i, src += 4, dst += 3) {
            dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
            a[i] = src[3];
        }
        return;
    }
    for (std::size_t i = 0; i < count; ++i, src += 3, dst += 3)
        dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
}

// The 16-bit samples of a PQ or HLG picture, tone-mapped into the rows.
void storeToneMapped(void *opaque, std::size_t x, std::size_t y, std::size_t count, const void *pixels)
{
    const ToneMappedRows &rows = *static_cast<const ToneMappedRows *>(opaque);
    ZvImage &image = *rows.image;
    const std::uint32_t w = image.GetWidth(), h = image.GetHeight();
    if (y >= h || x >= w)
        return;
    count = std::min<std::size_t>(count, w - x);
    const std::uint32_t row = h - 1 - std::uint32_t(y);
    std::uint8_t *dst = image.GetBits(row) + 3 * x;
    const auto *src = static_cast<const std::uint16_t *>(pixels);
    std::uint8_t *a =
        image.AlphaIsValid() ? image.AlphaGetPointer(std::int32_t(x), std::int32_t(row)) : nullptr;
    const std::size_t n = a ? 4 : 3;
    for (std::size_t i = 0; i < count; ++i, src += n, dst += 3) {
        rows.map->MapToBgr(src[0], src[1], src[2], dst);
        if (a)
            a[i] = std::uint8_t((std::uint32_t(src[3]) * 255 + 32767) / 65535);
    }
}

} // namespace

bool ZvImageJXL::HasSignature(const std::uint8_t *head, std::size_t size)
{
    return JxlSignatureCheck(head, size) >= JXL_SIG_CODESTREAM;
}

bool ZvImageJXL::Decode(ZvFile *stream)
{
    return RunGuarded(Step::Decode, "Can't allocate memory", [&] { DecodeBody(stream); });
}

void ZvImageJXL::DecodeBody(ZvFile *stream)
{
    std::uint8_t head[12] = {};
    const std::int64_t start = stream ? stream->Tell() : 0;
    const std::size_t got = stream ? stream->Read(head, 1, sizeof head) : 0;
    if (!HasSignature(head, got))
        throw ZvCodecError("Not a JPEG XL file");
    stream->Seek(start, SEEK_FROM_START);
    ReadJob job;
    job.bytes = zvReadWholeStream(stream, kLimits.maxFileBytes);
    job.decoder.reset(JxlDecoderCreate(nullptr));
    JxlDecoder *dec = job.decoder.get();
    if (!dec)
        throw std::bad_alloc();
    const bool keep = GetKeepPhotoInfo() && GetEscape() != -1;
    int events = JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE;
    if (keep) {
        events |= JXL_DEC_BOX;
        JxlDecoderSetDecompressBoxes(dec, JXL_TRUE);
        job.info = std::make_shared<ZvPhotoInfo>();
    }
    // Our alpha plane is straight, never premultiplied.
    JxlDecoderSetUnpremultiplyAlpha(dec, JXL_TRUE);
    if (JxlDecoderSubscribeEvents(dec, events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(dec, job.bytes.data(), job.bytes.size()) != JXL_DEC_SUCCESS)
        throw ZvCodecError("Damaged JPEG XL file");
    JxlDecoderCloseInput(dec);
    for (;;) {
        if (GetEscape() > 0)
            throw ZvCodecError("Cancelled");
        switch (JxlDecoderProcessInput(dec)) {
        case JXL_DEC_BASIC_INFO:
            if (!OnBasicInfo(job))
                return; // the header was all that was asked for
            break;
        case JXL_DEC_COLOR_ENCODING: OnColourEncoding(job); break;
        case JXL_DEC_BOX: OnBox(job); break;
        case JXL_DEC_BOX_NEED_MORE_OUTPUT: {
            const std::size_t used = job.boxBytes.size() - JxlDecoderReleaseBoxBuffer(dec);
            if (job.boxBytes.size() + kBoxStep > kMaxBoxBytes) {
                job.box = Box::None;
                job.boxBytes.clear();
                break;
            }
            job.boxBytes.resize(job.boxBytes.size() + kBoxStep);
            JxlDecoderSetBoxBuffer(dec, job.boxBytes.data() + used, job.boxBytes.size() - used);
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            // A second frame of an animation: the first is all we show.
            if (job.pixelsSet)
                goto done;
            const bool deep = job.hdr.map.has_value();
            const JxlPixelFormat format{job.alpha ? 4u : 3u, deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8,
                                        JXL_NATIVE_ENDIAN, 0};
            job.hdr.image = this;
            const JxlDecoderStatus set =
                deep ? JxlDecoderSetImageOutCallback(dec, &format, storeToneMapped, &job.hdr)
                     : JxlDecoderSetImageOutCallback(dec, &format, storePixels, static_cast<ZvImage *>(this));
            if (set != JXL_DEC_SUCCESS)
                throw ZvCodecError("Damaged JPEG XL file");
            job.pixelsSet = true;
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            if (!keep)
                goto done;
            break;
        case JXL_DEC_SUCCESS: goto done;
        case JXL_DEC_NEED_MORE_INPUT: throw ZvCodecError("Not enough image data");
        default: throw ZvCodecError("Damaged JPEG XL file");
        }
    }
done:
    if (!job.pixelsSet)
        throw ZvCodecError("Not enough image data");
    SetColourSpace(zvColourAsDecoded(std::move(job.colour)));
    if (keep) {
        FinishBox(job);
        if (!job.info->IsEmpty())
            SetPhotoInfo(std::move(job.info));
    }
}

// False when only the header was asked for and is now known.
bool ZvImageJXL::OnBasicInfo(ReadJob &job)
{
    if (JxlDecoderGetBasicInfo(job.decoder.get(), &job.basic) != JXL_DEC_SUCCESS)
        throw ZvCodecError("Damaged JPEG XL file");
    std::uint32_t w = job.basic.xsize, h = job.basic.ysize;
    zvCheckDecodeSize(w, h, kLimits, job.bytes.size());
    // The sizes are those of the stored picture; libjxl turns it upright.
    if (job.basic.orientation >= JXL_ORIENT_TRANSPOSE)
        std::swap(w, h);
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(w);
        mHead.biHeight = std::int32_t(h);
        return false;
    }
    job.alpha = job.basic.alpha_bits > 0;
    if (!Create(w, h, 24, ZV_TYPE_JXL))
        throw ZvCodecError(GetLastError());
    if (job.alpha && !AlphaCreate())
        throw std::bad_alloc();
    return true;
}

// Chooses the pixels' colour space and reads what it is. An XYB-coded
// picture can be handed over in any space: sRGB is asked for, or for a PQ
// or HLG picture its own space, so that the tone map sees the deep samples.
// Other pictures come in their own space, which becomes the description.
void ZvImageJXL::OnColourEncoding(ReadJob &job)
{
    JxlDecoder *dec = job.decoder.get();
    JxlColorEncoding original;
    const bool encoded = JxlDecoderGetColorAsEncodedProfile(dec, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                                            &original) == JXL_DEC_SUCCESS;
    const bool xyb = !job.basic.uses_original_profile;
    if (xyb) {
        const bool hdr = encoded && jxlIsHdr(original);
        const JxlColorEncoding wanted = hdr ? original : jxlSrgbEncoding(job.basic.num_color_channels == 1);
        // Refused, libjxl picks linear sRGB; the data profile read below says so.
        JxlDecoderSetPreferredColorProfile(dec, &wanted);
    }
    job.colour = jxlDataColour(dec);
    if (job.colour && job.colour->IsHdr())
        job.hdr.map.emplace(*job.colour, 16);
    // A profile that describes the pixels is kept with them; not one they
    // were converted out of.
    if (job.info && !encoded && !xyb)
        job.info->icc = jxlIccProfile(dec, JXL_COLOR_PROFILE_TARGET_ORIGINAL);
}

void ZvImageJXL::OnBox(ReadJob &job)
{
    FinishBox(job);
    JxlBoxType type;
    if (JxlDecoderGetBoxType(job.decoder.get(), type, JXL_TRUE) != JXL_DEC_SUCCESS)
        return;
    if (std::memcmp(type, "Exif", 4) == 0 && job.info->exif.empty())
        job.box = Box::Exif;
    else if (std::memcmp(type, "xml ", 4) == 0 && job.info->xmp.empty())
        job.box = Box::Xmp;
    else
        return;
    job.boxBytes.assign(kBoxStep, 0);
    JxlDecoderSetBoxBuffer(job.decoder.get(), job.boxBytes.data(), job.boxBytes.size());
}

// The box read so far into the photo information.
void ZvImageJXL::FinishBox(ReadJob &job)
{
    if (job.box == Box::None)
        return;
    const std::size_t unused = JxlDecoderReleaseBoxBuffer(job.decoder.get());
    job.boxBytes.resize(job.boxBytes.size() - unused);
    if (job.box == Box::Exif && job.boxBytes.size() > 4) {
        // The box begins with the offset of the TIFF header.
        const std::uint32_t offset = std::uint32_t(job.boxBytes[0]) << 24 |
                                     std::uint32_t(job.boxBytes[1]) << 16 |
                                     std::uint32_t(job.boxBytes[2]) << 8 | job.boxBytes[3];
        if (offset <= job.boxBytes.size() - 4)
            job.info->exif =
                zvExifFromForeign(job.boxBytes.data() + 4 + offset, job.boxBytes.size() - 4 - offset, true)
                    .payload;
    } else if (job.box == Box::Xmp && !job.boxBytes.empty()) {
        job.info->xmp.push_back(zvXmpPayloadOfPacket(job.boxBytes.data(), job.boxBytes.size()));
    }
    job.box = Box::None;
    job.boxBytes.clear();
}
