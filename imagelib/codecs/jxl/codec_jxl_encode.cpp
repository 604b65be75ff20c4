// imagelib/codecs/jxl/codec_jxl_encode.cpp
// JPEG XL encoding through libjxl, with the kept photo information in the
// container's boxes.
#include "imagelib/codecs/encode_rows.h"
#include "imagelib/codecs/jpeg/photo_payload.h"
#include "imagelib/codecs/jxl/codec_jxl.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"

#include <jxl/encode.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kOutputStep = 1 << 16;

struct EncoderDeleter
{
    void operator()(JxlEncoder *e) const { JxlEncoderDestroy(e); }
};

void check(JxlEncoderStatus status)
{
    if (status != JXL_ENC_SUCCESS)
        throw ZvCodecError("Error saving JPEG XL file");
}

void setColour(JxlEncoder *enc, const ZvPhotoInfo *info, bool grey)
{
    // A kept profile the library cannot use falls back to sRGB.
    if (info && !info->icc.empty() &&
        JxlEncoderSetICCProfile(enc, info->icc.data(), info->icc.size()) == JXL_ENC_SUCCESS)
        return;
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, grey ? JXL_TRUE : JXL_FALSE);
    check(JxlEncoderSetColorEncoding(enc, &colour));
}

void addBoxes(JxlEncoder *enc, const ZvPhotoInfo &info)
{
    std::vector<std::uint8_t> exif = zvTiffOfExif(info.exif);
    std::vector<std::uint8_t> xmp =
        info.xmp.empty() ? std::vector<std::uint8_t>() : zvXmpPacketOfPayload(info.xmp.front());
    if (exif.empty() && xmp.empty())
        return;
    check(JxlEncoderUseBoxes(enc));
    if (!exif.empty()) {
        // The box begins with the offset of the TIFF header: right after it.
        exif.insert(exif.begin(), 4, 0);
        check(JxlEncoderAddBox(enc, "Exif", exif.data(), exif.size(), JXL_FALSE));
    }
    if (!xmp.empty())
        check(JxlEncoderAddBox(enc, "xml ", xmp.data(), xmp.size(), JXL_FALSE));
    JxlEncoderCloseBoxes(enc);
}

} // namespace

float ZvImageJXL::DistanceOfQuality(int quality)
{
    const int q = quality < 0 ? 0 : (quality > 100 ? 100 : quality);
    if (q >= 30)
        return 0.1f + float(100 - q) * 0.09f;
    return 6.4f + float(std::pow(2.5, (30 - q) / 5.0)) / 6.25f;
}

bool ZvImageJXL::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    return RunGuarded(Step::Encode, "Can't allocate memory", [&] { EncodeBody(stream); });
}

void ZvImageJXL::EncodeBody(ZvFile *stream)
{
    const ZvEncodeRows rows = zvEncodeRows(*this);
    const bool lossless = (GetCodecOption() & kLossless) != 0;
    const ZvPhotoInfo *info = GetKeepPhotoInfo() ? GetPhotoInfo() : nullptr;
    std::unique_ptr<JxlEncoder, EncoderDeleter> encoder(JxlEncoderCreate(nullptr));
    JxlEncoder *enc = encoder.get();
    if (!enc)
        throw std::bad_alloc();

    JxlBasicInfo basic;
    JxlEncoderInitBasicInfo(&basic);
    basic.xsize = rows.width;
    basic.ysize = rows.height;
    basic.bits_per_sample = 8;
    basic.num_color_channels = 3;
    if (rows.channels == 4) {
        basic.alpha_bits = 8;
        basic.num_extra_channels = 1;
    }
    // Lossless keeps the samples as they are; lossy codes in the
    // library's own perceptual space.
    basic.uses_original_profile = lossless ? JXL_TRUE : JXL_FALSE;
    check(JxlEncoderSetBasicInfo(enc, &basic));
    setColour(enc, info, false);
    if (info)
        addBoxes(enc, *info);

    JxlEncoderFrameSettings *settings = JxlEncoderFrameSettingsCreate(enc, nullptr);
    if (!settings)
        throw std::bad_alloc();
    if (lossless)
        check(JxlEncoderSetFrameLossless(settings, JXL_TRUE));
    else
        check(JxlEncoderSetFrameDistance(settings, DistanceOfQuality(GetJpegQuality())));
    const JxlPixelFormat format{std::uint32_t(rows.channels), JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    check(JxlEncoderAddImageFrame(settings, &format, rows.bytes.data(), rows.bytes.size()));
    JxlEncoderCloseInput(enc);

    std::vector<std::uint8_t> out(kOutputStep);
    std::uint8_t *next = out.data();
    std::size_t avail = out.size();
    JxlEncoderStatus status;
    while ((status = JxlEncoderProcessOutput(enc, &next, &avail)) == JXL_ENC_NEED_MORE_OUTPUT) {
        const std::size_t used = std::size_t(next - out.data());
        out.resize(out.size() * 2);
        next = out.data() + used;
        avail = out.size() - used;
    }
    check(status);
    const std::size_t size = std::size_t(next - out.data());
    if (stream->Write(out.data(), 1, size) != size)
        throw ZvCodecError("Error writing JPEG XL file");
}
