// imagelib/codecs/jxl/codec_jxl.cpp
// JPEG XL decoding; the encoder is in codec_jxl_encode.cpp.
#include "imagelib/codecs/jxl/codec_jxl.h"

#include "imagelib/codecs/decode_source.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"

#include <jxl/decode.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t(1) << 31;
// The codestream allows a billion pixels a side; we stop well before.
constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 28;
// Metadata boxes larger than this are not kept.
constexpr std::size_t kMaxBoxBytes = std::size_t(16) << 20;
constexpr std::size_t kBoxStep = 65536;

struct DecoderDeleter
{
    void operator()(JxlDecoder *d) const { JxlDecoderDestroy(d); }
};

enum class Box { None, Exif, Xmp };

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
    job.bytes = zvReadWholeStream(stream, kMaxFileBytes);
    job.decoder.reset(JxlDecoderCreate(nullptr));
    JxlDecoder *dec = job.decoder.get();
    if (!dec)
        throw std::bad_alloc();
    const bool keep = GetKeepPhotoInfo() && GetEscape() != -1;
    int events = JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE;
    if (keep) {
        events |= JXL_DEC_COLOR_ENCODING | JXL_DEC_BOX;
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
            const JxlPixelFormat format{job.alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
            if (JxlDecoderSetImageOutCallback(dec, &format, storePixels, static_cast<ZvImage *>(this)) !=
                JXL_DEC_SUCCESS)
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
    zvCheckDecodeSize(w, h, kMaxPixels, job.bytes.size());
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

void ZvImageJXL::OnColourEncoding(ReadJob &job)
{
    JxlColorEncoding encoding;
    // A described colour space (sRGB mostly) needs no profile; an attached
    // profile is kept as it is.
    if (JxlDecoderGetColorAsEncodedProfile(job.decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                           &encoding) == JXL_DEC_SUCCESS)
        return;
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(job.decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &size) !=
            JXL_DEC_SUCCESS ||
        size == 0 || size > kMaxBoxBytes)
        return;
    job.info->icc.resize(size);
    if (JxlDecoderGetColorAsICCProfile(job.decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                       job.info->icc.data(), size) != JXL_DEC_SUCCESS)
        job.info->icc.clear();
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
