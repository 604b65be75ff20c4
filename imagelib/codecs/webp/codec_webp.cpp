// imagelib/codecs/webp/codec_webp.cpp
// WebP decoding; the encoder is in codec_webp_encode.cpp.
#include "imagelib/codecs/webp/codec_webp.h"

#include "imagelib/codecs/decode_source.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/core/colour_space.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A WebP file's size field is 32 bits, and its sides are 14 bits. Up to
// 16 MP pass whatever the file's size (an animated file's two canvases and
// our picture take about 200 MB at most); beyond that each byte may stand
// for 4096 pixels, far more than a real photograph codes in one.
constexpr ZvDecodeLimits kLimits{std::size_t(1) << 32, std::uint64_t(16383) * 16383, std::uint64_t(16) << 20,
                                 4096};

struct DemuxDeleter
{
    void operator()(WebPDemuxer *d) const { WebPDemuxDelete(d); }
};
struct AnimDeleter
{
    void operator()(WebPAnimDecoder *d) const { WebPAnimDecoderDelete(d); }
};

std::vector<std::uint8_t> chunk(const WebPDemuxer *demux, const char *fourcc)
{
    WebPChunkIterator it;
    std::vector<std::uint8_t> out;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &it)) {
        out.assign(it.chunk.bytes, it.chunk.bytes + it.chunk.size);
        WebPDemuxReleaseChunkIterator(&it);
    }
    return out;
}

} // namespace

struct ZvImageWEBP::Source
{
    std::vector<std::uint8_t> bytes;
    WebPBitstreamFeatures features{};
    std::unique_ptr<WebPDemuxer, DemuxDeleter> demux;
};

bool ZvImageWEBP::HasSignature(const std::uint8_t *head, std::size_t size)
{
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0;
}

bool ZvImageWEBP::Decode(ZvFile *stream)
{
    return RunGuarded(Step::Decode, "Can't allocate memory", [&] { DecodeBody(stream); });
}

void ZvImageWEBP::DecodeBody(ZvFile *stream)
{
    std::uint8_t head[12];
    const std::int64_t start = stream ? stream->Tell() : 0;
    if (!stream || stream->Read(head, 1, sizeof head) != sizeof head || !HasSignature(head, sizeof head))
        throw ZvCodecError("Not a WebP file");
    stream->Seek(start, SEEK_FROM_START);
    Source source;
    source.bytes = zvReadWholeStream(stream, kLimits.maxFileBytes);
    if (WebPGetFeatures(source.bytes.data(), source.bytes.size(), &source.features) != VP8_STATUS_OK)
        throw ZvCodecError("Not a WebP file");
    const WebPData data{source.bytes.data(), source.bytes.size()};
    source.demux.reset(WebPDemux(&data));
    if (!source.demux)
        throw ZvCodecError("Damaged WebP file");
    const std::uint32_t w = WebPDemuxGetI(source.demux.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t h = WebPDemuxGetI(source.demux.get(), WEBP_FF_CANVAS_HEIGHT);
    zvCheckDecodeSize(w, h, kLimits, source.bytes.size());
    // Like a JPEG's, the EXIF orientation is handed on and the pixels stay
    // as stored: whoever shows or exports the picture turns it upright.
    const int orientation = ReadPhotoInfo(source);
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(w);
        mHead.biHeight = std::int32_t(h);
        SetOrientation(orientation);
        return;
    }
    const bool alpha = source.features.has_alpha != 0;
    if (!Create(w, h, 24, ZV_TYPE_WEBP))
        throw ZvCodecError(GetLastError());
    if (alpha && !AlphaCreate())
        throw std::bad_alloc();
    if (source.features.has_animation)
        DecodeFirstFrame(source, alpha);
    else
        DecodeStill(source, alpha);
    SetOrientation(orientation);
}

