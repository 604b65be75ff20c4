// imagelib/codecs/jpeg/codec_jpg.cpp
#include "imagelib/codecs/jpeg/codec_jpg.h"

#include "imagelib/codecs/jpeg/jpeg_stream.h"
#include "imagelib/colour/cmyk_to_srgb.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kOptBaseline = 0x1;
constexpr std::uint32_t kOptEncodeGrey = 0x4;
constexpr std::uint32_t kOptSmoothing = 0x40;
constexpr std::uint32_t kOptDecodeGrey = 0x80;
constexpr std::uint32_t kOptQuantize = 0x100;
constexpr std::uint32_t kOptDither = 0x200;
constexpr std::uint32_t kOptOnePass = 0x400;
constexpr std::uint32_t kOptPlainUpsampling = 0x800;

// Rows handed to libjpeg per call: it fills as many as one row group gives,
// straight into the picture's own rows.
constexpr JDIMENSION kRowBatch = 16;
constexpr int kMaxDensity = 65535; // what the JFIF density fields hold

// Everything libjpeg touches during one decode or encode. No member has a
// destructor, so a longjmp out of the library leaves nothing behind.
struct DecodeFrame
{
    jpeg_decompress_struct cinfo;
    ZvJpegError err;
    ZvJpegSource src;
};

struct EncodeFrame
{
    jpeg_compress_struct cinfo;
    ZvJpegError err;
    ZvJpegDestination dst;
};

j_common_ptr common(jpeg_decompress_struct &cinfo)
{
    return reinterpret_cast<j_common_ptr>(&cinfo);
}

j_common_ptr common(jpeg_compress_struct &cinfo)
{
    return reinterpret_cast<j_common_ptr>(&cinfo);
}

// CMYK files as common encoders write them store inverted inks, so C x K
// is already the red share.
void cmykToBgr(const JSAMPLE *src, std::uint8_t *dst, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, src += 4, dst += 3) {
        const unsigned k = src[3];
        dst[0] = std::uint8_t(src[2] * k / 255);
        dst[1] = std::uint8_t(src[1] * k / 255);
        dst[2] = std::uint8_t(src[0] * k / 255);
    }
}

// 0 when EXIF gives no usable value.
int exifDpi(double resolution, double unitFactor)
{
    if (resolution == 0 || unitFactor == 0)
        return 0;
    const double dpi = std::floor(resolution / unitFactor);
    return dpi >= 1 && dpi <= kMaxDensity ? int(dpi) : 0;
}

// 0 when the JFIF fields give no resolution. Without a unit the values are
// taken as they are (some writers store 72:72 with unit 0), except a pair
// that is only a pixel aspect ratio such as 1:1, which would make 1 DPI.
// Files without a JFIF marker leave libjpeg's 1:1 default.
int jfifDpi(const jpeg_decompress_struct &cinfo, unsigned density)
{
    if (!cinfo.saw_JFIF_marker || density == 0)
        return 0;
    if (cinfo.density_unit == 1)
        return int(density);
    if (cinfo.density_unit == 2)
        return int(std::floor(density * 2.54 + 0.5));
    return cinfo.X_density > 1 && cinfo.Y_density > 1 ? int(density) : 0;
}

// Huffman coding spends at least one bit on every 8 x 8 block of every
// component (its DC difference; a sequential scan also its end of block), so
// a file with less data than that is cut off or forged. Refusing it before
// anything is allocated keeps a few hundred bytes from claiming gigabytes and
// minutes; cut-off files that keep at least that much still decode, grey below
// the cut, and say so in their damage.
// Arithmetic coding has no such floor: a flat picture costs a few dozen bytes
// at any size (16000 x 16000 grey in 125), and data cut off decodes as one.
// Those files get a budget of their own instead: kArithmeticFreeBlocks
// whatever the data (about 2 s and 270 MB of grey), beyond that one byte per
// kArithmeticBlocksPerByte blocks, which only nearly flat pictures undercut.
constexpr std::uint64_t kArithmeticFreeBlocks = std::uint64_t(1) << 22;
constexpr std::uint64_t kArithmeticBlocksPerByte = 512;

bool tooLittleData(const jpeg_decompress_struct &cinfo)
{
    const auto *src = reinterpret_cast<const ZvJpegSource *>(cinfo.src);
    if (src->available < 0)
        return false;
    std::uint64_t blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += std::uint64_t(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks;
    if (cinfo.arith_code)
        return blocks > kArithmeticFreeBlocks &&
               blocks / kArithmeticBlocksPerByte > std::uint64_t(src->available);
    return blocks / 8 > std::uint64_t(src->available);
}

} // namespace

bool ZvImageJPG::DecodeExif(ZvFile *stream)
{
    if (!stream) {
        mExifInfo.Clear();
        return false;
    }
    const std::int64_t start = stream->Tell();
    bool found = false;
    try {
        found = mExifInfo.Read(stream);
    } catch (const std::exception &) {
        mExifInfo.isExif = false;
    }
    stream->Seek(start, SEEK_FROM_START);
    return found;
}

