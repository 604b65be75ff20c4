// imagelib/codecs/raw/codec_raw.cpp
#include "imagelib/codecs/raw/codec_raw.h"

#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/codecs/jpeg/jpeg_scale.h"
#include "imagelib/codecs/raw/raw_exif.h"
#include "imagelib/codecs/raw/raw_pixels.h"
#include "imagelib/codecs/raw/raw_signature.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/file.h"
#include "imagelib/streams/mem_file.h"

#include <libraw/libraw.h>

#include <memory>
#include <string>

namespace {

constexpr std::size_t kSignatureProbe = 16;

void check(int code)
{
    if (code == LIBRAW_SUCCESS)
        return;
    if (code == LIBRAW_UNSUFFICIENT_MEMORY)
        throw std::bad_alloc();
    if (code == LIBRAW_FILE_UNSUPPORTED)
        throw ZvCodecError("Not a camera RAW file");
    throw ZvCodecError(std::string("RAW: ") + libraw_strerror(code));
}

struct ProcessedFree
{
    void operator()(libraw_processed_image_t *image) const { LibRaw::dcraw_clear_mem(image); }
};
using ProcessedPtr = std::unique_ptr<libraw_processed_image_t, ProcessedFree>;

// The camera's turn as LibRaw keeps it; only the eight orientations count.
int cameraFlip(const LibRaw &raw)
{
    return raw.imgdata.sizes.flip & 7;
}

// The preview JPEG at the largest DCT reduction that still covers need
// (whose sides are upright; the preview is stored as the sensor saw it).
bool decodeJpegPreview(std::uint8_t *data, std::size_t size, bool turned, std::int32_t needWidth,
                       std::int32_t needHeight, ZvImageJPG &jpg)
{
    ZvMemFile probe(data, size);
    ZvImageJPG header;
    header.SetEscape(-1);
    if (!header.Decode(&probe) || header.GetWidth() == 0 || header.GetHeight() == 0)
        return false;
    const std::int64_t width = turned ? header.GetHeight() : header.GetWidth();
    const std::int64_t height = turned ? header.GetWidth() : header.GetHeight();
    jpg.SetJpegScale(std::uint8_t(chooseJpegScale(width, height, needWidth, needHeight)));
    ZvMemFile file(data, size);
    return jpg.Decode(&file);
}

// A fixed-size text field of LibRaw, which need not end in a zero.
template <std::size_t N> std::string fieldText(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

RawShotFacts shotFacts(const LibRaw &raw)
{
    const libraw_imgother_t &other = raw.imgdata.other;
    RawShotFacts f;
    f.make = fieldText(raw.imgdata.idata.make);
    f.model = fieldText(raw.imgdata.idata.model);
    f.lens = fieldText(raw.imgdata.lens.Lens);
    f.taken = other.timestamp;
    f.exposure = other.shutter;
    f.aperture = other.aperture;
    f.iso = other.iso_speed;
    f.focal = other.focal_len;
    const libraw_gps_info_t &gps = other.parsed_gps;
    f.hasGps = gps.gpsparsed && (gps.latref == 'N' || gps.latref == 'S') &&
               (gps.longref == 'E' || gps.longref == 'W');
    for (int i = 0; f.hasGps && i < 3; ++i) {
        f.latitude[i] = gps.latitude[i];
        f.longitude[i] = gps.longitude[i];
    }
    f.latitudeRef = gps.latref;
    f.longitudeRef = gps.longref;
    f.altitude = gps.altitude;
    f.belowSeaLevel = gps.altref == 1;
    return f;
}

} // namespace

// Raw sensor data is barely compressed: no picture passes for free, and a
// byte may stand for 8 pixels (a losslessly packed flat frame).
const ZvWholeFileCodec::Format ZvImageRAW::kFormat = {
    "camera RAW",
    kSignatureProbe,
    rawMayBeRaw,
    "Not a camera RAW file",
    "Not enough memory for the RAW picture",
    {std::size_t(1) << 30, std::uint64_t(1) << 27, 0, 8},
};

ZvImageRAW::ZvImageRAW()
    : ZvWholeFileCodec(ZV_TYPE_RAW, kFormat)
{
}

ZvImageRAW::~ZvImageRAW() = default;

void ZvImageRAW::DecodeBytes(std::vector<std::uint8_t> &bytes)
{
    // LibRaw is large (its tables are members); the heap keeps it off
    // the worker threads' stacks.
    auto raw = std::make_unique<LibRaw>(LIBRAW_OPIONS_NO_MEMERR_CALLBACK | LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
    Identify(*raw, bytes);
    if (GetKeepPhotoInfo()) {
        auto info = std::make_shared<ZvPhotoInfo>();
        info->exif = RawExifBlock(shotFacts(*raw));
        SetPhotoInfo(std::move(info));
    }
    if (GetEscape() == -1) {
        mInfo.dwType = ZV_TYPE_RAW;
        mHead.biWidth = mAsLoaded.biWidth;
        mHead.biHeight = mAsLoaded.biHeight;
        return;
    }
    if (!DecodePreview(*raw))
        DecodeFull(*raw);
}

void ZvImageRAW::Identify(LibRaw &raw, std::vector<std::uint8_t> &bytes)
{
    raw.imgdata.params.max_raw_memory_mb = kMaxRawMemoryMb;
    mFileBytes = bytes.size();
    check(raw.open_buffer(bytes.data(), bytes.size()));
    const libraw_image_sizes_t &sizes = raw.imgdata.sizes;
    if (sizes.width == 0 || sizes.height == 0 || sizes.raw_width == 0 || sizes.raw_height == 0)
        throw ZvCodecError("Not a camera RAW file");
    zvCheckDecodeSize(sizes.raw_width, sizes.raw_height, kFormat.limits, bytes.size());
    const bool turned = (cameraFlip(raw) & 4) != 0;
    mAsLoaded.biWidth = std::int32_t(turned ? sizes.height : sizes.width);
    mAsLoaded.biHeight = std::int32_t(turned ? sizes.width : sizes.height);
    mAsLoaded.biBitCount = 48;
}

// The embedded preview, when a reduced decode was asked for and the preview
// covers it; false leaves the full development to the caller.
bool ZvImageRAW::DecodePreview(LibRaw &raw)
{
    // A preview claiming far more pixels than the file could hold is not
    // worth LibRaw's allocation; the developed picture is bounded already.
    const libraw_thumbnail_t &preview = raw.imgdata.thumbnail;
    if (GetReducedWidth() <= 0 || GetReducedHeight() <= 0 ||
        std::int64_t(preview.twidth) * preview.theight > std::int64_t(mFileBytes) * kPreviewPixelsPerByte ||
        raw.unpack_thumb() != LIBRAW_SUCCESS)
        return false;
    const int flip = cameraFlip(raw);
    int error = 0;
    const ProcessedPtr thumb(raw.dcraw_make_mem_thumb(&error));
    if (!thumb || error != LIBRAW_SUCCESS)
        return false;
    const bool turned = (flip & 4) != 0;
    auto covers = [&](std::int64_t storedWidth, std::int64_t storedHeight) {
        return zvRenditionCovers(mAsLoaded.biWidth, mAsLoaded.biHeight, turned ? storedHeight : storedWidth,
                                 turned ? storedWidth : storedHeight, GetReducedWidth(), GetReducedHeight());
    };
    if (thumb->type == LIBRAW_IMAGE_BITMAP) {
        const std::size_t need =
            std::size_t(thumb->width) * thumb->height * thumb->colors * (thumb->bits / 8);
        if ((thumb->colors != 1 && thumb->colors != 3) || (thumb->bits != 8 && thumb->bits != 16) ||
            thumb->data_size < need || !covers(thumb->width, thumb->height))
            return false;
        const RawPlane plane{thumb->data, thumb->width, thumb->height, thumb->colors, thumb->bits};
        return rawCopyPlane(plane, flip, *this);
    }
    if (thumb->type != LIBRAW_IMAGE_JPEG)
        return false;
    ZvImageJPG jpg;
    if (!decodeJpegPreview(thumb->data, thumb->data_size, turned, GetReducedWidth(), GetReducedHeight(),
                           jpg) ||
        !covers(jpg.GetWidth(), jpg.GetHeight()))
        return false;
    if (!rawCopyTurned(jpg, flip, *this))
        return false;
    // A camera set to Adobe RGB says so in its preview, as in its JPEGs.
    SetColourSpace(jpg.GetColourSpacePtr());
    return true;
}

void ZvImageRAW::DecodeFull(LibRaw &raw)
{
    check(raw.unpack());
    raw.imgdata.params.use_camera_wb = 1;
    raw.imgdata.params.output_bps = 16;
    // sRGB primaries and the sRGB curve (LibRaw's default curve is the
    // BT.709 one, {0.45, 4.5}, which is darker in the mid-tones than what
    // every viewer assumes of undescribed pixels).
    raw.imgdata.params.output_color = 1;
    raw.imgdata.params.gamm[0] = 1 / 2.4;
    raw.imgdata.params.gamm[1] = 12.92;
    check(raw.dcraw_process());
    int error = 0;
    const ProcessedPtr image(raw.dcraw_make_mem_image(&error));
    check(error);
    if (!image)
        throw std::bad_alloc();
    const std::size_t need = std::size_t(image->width) * image->height * image->colors * (image->bits / 8);
    if (image->type != LIBRAW_IMAGE_BITMAP || (image->colors != 1 && image->colors != 3) ||
        (image->bits != 8 && image->bits != 16) || image->data_size < need)
        throw ZvCodecError("RAW: the developed picture has an unknown layout");
    // dcraw_make_mem_image has turned the picture by the camera's turn already.
    const RawPlane plane{image->data, image->width, image->height, image->colors, image->bits};
    if (!rawCopyPlane(plane, 0, *this))
        throw std::bad_alloc();
}
