// imagelib/codecs/tiff/codec_tif_encode.cpp
// TIFF encoding. The encoder runs on a ghost of the caller's picture: rows
// are converted in a buffer of their own (libtiff's predictor would
// otherwise difference the caller's pixels in place).
#include "imagelib/codecs/tiff/codec_tif.h"
#include "imagelib/codecs/tiff/tiff_client.h"
#include "imagelib/codecs/tiff/tiff_icc.h"
#include "imagelib/codecs/tiff/tiff_samples.h"
#include "imagelib/streams/file.h"

#include <new>
#include <vector>

namespace {

constexpr std::uint16_t kExtraAlpha[] = {EXTRASAMPLE_UNASSALPHA};

int greyOf(RGBQUAD c)
{
    return (306 * c.rgbRed + 601 * c.rgbGreen + 117 * c.rgbBlue) >> 10;
}

// Schemes libtiff can write here, and what each needs of the samples.
bool schemeFits(std::uint16_t scheme, std::uint16_t spp, std::uint16_t bps, std::uint16_t photometric)
{
    if (!TIFFIsCODECConfigured(scheme))
        return false;
    switch (scheme) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_LZMA:
    case COMPRESSION_ZSTD: return true;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return bps == 1 && spp == 1;
    case COMPRESSION_JPEG: return bps == 8 && photometric != PHOTOMETRIC_PALETTE;
    default: return false;
    }
}

} // namespace

struct ZvImageTIF::Plan
{
    std::uint16_t spp = 1;
    std::uint16_t bps = 8;
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    bool alpha = false;  // the last sample comes from the alpha plane
    bool expand = false; // an indexed picture written as RGB
    bool invert = false; // 1-bit indices written inverted for min-is-white
    std::size_t rowBytes = 0;
};

bool ZvImageTIF::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    // libtiff would read the head of a stream it appends to; an empty one
    // (perhaps write-only) simply gets a new file.
    const std::int64_t start = stream->Tell();
    const char *mode = stream->Size() > start ? "a" : "w";
    ZvTiffClient client(stream);
    try {
        if (!client.Open(mode))
            throw ZvCodecError("initialization fail");
        TIFF *tif = client.Handle();
        Plan plan;
        PlanPage(plan);
        WriteTags(tif, plan);
        WriteRows(tif, plan);
        if (!TIFFWriteDirectory(tif) || !client.Close())
            throw ZvCodecError("Error saving TIFF file");
        return true;
    } catch (const ZvCodecError &e) {
        Fail(e.what(), client.LibraryError());
    } catch (const std::bad_alloc &) {
        Fail("Error saving TIFF file", "out of memory");
    }
    return false;
}

void ZvImageTIF::PlanPage(Plan &plan)
{
    const RGBQUAD *pal = GetPalette();
    plan.alpha = mAlpha != nullptr && GetBpp() >= 8;
    switch (GetBpp()) {
    case 24: plan.spp = plan.alpha ? 4 : 3; break;
    case 8:
        plan.photometric = IsGrayScale() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
        plan.spp = plan.alpha ? 2 : 1;
        // A colour palette has no TIFF form with alpha: such pictures go out as RGBA.
        if (plan.alpha && plan.photometric == PHOTOMETRIC_PALETTE) {
            plan.expand = true;
            plan.spp = 4;
            plan.photometric = PHOTOMETRIC_RGB;
        }
        break;
    case 4: {
        bool ramp = true;
        for (std::uint8_t i = 0; i < 16 && ramp; ++i)
            ramp = pal[i].rgbRed == i * 17 && pal[i].rgbGreen == i * 17 && pal[i].rgbBlue == i * 17;
        plan.photometric = ramp ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
        plan.bps = 4;
        break;
    }
    default:
        plan.photometric = PHOTOMETRIC_MINISWHITE;
        plan.bps = 1;
        plan.invert = greyOf(pal[0]) < greyOf(pal[1]);
        break;
    }
    plan.rowBytes = (std::size_t(GetWidth()) * plan.spp * plan.bps + 7) / 8;
}