bool ZvImageJPG::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    const bool exif = DecodeExif(stream);
    DecodeFrame frame;
    frame.cinfo.err = zvJpegErrorInit(frame.err);
    if (setjmp(frame.err.jump)) {
        mCmyk.reset();
        jpeg_destroy_decompress(&frame.cinfo);
        Destroy();
        SetLastError(frame.err.message);
        return false;
    }
    jpeg_create_decompress(&frame.cinfo);
    zvJpegDecodeSetup(&frame.cinfo, frame.src, frame.err, stream);
    const bool ok = DecodeFromHeader(frame.cinfo, exif);
    mCmyk.reset();
    jpeg_destroy_decompress(&frame.cinfo);
    if (!ok)
        Destroy();
    return ok;
}

// Everything from the header on may jump back into Decode; only plain data
// lives in these frames.
bool ZvImageJPG::DecodeFromHeader(jpeg_decompress_struct &cinfo, bool exif)
{
    const bool keepInfo = GetKeepPhotoInfo() && GetEscape() != -1;
    SavePhotoMarkers(cinfo, keepInfo);
    jpeg_read_header(&cinfo, TRUE);
    ReadProfile(cinfo, exif, keepInfo);
    // Known from the header alone, so that a size query gives it too.
    SetOrientation(exif ? mExifInfo.orientation : 0);
    if (cinfo.jpeg_color_space == JCS_UNKNOWN) {
        SetLastError("Unsupported JPEG colour space");
        return false;
    }
    ApplyDecodeOptions(cinfo);
    cinfo.scale_num = 1;
    cinfo.scale_denom = GetJpegScale() ? GetJpegScale() : 1;
    jpeg_calc_output_dimensions(&cinfo);
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(cinfo.output_width);
        mHead.biHeight = std::int32_t(cinfo.output_height);
        return true;
    }
    if (tooLittleData(cinfo)) {
        SetLastError("Not enough image data");
        return false;
    }
    // The picture is made before libjpeg allocates its own buffers, so that
    // the size limit of Create turns away absurd dimensions first.
    if (!Create(cinfo.output_width, cinfo.output_height, 8 * std::uint32_t(cinfo.output_components),
                ZV_TYPE_JPG))
        return false;
    jpeg_start_decompress(&cinfo);
    ApplyResolution(cinfo, exif);
    ApplyPalette(cinfo);
    if (!ReadRows(cinfo)) {
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    jpeg_finish_decompress(&cinfo);
    const auto *err = reinterpret_cast<const ZvJpegError *>(cinfo.err);
    if (err->endedEarly)
        SetDamage("the file ends early; the rest of the picture is filled with grey");
    else if (err->corrupt)
        SetDamage("corrupt picture data; parts of the picture are filled in");
    return true;
}

void ZvImageJPG::ApplyDecodeOptions(jpeg_decompress_struct &cinfo) const
{
    const std::uint32_t option = GetCodecOption();
    // libjpeg converts CMYK to nothing else; such files always come out in colour.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool quantize = (option & kOptQuantize) && !cmyk;
    // BGR output is the picture's own byte order; the quantiser wants RGB.
    if (cmyk)
        cinfo.out_color_space = JCS_CMYK;
    else if ((option & kOptDecodeGrey) || cinfo.jpeg_color_space == JCS_GRAYSCALE)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else
        cinfo.out_color_space = quantize ? JCS_RGB : JCS_EXT_BGR;
    if (quantize) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = GetJpegQuality();
    }
    if (option & kOptDither)
        cinfo.dither_mode = J_DITHER_MODE(mDitherMode);
    if (option & kOptOnePass)
        cinfo.two_pass_quantize = FALSE;
    if (option & kOptPlainUpsampling)
        cinfo.do_fancy_upsampling = FALSE;
}

// Per axis: EXIF's value when it has one, else JFIF's, else the DPI the
// picture already carries.
void ZvImageJPG::ApplyResolution(const jpeg_decompress_struct &cinfo, bool exif)
{
    const int exifX = exif ? exifDpi(mExifInfo.xResolution, mExifInfo.resolutionUnit) : 0;
    const int exifY = exif ? exifDpi(mExifInfo.yResolution, mExifInfo.resolutionUnit) : 0;
    const int x = exifX ? exifX : jfifDpi(cinfo, cinfo.X_density);
    const int y = exifY ? exifY : jfifDpi(cinfo, cinfo.Y_density);
    if (x)
        SetXDPI(x);
    if (y)
        SetYDPI(y);
}

