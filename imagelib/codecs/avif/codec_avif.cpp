// imagelib/codecs/avif/codec_avif.cpp
// AVIF decoding; the encoder is in codec_avif_encode.cpp.
#include "imagelib/codecs/avif/codec_avif.h"

#include "imagelib/codecs/decode_source.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/colour/hdr_tone_map.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/file.h"

#include <avif/avif.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// libavif's default pixel limit, which the decoder is held to as well; up
// to 16 MP pass whatever the file's size, beyond that each byte may stand
// for 4096 pixels.
constexpr ZvDecodeLimits kLimits{std::size_t(1) << 31, AVIF_DEFAULT_IMAGE_SIZE_LIMIT, std::uint64_t(16) << 20,
                                 4096};
// The box header and the brands we look at: enough for any real ftyp.
constexpr std::size_t kSniffBytes = 64;

struct DecoderDeleter
{
    void operator()(avifDecoder *d) const { avifDecoderDestroy(d); }
};

std::uint32_t bigEndian32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// The EXIF item of an ISO-BMFF file begins with the offset of the TIFF
// header; some writers (and some libavif versions) leave it out.
std::vector<std::uint8_t> exifOfItem(const avifRWData &item)
{
    const std::uint8_t *p = item.data;
    std::size_t size = item.size;
    if (size >= 4 && !(p[0] == 'I' && p[1] == 'I') && !(p[0] == 'M' && p[1] == 'M') && p[0] != 'E') {
        const std::uint32_t offset = bigEndian32(p);
        if (offset > size - 4)
            return {};
        p += 4 + offset;
        size -= 4 + offset;
    }
    return std::vector<std::uint8_t>(p, p + size);
}

int orientationOf(const avifImage *image)
{
    const int angle = (image->transformFlags & AVIF_TRANSFORM_IROT) ? image->irot.angle : 0;
    const int mirror = (image->transformFlags & AVIF_TRANSFORM_IMIR) ? image->imir.mode : -1;
    return zvOrientationOfTransforms(angle, mirror);
}

// The ICC profile when the file has one, else what the CICP code points
// say; null for sRGB's.
ZvColourSpacePtr colourOf(const avifImage *image)
{
    if (image->icc.size)
        return zvColourFromIcc(image->icc.data, image->icc.size);
    return zvColourFromCicp(int(image->colorPrimaries), int(image->transferCharacteristics),
                            int(image->matrixCoefficients), image->yuvRange == AVIF_RANGE_FULL);
}

void check(avifResult result)
{
    if (result == AVIF_RESULT_OK)
        return;
    if (result == AVIF_RESULT_OUT_OF_MEMORY)
        throw std::bad_alloc();
    throw ZvCodecError(std::string("Damaged AVIF file: ") + avifResultToString(result));
}

} // namespace

bool ZvImageAVIF::HasSignature(const std::uint8_t *head, std::size_t size)
{
    if (size < 16 || std::memcmp(head + 4, "ftyp", 4) != 0)
        return false;
    const std::size_t box = std::min<std::size_t>(bigEndian32(head), size);
    if (std::memcmp(head + 8, "avif", 4) == 0 || std::memcmp(head + 8, "avis", 4) == 0)
        return true;
    for (std::size_t at = 16; at + 4 <= box; at += 4) {
        if (std::memcmp(head + at, "avif", 4) == 0 || std::memcmp(head + at, "avis", 4) == 0)
            return true;
    }
    return false;
}

bool ZvImageAVIF::Decode(ZvFile *stream)
{
    return RunGuarded(Step::Decode, "Can't allocate memory", [&] { DecodeBody(stream); });
}