void ZvImageTIF::PlanCompression(TIFF *tif, Plan &plan)
{
    const std::uint32_t bits = std::uint32_t(plan.spp) * plan.bps;
    std::uint16_t scheme = bits == 1    ? COMPRESSION_CCITTFAX4
                           : bits == 4  ? COMPRESSION_NONE
                           : bits <= 16 ? COMPRESSION_PACKBITS
                                        : COMPRESSION_JPEG;
    // The option usually comes from a TIFF that was read; a scheme that does
    // not fit this picture falls back to the choice by bit count.
    const std::uint32_t option = GetCodecOption();
    if (option != 0 && option <= 0xFFFF &&
        schemeFits(std::uint16_t(option), plan.spp, plan.bps, plan.photometric))
        scheme = std::uint16_t(option);
    if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, scheme))
        throw ZvCodecError("Error saving TIFF file");
    if (scheme == COMPRESSION_LZW && bits >= 8)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    std::uint32_t rows = TIFFDefaultStripSize(tif, 0);
    if (scheme == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, int(GetJpegQuality()));
        rows = (rows + 7) / 8 * 8;
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
}

void ZvImageTIF::WriteTags(TIFF *tif, Plan &plan)
{
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, GetWidth());
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, GetHeight());
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, plan.spp);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, plan.bps);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, plan.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (plan.alpha)
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, kExtraAlpha);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    // A zero or negative resolution has no TIFF form; the tags are left out.
    if (GetXDPI() > 0)
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(GetXDPI()));
    if (GetYDPI() > 0)
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(GetYDPI()));
    if (plan.photometric == PHOTOMETRIC_PALETTE)
        WriteColourMap(tif);
    if (GetKeepPhotoInfo() && GetPhotoInfo())
        zvTiffSetProfile(tif, *GetPhotoInfo());
    PlanCompression(tif, plan);
}

void ZvImageTIF::WriteColourMap(TIFF *tif)
{
    std::uint16_t red[256] = {}, green[256] = {}, blue[256] = {};
    const RGBQUAD *pal = GetPalette();
    for (std::uint32_t i = 0; i < GetNumColors() && i < 256; ++i) {
        red[i] = std::uint16_t(pal[i].rgbRed * 257);
        green[i] = std::uint16_t(pal[i].rgbGreen * 257);
        blue[i] = std::uint16_t(pal[i].rgbBlue * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
}

void ZvImageTIF::WriteRows(TIFF *tif, const Plan &plan)
{
    std::vector<std::uint8_t> row(plan.rowBytes + 4);
    for (std::uint32_t y = 0; y < GetHeight(); ++y) {
        MakeRow(plan, y, row.data());
        if (TIFFWriteScanline(tif, row.data(), y, 0) < 0)
            throw ZvCodecError("Error saving TIFF file");
    }
}

// y counts from the top, as the file does.
void ZvImageTIF::MakeRow(const Plan &plan, std::uint32_t y, std::uint8_t *out) const
{
    const std::uint32_t dibRow = GetHeight() - 1 - y;
    const std::uint8_t *src = GetBits(dibRow);
    const std::uint8_t *alpha = plan.alpha ? mAlpha + std::size_t(dibRow) * GetWidth() : nullptr;
    const std::uint32_t w = GetWidth();
    if (GetBpp() == 24 && !alpha) {
        ZvTiffSamples::SwapRedBlue(src, out, w);
    } else if (GetBpp() == 24 || plan.expand) {
        const RGBQUAD *pal = plan.expand ? GetPalette() : nullptr;
        for (std::uint32_t x = 0; x < w; ++x) {
            if (pal) {
                const RGBQUAD c = pal[src[x]];
                *out++ = c.rgbRed;
                *out++ = c.rgbGreen;
                *out++ = c.rgbBlue;
            } else {
                const std::uint8_t *bgr = src + 3 * std::size_t(x);
                *out++ = bgr[2];
                *out++ = bgr[1];
                *out++ = bgr[0];
            }
            *out++ = alpha[x];
        }
    } else if (alpha) {
        for (std::uint32_t x = 0; x < w; ++x) {
            *out++ = src[x];
            *out++ = alpha[x];
        }
    } else {
        for (std::size_t i = 0; i < plan.rowBytes; ++i)
            out[i] = plan.invert ? std::uint8_t(~src[i]) : src[i];
    }
}