void ZvImageJPG::ApplyPalette(const jpeg_decompress_struct &cinfo)
{
    if (cinfo.quantize_colors && cinfo.colormap) {
        const int n = std::min(cinfo.actual_number_of_colors, 256);
        const bool grey = cinfo.out_color_components == 1;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t r = cinfo.colormap[0][i];
            const std::uint8_t g = grey ? r : cinfo.colormap[1][i];
            const std::uint8_t b = grey ? r : cinfo.colormap[2][i];
            SetPaletteColor(std::uint8_t(i), RGBQUAD{b, g, r, 0});
        }
    } else if (cinfo.output_components == 1) {
        SetGrayPalette();
    }
}

// Rows arrive top first; row 0 of the picture is the bottom one.
bool ZvImageJPG::ReadRows(jpeg_decompress_struct &cinfo)
{
    const bool cmyk = cinfo.output_components == 4;
    JSAMPARRAY scratch = nullptr;
    if (cmyk)
        scratch = (*cinfo.mem->alloc_sarray)(common(cinfo), JPOOL_IMAGE, cinfo.output_width * 4, kRowBatch);
    JSAMPROW rows[kRowBatch];
    const std::uint32_t last = GetHeight() - 1;
    while (cinfo.output_scanline < cinfo.output_height) {
        if (GetEscape() != 0) {
            SetLastError("Cancelled");
            return false;
        }
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION want = std::min(kRowBatch, cinfo.output_height - first);
        for (JDIMENSION i = 0; i < want; ++i)
            rows[i] = cmyk ? scratch[i] : GetBits(last - (first + i));
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, want);
        if (got == 0) {
            SetLastError("JPEG data ended unexpectedly");
            return false;
        }
        for (JDIMENSION i = 0; cmyk && i < got; ++i) {
            if (mCmyk)
                mCmyk->Convert(scratch[i], GetBits(last - (first + i)), cinfo.output_width);
            else
                cmykToBgr(scratch[i], GetBits(last - (first + i)), cinfo.output_width);
        }
        SetProgress(std::int32_t(std::uint64_t(cinfo.output_scanline) * 100 / cinfo.output_height));
    }
    return true;
}

bool ZvImageJPG::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    if (IsIndexed() && !IsGrayScale()) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    const bool grey = IsIndexed();
    EncodeFrame frame;
    frame.cinfo.err = zvJpegErrorInit(frame.err);
    if (setjmp(frame.err.jump)) {
        jpeg_destroy_compress(&frame.cinfo);
        SetLastError(frame.err.message);
        return false;
    }
    jpeg_create_compress(&frame.cinfo);
    zvJpegDestinationInit(&frame.cinfo, frame.dst, stream);
    SetupCompress(frame.cinfo, grey);
    jpeg_start_compress(&frame.cinfo, TRUE);
    if (GetKeepPhotoInfo())
        WritePhotoInfo(frame.cinfo);
    WriteRows(frame.cinfo, grey);
    jpeg_finish_compress(&frame.cinfo);
    jpeg_destroy_compress(&frame.cinfo);
    return true;
}

void ZvImageJPG::SetupCompress(jpeg_compress_struct &cinfo, bool grey) const
{
    const std::uint32_t option = GetCodecOption();
    cinfo.image_width = GetWidth();
    cinfo.image_height = GetHeight();
    cinfo.input_components = grey ? 1 : 3;
    // BGR input takes the rows as they are; the file is the same as from
    // swapped RGB rows.
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    if (option & kOptEncodeGrey)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (option & kOptSmoothing)
        cinfo.smoothing_factor = mSmoothing;
    jpeg_set_quality(&cinfo, GetJpegQuality(), (option & kOptBaseline) ? TRUE : FALSE);
    cinfo.density_unit = 1;
    cinfo.X_density = UINT16(std::clamp(GetXDPI(), 1, kMaxDensity));
    cinfo.Y_density = UINT16(std::clamp(GetYDPI(), 1, kMaxDensity));
}

// Rows go out top first. 24-bit and 8-bit grey rows are handed over as they
// lie; 1- and 4-bit grey rows are widened to one sample per pixel.
void ZvImageJPG::WriteRows(jpeg_compress_struct &cinfo, bool grey)
{
    const bool widen = grey && GetBpp() != 8;
    JSAMPARRAY scratch = nullptr;
    if (widen)
        scratch = (*cinfo.mem->alloc_sarray)(common(cinfo), JPOOL_IMAGE, cinfo.image_width, 1);
    const RGBQUAD *palette = GetPalette();
    const std::uint32_t last = GetHeight() - 1;
    JSAMPROW rows[kRowBatch];
    while (cinfo.next_scanline < cinfo.image_height) {
        const JDIMENSION first = cinfo.next_scanline;
        const JDIMENSION count = widen ? 1 : std::min(kRowBatch, cinfo.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = GetBits(last - (first + i));
        if (widen) {
            for (JDIMENSION x = 0; x < cinfo.image_width; ++x)
                scratch[0][x] = palette[BlindGetPixelIndex(rows[0], std::int32_t(x), GetBpp())].rgbRed;
            rows[0] = scratch[0];
        }
        jpeg_write_scanlines(&cinfo, rows, count);
    }
}