void ZvImageAVIF::DecodeBody(ZvFile *stream)
{
    std::uint8_t head[kSniffBytes] = {};
    const std::int64_t start = stream ? stream->Tell() : 0;
    const std::size_t got = stream ? stream->Read(head, 1, sizeof head) : 0;
    if (!HasSignature(head, got))
        throw ZvCodecError("Not an AVIF file");
    stream->Seek(start, SEEK_FROM_START);
    const std::vector<std::uint8_t> bytes = zvReadWholeStream(stream, kLimits.maxFileBytes);

    std::unique_ptr<avifDecoder, DecoderDeleter> decoder(avifDecoderCreate());
    if (!decoder)
        throw std::bad_alloc();
    // The export already decodes one picture per core.
    decoder->maxThreads = 1;
    decoder->imageSizeLimit = std::uint32_t(kLimits.maxPixels);
    // Real files often lack boxes the standard asks for; the pixels are sound.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    check(avifDecoderSetIOMemory(decoder.get(), bytes.data(), bytes.size()));
    check(avifDecoderParse(decoder.get()));
    const avifImage *image = decoder->image;
    zvCheckDecodeSize(image->width, image->height, kLimits, bytes.size());
    const int orientation = orientationOf(image);
    const bool turns = orientation >= 5;
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(turns ? image->height : image->width);
        mHead.biHeight = std::int32_t(turns ? image->width : image->height);
        SetColourSpace(zvColourAsDecoded(colourOf(image)));
        return;
    }
    check(avifDecoderNextImage(decoder.get()));
    image = decoder->image;
    zvCheckDecodeSize(image->width, image->height, kLimits, bytes.size());
    const bool alpha = decoder->alphaPresent && image->alphaPlane;
    if (!Create(image->width, image->height, 24, ZV_TYPE_AVIF))
        throw ZvCodecError(GetLastError());

    const ZvColourSpacePtr colour = colourOf(image);
    if (colour && colour->IsHdr())
        StoreToneMapped(image, *colour, alpha);
    else
        StorePixels(image, alpha);
    SetColourSpace(zvColourAsDecoded(colour));
    if (GetKeepPhotoInfo()) {
        auto info = std::make_shared<ZvPhotoInfo>();
        const std::vector<std::uint8_t> exif = exifOfItem(image->exif);
        info->exif = zvExifFromForeign(exif.data(), exif.size(), true).payload;
        if (image->xmp.size)
            info->xmp.push_back(zvXmpPayloadOfPacket(image->xmp.data, image->xmp.size));
        info->icc.assign(image->icc.data, image->icc.data + image->icc.size);
        if (!info->IsEmpty())
            SetPhotoInfo(std::move(info));
    }
    if (!zvTurnUpright(*this, orientation))
        throw std::bad_alloc();
}

void ZvImageAVIF::StorePixels(const avifImage *image, bool alpha)
{
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.depth = 8; // libavif rounds deeper samples to the nearest 8-bit value
    std::vector<std::uint8_t> bgra;
    if (alpha) {
        if (!AlphaCreate())
            throw std::bad_alloc();
        rgb.format = AVIF_RGB_FORMAT_BGRA;
        rgb.rowBytes = image->width * 4;
        bgra.resize(std::size_t(rgb.rowBytes) * image->height);
        rgb.pixels = bgra.data();
    } else {
        // Top-down into the DIB, flipped into its bottom-up order below.
        rgb.format = AVIF_RGB_FORMAT_BGR;
        rgb.rowBytes = GetEffWidth();
        rgb.pixels = GetBits(0);
    }
    check(avifImageYUVToRGB(image, &rgb));
    if (!alpha) {
        Flip();
        return;
    }
    const std::uint32_t w = GetWidth(), h = GetHeight();
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *src = bgra.data() + std::size_t(y) * rgb.rowBytes;
        std::uint8_t *dst = GetBits(h - 1 - y);
        std::uint8_t *a = AlphaGetPointer(0, std::int32_t(h - 1 - y));
        for (std::uint32_t x = 0; x < w; ++x, src += 4, dst += 3) {
            std::memcpy(dst, src, 3);
            a[x] = src[3];
        }
    }
}

// PQ and HLG samples are taken at their own depth (RGBA, 16 bits a
// sample) and tone-mapped; the pixels are then sRGB and undescribed.
void ZvImageAVIF::StoreToneMapped(const avifImage *image, const ZvColourSpace &colour, bool alpha)
{
    if (alpha && !AlphaCreate())
        throw std::bad_alloc();
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.depth = image->depth; // 8, 10 or 12: code values as the file holds them
    rgb.format = AVIF_RGB_FORMAT_RGBA;
    rgb.rowBytes = image->width * 4 * 2;
    std::vector<std::uint16_t> samples(std::size_t(image->width) * image->height * 4);
    rgb.pixels = reinterpret_cast<std::uint8_t *>(samples.data());
    check(avifImageYUVToRGB(image, &rgb));
    const ZvHdrToneMap toneMap(colour, int(rgb.depth));
    const std::uint32_t w = GetWidth(), h = GetHeight(), max = (1u << rgb.depth) - 1;
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint16_t *src = samples.data() + std::size_t(y) * w * 4;
        std::uint8_t *dst = GetBits(h - 1 - y);
        std::uint8_t *a = alpha ? AlphaGetPointer(0, std::int32_t(h - 1 - y)) : nullptr;
        for (std::uint32_t x = 0; x < w; ++x, src += 4, dst += 3) {
            toneMap.MapToBgr(src[0], src[1], src[2], dst);
            if (a)
                a[x] = std::uint8_t((std::min<std::uint32_t>(src[3], max) * 255 + max / 2) / max);
        }
    }
}