// The EXIF orientation (0 when none). The photo information is kept only
// when asked for, but the orientation and the colour description always
// count: the ICCP chunk's profile, else EXIF's Adobe RGB mark.
int ZvImageWEBP::ReadPhotoInfo(const Source &source)
{
    const std::vector<std::uint8_t> exif = chunk(source.demux.get(), "EXIF");
    ZvForeignExif kept = zvExifFromForeign(exif.data(), exif.size(), false);
    std::vector<std::uint8_t> icc = chunk(source.demux.get(), "ICCP");
    if (!icc.empty())
        SetColourSpace(zvColourFromIcc(icc.data(), icc.size()));
    else if (kept.adobeRgb)
        SetColourSpace(zvColourAdobeRgb());
    if (!GetKeepPhotoInfo())
        return kept.orientation;
    auto info = std::make_shared<ZvPhotoInfo>();
    info->exif = std::move(kept.payload);
    const std::vector<std::uint8_t> xmp = chunk(source.demux.get(), "XMP ");
    if (!xmp.empty())
        info->xmp.push_back(zvXmpPayloadOfPacket(xmp.data(), xmp.size()));
    info->icc = std::move(icc);
    if (!info->IsEmpty())
        SetPhotoInfo(std::move(info));
    return kept.orientation;
}

void ZvImageWEBP::DecodeStill(const Source &source, bool alpha)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw ZvCodecError("WebP decoder version mismatch");
    std::vector<std::uint8_t> bgra;
    config.output.is_external_memory = 1;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    if (alpha) {
        bgra.resize(std::size_t(GetWidth()) * GetHeight() * 4);
        config.output.u.RGBA.rgba = bgra.data();
        config.output.u.RGBA.stride = int(GetWidth() * 4);
        config.output.u.RGBA.size = bgra.size();
    } else {
        // Straight into the DIB: its rows are bottom-up, so the decoder flips.
        config.options.flip = 1;
        config.output.u.RGBA.rgba = GetBits(0);
        config.output.u.RGBA.stride = int(GetEffWidth());
        config.output.u.RGBA.size = std::size_t(GetEffWidth()) * GetHeight();
    }
    const VP8StatusCode status = WebPDecode(source.bytes.data(), source.bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        throw ZvCodecError(status == VP8_STATUS_OUT_OF_MEMORY ? "Can't allocate memory"
                                                              : "Damaged WebP file");
    if (alpha)
        StoreBgra(bgra.data(), std::size_t(GetWidth()) * 4);
}

void ZvImageWEBP::DecodeFirstFrame(const Source &source, bool alpha)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        throw ZvCodecError("WebP decoder version mismatch");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{source.bytes.data(), source.bytes.size()};
    std::unique_ptr<WebPAnimDecoder, AnimDeleter> anim(WebPAnimDecoderNew(&data, &options));
    std::uint8_t *canvas = nullptr;
    int timestamp = 0;
    if (!anim || !WebPAnimDecoderGetNext(anim.get(), &canvas, &timestamp))
        throw ZvCodecError("Damaged WebP file");
    if (alpha) {
        StoreBgra(canvas, std::size_t(GetWidth()) * 4);
        return;
    }
    for (std::uint32_t y = 0; y < GetHeight(); ++y) {
        const std::uint8_t *src = canvas + std::size_t(y) * GetWidth() * 4;
        std::uint8_t *dst = GetBits(GetHeight() - 1 - y);
        for (std::uint32_t x = 0; x < GetWidth(); ++x, src += 4, dst += 3)
            std::memcpy(dst, src, 3);
    }
}

// Top-down BGRA rows into the DIB rows and the alpha plane.
void ZvImageWEBP::StoreBgra(const std::uint8_t *rows, std::size_t stride)
{
    const std::uint32_t w = GetWidth(), h = GetHeight();
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *src = rows + std::size_t(y) * stride;
        std::uint8_t *dst = GetBits(h - 1 - y);
        std::uint8_t *alpha = AlphaGetPointer(0, std::int32_t(h - 1 - y));
        for (std::uint32_t x = 0; x < w; ++x, src += 4, dst += 3) {
            std::memcpy(dst, src, 3);
            alpha[x] = src[3];
        }
    }
}
