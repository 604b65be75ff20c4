// imagelib/codecs/webp/codec_webp_encode.cpp
// WebP encoding: the picture through libwebp's encoder, then, when photo
// information is kept, its chunks added by the muxer.
#include "imagelib/codecs/encode_rows.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/codecs/webp/codec_webp.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

namespace {

// libwebp's own default: a fair balance of speed and size.
constexpr int kMethod = 4;
constexpr std::uint32_t kMaxSide = WEBP_MAX_DIMENSION;

struct PictureGuard
{
    WebPPicture picture;
    WebPMemoryWriter writer;
    PictureGuard()
    {
        WebPPictureInit(&picture);
        WebPMemoryWriterInit(&writer);
    }
    ~PictureGuard()
    {
        WebPPictureFree(&picture);
        WebPMemoryWriterClear(&writer);
    }
};

struct MuxDeleter
{
    void operator()(WebPMux *m) const { WebPMuxDelete(m); }
};

void setChunk(WebPMux *mux, const char *fourcc, const std::vector<std::uint8_t> &bytes)
{
    if (bytes.empty())
        return;
    const WebPData data{bytes.data(), bytes.size()};
    if (WebPMuxSetChunk(mux, fourcc, &data, 1) != WEBP_MUX_OK)
        throw ZvCodecError("Error saving WebP file");
}

void writeAll(ZvFile *stream, const std::uint8_t *data, std::size_t size)
{
    if (stream->Write(data, 1, size) != size)
        throw ZvCodecError("Error writing WebP file");
}

} // namespace

bool ZvImageWEBP::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    return RunGuarded(Step::Encode, "Can't allocate memory", [&] { EncodeBody(stream); });
}

void ZvImageWEBP::EncodeBody(ZvFile *stream)
{
    if (GetWidth() > kMaxSide || GetHeight() > kMaxSide)
        throw ZvCodecError("WebP pictures are at most 16383 pixels a side");
    WebPConfig config;
    if (!WebPConfigInit(&config))
        throw ZvCodecError("WebP encoder version mismatch");
    const bool lossless = (GetCodecOption() & kLossless) != 0;
    config.lossless = lossless ? 1 : 0;
    config.quality = float(GetJpegQuality());
    config.method = kMethod;
    // Lossless keeps the colours under clear pixels too, so that a round
    // trip gives back exactly what was written.
    config.exact = lossless ? 1 : 0;

    const ZvEncodeRows rows = zvEncodeRows(*this);
    PictureGuard guard;
    guard.picture.width = int(rows.width);
    guard.picture.height = int(rows.height);
    guard.picture.use_argb = lossless ? 1 : 0;
    const int stride = int(rows.width) * rows.channels;
    const int imported = rows.channels == 4 ? WebPPictureImportRGBA(&guard.picture, rows.bytes.data(), stride)
                                            : WebPPictureImportRGB(&guard.picture, rows.bytes.data(), stride);
    if (!imported)
        throw std::bad_alloc();
    guard.picture.writer = WebPMemoryWrite;
    guard.picture.custom_ptr = &guard.writer;
    if (!WebPEncode(&config, &guard.picture))
        throw ZvCodecError(guard.picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY
                               ? "Can't allocate memory"
                               : "Error saving WebP file");

    const ZvPhotoInfo *info = GetKeepPhotoInfo() ? GetPhotoInfo() : nullptr;
    if (!info || info->IsEmpty()) {
        writeAll(stream, guard.writer.mem, guard.writer.size);
        return;
    }
    const WebPData image{guard.writer.mem, guard.writer.size};
    std::unique_ptr<WebPMux, MuxDeleter> mux(WebPMuxCreate(&image, 0));
    if (!mux)
        throw ZvCodecError("Error saving WebP file");
    setChunk(mux.get(), "ICCP", info->icc);
    setChunk(mux.get(), "EXIF", zvTiffOfExif(info->exif));
    if (!info->xmp.empty())
        setChunk(mux.get(), "XMP ", zvXmpPacketOfPayload(info->xmp.front()));
    WebPData assembled;
    WebPDataInit(&assembled);
    if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK)
        throw ZvCodecError("Error saving WebP file");
    std::unique_ptr<const std::uint8_t, void (*)(const std::uint8_t *)> owner(
        assembled.bytes, [](const std::uint8_t *p) { WebPFree(const_cast<std::uint8_t *>(p)); });
    writeAll(stream, assembled.bytes, assembled.size);
}
