// imagelib/codecs/avif/codec_avif_encode.cpp
// AVIF encoding through libavif's AV1 encoder.
#include "imagelib/codecs/avif/codec_avif.h"
#include "imagelib/codecs/encode_rows.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"

#include <avif/avif.h>

#include <cmath>
#include <memory>

namespace {

struct ImageDeleter
{
    void operator()(avifImage *i) const { avifImageDestroy(i); }
};
struct EncoderDeleter
{
    void operator()(avifEncoder *e) const { avifEncoderDestroy(e); }
};
struct Output
{
    avifRWData data = AVIF_DATA_EMPTY;
    ~Output() { avifRWDataFree(&data); }
};

void check(avifResult result)
{
    if (result == AVIF_RESULT_OUT_OF_MEMORY)
        throw std::bad_alloc();
    if (result != AVIF_RESULT_OK)
        throw ZvCodecError(std::string("Error saving AVIF file: ") + avifResultToString(result));
}

void attachPhotoInfo(avifImage *image, const ZvPhotoInfo &info)
{
    if (!info.icc.empty())
        avifImageSetProfileICC(image, info.icc.data(), info.icc.size());
    const std::vector<std::uint8_t> tiff = zvTiffOfExif(info.exif);
    // libavif also turns the EXIF orientation into the file's own turn and
    // mirror boxes, so a viewer that ignores EXIF still shows it upright.
    if (!tiff.empty())
        avifImageSetMetadataExif(image, tiff.data(), tiff.size());
    if (!info.xmp.empty()) {
        const std::vector<std::uint8_t> packet = zvXmpPacketOfPayload(info.xmp.front());
        if (!packet.empty())
            avifImageSetMetadataXMP(image, packet.data(), packet.size());
    }
}

} // namespace

int ZvImageAVIF::QuantizerOfQuality(int quality)
{
    const int q = quality < 0 ? 0 : (quality > 100 ? 100 : quality);
    return int(std::lround((100 - q) * double(AVIF_QUANTIZER_WORST_QUALITY) / 100.0));
}

bool ZvImageAVIF::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    return RunGuarded(Step::Encode, "Can't allocate memory", [&] { EncodeBody(stream); });
}

void ZvImageAVIF::EncodeBody(ZvFile *stream)
{
    const ZvEncodeRows rows = zvEncodeRows(*this);
    std::unique_ptr<avifImage, ImageDeleter> image(
        avifImageCreate(rows.width, rows.height, 8, AVIF_PIXEL_FORMAT_YUV444));
    if (!image)
        throw std::bad_alloc();
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image.get());
    rgb.format = rows.channels == 4 ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
    rgb.pixels = const_cast<std::uint8_t *>(rows.bytes.data());
    rgb.rowBytes = rows.width * std::uint32_t(rows.channels);
    check(avifImageRGBToYUV(image.get(), &rgb));
    const ZvPhotoInfo *info = GetKeepPhotoInfo() ? GetPhotoInfo() : nullptr;
    if (info)
        attachPhotoInfo(image.get(), *info);

    std::unique_ptr<avifEncoder, EncoderDeleter> encoder(avifEncoderCreate());
    if (!encoder)
        throw std::bad_alloc();
    encoder->maxThreads = 1;
    const std::uint32_t option = GetCodecOption();
    encoder->speed = (option & kSpeedSet)
                         ? int(std::min<std::uint32_t>(option & kSpeedMask, AVIF_SPEED_FASTEST))
                         : kDefaultSpeed;
    const int quantizer = QuantizerOfQuality(GetJpegQuality());
    encoder->minQuantizer = quantizer;
    encoder->maxQuantizer = quantizer;
    encoder->minQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
    encoder->maxQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
    Output output;
    check(avifEncoderWrite(encoder.get(), image.get(), &output.data));
    if (stream->Write(output.data.data, 1, output.data.size) != output.data.size)
        throw ZvCodecError("Error writing AVIF file");
}
