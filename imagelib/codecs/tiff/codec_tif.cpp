// imagelib/codecs/tiff/codec_tif.cpp
// TIFF decoding; the encoder is in codec_tif_encode.cpp.
#include "imagelib/codecs/tiff/codec_tif.h"
#include "imagelib/codecs/tiff/tiff_client.h"
#include "imagelib/codecs/tiff/tiff_colour.h"
#include "imagelib/codecs/tiff/tiff_colour_map.h"
#include "imagelib/codecs/tiff/tiff_icc.h"
#include "imagelib/codecs/tiff/tiff_rows.h"
#include "imagelib/codecs/tiff/tiff_samples.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr double kMaxDpi = 1000000.0;
// One band of libtiff's RGBA raster is refused beyond this.
constexpr std::uint64_t kMaxRasterBytes = std::uint64_t(1) << 30;

enum class Path { Indexed, Samples, Rgba };

// Ends libtiff's RGBA reader on every path out of ReadRgba.
struct RgbaImageEnd
{
    TIFFRGBAImage *img;
    ~RgbaImageEnd() { TIFFRGBAImageEnd(img); }
};

std::uint16_t inkSet(TIFF *tif)
{
    std::uint16_t ink = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &ink);
    return ink;
}

std::int32_t clampToInt(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

struct ZvImageTIF::Page
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t spp = 1;
    std::uint16_t bps = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t format = SAMPLEFORMAT_UINT;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t colourSamples = 1;
    int alpha = -1;          // sample holding alpha, or -1
    bool associated = false; // colours premultiplied by alpha
    Path path = Path::Rgba;
    std::uint32_t bpp = 24;
    // Samples feeding red, green, blue, black (CMYK only) and alpha; -1 none.
    int channels[5] = {0, 0, 0, -1, -1};
    ZvTiffColourMap colourMap; // for palette pages read as 24 bits
    bool MinIsWhite() const { return photometric == PHOTOMETRIC_MINISWHITE; }
    ZvTiffSampleFormat Samples() const { return {bps, format}; }
};

bool ZvImageTIF::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("Error encountered while opening TIFF file");
        return false;
    }
    ZvTiffClient client(stream);
    try {
        if (!client.Open("rm"))
            throw ZvCodecError("Error encountered while opening TIFF file");
        DecodePage(client.Handle(), client.Available());
        return true;
    } catch (const ZvCodecError &e) {
        Fail(e.what(), client.LibraryError());
    } catch (const std::bad_alloc &) {
        Fail("No space for raster buffer", "");
    }
    Destroy();
    return false;
}

// Our message for the failed step, followed by libtiff's own words when it
// gave some (not for the size query or a cancel, whose words add nothing).
void ZvImageTIF::Fail(const char *message, const char *detail)
{
    std::string text = message;
    if (detail && *detail && std::strcmp(message, "output dimensions returned") != 0 &&
        std::strcmp(message, "Cancelled") != 0)
        text += std::string(" (") + detail + ")";
    SetLastError(text.c_str());
}

void ZvImageTIF::DecodePage(TIFF *tif, std::int64_t available)
{
    SelectFrame(tif);
    // First, while the page's fields are as libtiff read them.
    SetColourSpace(zvTiffReadColour(tif, tdir_t(GetFrame())));
    Page page;
    ReadTags(tif, page);
    ChooseLayout(tif, page);
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(page.width);
        mHead.biHeight = std::int32_t(page.height);
        mHead.biBitCount = std::uint16_t(page.bpp);
        throw ZvCodecError("output dimensions returned");
    }
    // Uncompressed pixels cannot outnumber the bytes of the file.
    if (page.compression == COMPRESSION_NONE && available >= 0) {
        const std::uint64_t planes = page.planar == PLANARCONFIG_SEPARATE ? page.spp : 1;
        const std::uint64_t stored = TIFFVStripSize64(tif, page.height);
        if (stored == 0 || stored > std::uint64_t(available) / planes)
            throw ZvCodecError("Corrupted TIFF file!");
    }
    if (!Create(page.width, page.height, page.bpp, ZV_TYPE_TIF))
        throw ZvCodecError((std::string("ZvImageTIF can't create image: ") + GetLastError()).c_str());
    ReadResolution(tif);
    if (GetKeepPhotoInfo())
        SetPhotoInfo(zvTiffReadProfile(tif));
    switch (page.path) {
    case Path::Indexed:
        ReadPalette(tif, page);
        ReadIndexed(tif, page);
        break;
    case Path::Samples: ReadSamples(tif, page); break;
    case Path::Rgba: ReadRgba(tif, page); break;
    }
}

void ZvImageTIF::SelectFrame(TIFF *tif)
{
    const tdir_t count = TIFFNumberOfDirectories(tif);
    mInfo.nNumFrames = count > tdir_t(INT32_MAX) ? INT32_MAX : std::int32_t(count);
    const std::int32_t frame = GetFrame();
    if (frame < 0 || tdir_t(frame) >= count || (frame > 0 && !TIFFSetDirectory(tif, tdir_t(frame))))
        throw ZvCodecError("Error: page not present in TIFF file");
}

void ZvImageTIF::ReadTags(TIFF *tif, Page &page)
{
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &page.spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &page.bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &page.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &page.format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &page.compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric))
        page.photometric = page.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    SetCodecOption(page.compression);
    std::uint16_t orientation = 0;
    SetOrientation(TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation) ? orientation : 0);
    if (page.width == 0 || page.height == 0 || page.spp == 0)
        throw ZvCodecError("Corrupted TIFF file!");

    std::uint16_t extraCount = 0;
    std::uint16_t *extra = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    if (extraCount >= page.spp)
        extraCount = 0;
    page.colourSamples = std::uint16_t(page.spp - extraCount);
    for (std::uint16_t i = 0; i < extraCount && page.alpha < 0; ++i) {
        if (extra[i] == EXTRASAMPLE_ASSOCALPHA || extra[i] == EXTRASAMPLE_UNASSALPHA) {
            page.alpha = page.colourSamples + i;
            page.associated = extra[i] == EXTRASAMPLE_ASSOCALPHA;
        }
    }
    // libtiff's reader takes an undeclared fourth RGB sample as premultiplied alpha.
    if (extraCount == 0 && page.spp == 4 && page.photometric == PHOTOMETRIC_RGB) {
        page.colourSamples = 3;
        page.alpha = 3;
        page.associated = true;
    }
}

void ZvImageTIF::ChooseLayout(TIFF *tif, Page &page)
{
    const bool grey =
        page.photometric == PHOTOMETRIC_MINISBLACK || page.photometric == PHOTOMETRIC_MINISWHITE;
    const bool palette = page.photometric == PHOTOMETRIC_PALETTE;
    const bool readable = ZvTiffSamples::Readable(page.Samples());
    const bool integer = readable && page.format != SAMPLEFORMAT_IEEEFP;
    const bool single = page.colourSamples == 1;
    page.path = Path::Samples;
    page.bpp = 24;
    if (grey && single && page.alpha < 0 && readable) {
        page.path = Path::Indexed;
        page.bpp = page.bps == 1 ? 1 : (page.bps == 4 && integer) ? 4 : 8;
    } else if (palette && single && page.alpha < 0 && integer && page.bps <= 8) {
        page.path = Path::Indexed;
        page.bpp = page.bps == 1 ? 1 : page.bps == 4 ? 4 : 8;
    } else if (page.photometric == PHOTOMETRIC_RGB && page.colourSamples >= 3 && readable) {
        page.channels[1] = 1;
        page.channels[2] = 2;
    } else if (page.photometric == PHOTOMETRIC_SEPARATED && page.colourSamples >= 4 && readable &&
               inkSet(tif) == INKSET_CMYK) {
        page.channels[1] = 1;
        page.channels[2] = 2;
        page.channels[3] = 3;
    } else if (grey && single && readable) {
        // grey with alpha: the same sample feeds all three channels
    } else if (palette && single && integer && page.bps <= 16) {
        if (!page.colourMap.Load(tif, page.bps))
            throw ZvCodecError("Unable to allocate TIFF palette");
    } else if (page.photometric == PHOTOMETRIC_YCBCR && page.compression == COMPRESSION_JPEG &&
               page.bps == 8 && page.colourSamples == 3 && page.planar == PLANARCONFIG_CONTIG &&
               TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) {
        // the JPEG codec hands out RGB rows; read them like an RGB page
        page.channels[1] = 1;
        page.channels[2] = 2;
    } else {
        page.path = Path::Rgba;
    }
    page.channels[4] = page.alpha;
}

void ZvImageTIF::ReadResolution(TIFF *tif)
{
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    auto dpi = [unit](float resolution) {
        return unit == RESUNIT_CENTIMETER ? double(resolution) * 2.54 + 0.5 : double(resolution);
    };
    float xres = 0, yres = 0, xpos = 0, ypos = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && dpi(xres) >= 1 && dpi(xres) <= kMaxDpi)
        SetXDPI(std::int32_t(dpi(xres)));
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) && dpi(yres) >= 1 && dpi(yres) <= kMaxDpi)
        SetYDPI(std::int32_t(dpi(yres)));
    // Positions are in resolution units; offsets are pixels.
    const bool hasX = TIFFGetField(tif, TIFFTAG_XPOSITION, &xpos) != 0;
    const bool hasY = TIFFGetField(tif, TIFFTAG_YPOSITION, &ypos) != 0;
    if (hasX || hasY)
        SetOffset(clampToInt(double(xpos) * (xres > 0 ? xres : 1.0) + 0.5),
                  clampToInt(double(ypos) * (yres > 0 ? yres : 1.0) + 0.5));
}

void ZvImageTIF::ReadPalette(TIFF *tif, const Page &page)
{
    RGBQUAD *pal = GetPalette();
    const std::uint32_t n = GetNumColors();
    if (page.photometric == PHOTOMETRIC_PALETTE) {
        ZvTiffColourMap map;
        if (!map.Load(tif, page.bps))
            throw ZvCodecError("Unable to allocate TIFF palette");
        for (std::uint32_t i = 0; i < n && i < map.Size(); ++i)
            pal[i] = map.At(i);
        return;
    }
    // 8-bit grey is stored as levels with the identity ramp (min-is-white
    // values are inverted while reading), so that it counts as greyscale.
    const std::uint32_t step = n == 256 ? 1 : 255 / (n - 1);
    const bool reversed = page.MinIsWhite() && n != 256;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t v = std::uint8_t(reversed ? 255 - i * step : i * step);
        pal[i] = RGBQUAD{v, v, v, 0};
    }
}

void ZvImageTIF::ReadIndexed(TIFF *tif, const Page &page)
{
    const bool separate = page.planar == PLANARCONFIG_SEPARATE;
    ZvTiffRows rows(tif, {0});
    const ZvTiffSamples samples(page.Samples(), separate ? 1 : page.spp);
    const bool raw =
        page.bps == page.bpp && page.format != SAMPLEFORMAT_IEEEFP && (separate || page.spp == 1);
    const bool grey = page.photometric != PHOTOMETRIC_PALETTE;
    const bool invert = grey && page.MinIsWhite() && page.bpp == 8;
    const std::size_t rowBytes = (std::size_t(page.width) * page.bpp + 7) / 8;
    for (std::uint32_t y = 0; y < page.height; ++y) {
        CheckEscape();
        const std::uint8_t *src = rows.Row(y, 0);
        std::uint8_t *dst = GetBits(page.height - 1 - y);
        if (raw) {
            std::memcpy(dst, src, rowBytes);
            if (invert)
                for (std::size_t i = 0; i < rowBytes; ++i)
                    dst[i] = std::uint8_t(255 - dst[i]);
            continue;
        }
        for (std::uint32_t x = 0; x < page.width; ++x) {
            std::uint32_t v =
                grey ? samples.Level(src, x, 0) : std::min<std::uint32_t>(samples.Raw(src, x, 0), 255);
            if (invert)
                v = 255 - v;
            ZvTiffSamples::PutIndex(dst, x, page.bpp, std::uint8_t(v));
        }
    }
}

void ZvImageTIF::ReadSamples(TIFF *tif, const Page &page)
{
    // Separated pages are read plane by plane: one slot per channel used.
    std::vector<std::uint16_t> planes{0};
    if (page.planar == PLANARCONFIG_SEPARATE) {
        planes.clear();
        for (int sample : page.channels)
            planes.push_back(std::uint16_t(sample < 0 ? 0 : sample));
    }
    ZvTiffRows rows(tif, planes);
    if (page.alpha >= 0 && !AlphaCreate())
        throw ZvCodecError("No space for raster buffer");
    for (std::uint32_t y = 0; y < page.height; ++y) {
        CheckEscape();
        const std::uint32_t dibRow = page.height - 1 - y;
        std::uint8_t *alpha = mAlpha ? mAlpha + std::size_t(dibRow) * page.width : nullptr;
        ReadSamplesRow(rows, page, y, GetBits(dibRow), alpha);
    }
}

void ZvImageTIF::ReadSamplesRow(ZvTiffRows &rows, const Page &page, std::uint32_t y, std::uint8_t *dst,
                                std::uint8_t *alpha)
{
    const std::uint32_t w = page.width;
    const bool separate = page.planar == PLANARCONFIG_SEPARATE;
    const bool cmyk = page.channels[3] >= 0;
    if (!separate && page.bps == 8 && page.format != SAMPLEFORMAT_IEEEFP && page.channels[2] == 2 && !cmyk &&
        page.alpha < 0) {
        ZvTiffSamples::RgbToBgr(rows.Row(y, 0), dst, w, page.spp);
        return;
    }
    const ZvTiffSamples samples(page.Samples(), separate ? 1 : page.spp);
    // Contiguous rows hold every sample; a separated plane holds one (index 0).
    const std::uint8_t *src[5];
    int at[5];
    for (std::size_t k = 0; k < 5; ++k) {
        const bool used = page.channels[k] >= 0;
        src[k] = !used ? nullptr : separate ? rows.Row(y, k) : rows.Row(y, 0);
        at[k] = separate ? 0 : page.channels[k];
    }
    for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
        std::uint8_t rgb[3];
        if (page.colourMap.Size()) {
            const RGBQUAD c = page.colourMap.At(samples.Raw(src[0], x, at[0]));
            rgb[0] = c.rgbRed;
            rgb[1] = c.rgbGreen;
            rgb[2] = c.rgbBlue;
        } else if (cmyk) {
            const double white = 1.0 - samples.Unit(src[3], x, at[3]);
            for (std::size_t k = 0; k < 3; ++k)
                rgb[k] = std::uint8_t((1.0 - samples.Unit(src[k], x, at[k])) * white * 255.0 + 0.5);
        } else {
            for (std::size_t k = 0; k < 3; ++k)
                rgb[k] = samples.Level(src[k], x, at[k]);
            if (page.MinIsWhite())
                rgb[0] = rgb[1] = rgb[2] = std::uint8_t(255 - rgb[0]);
        }
        const std::uint8_t a = page.alpha >= 0 ? samples.Level(src[4], x, at[4]) : 255;
        for (std::size_t k = 0; k < 3; ++k)
            dst[2 - k] = page.associated ? ZvTiffSamples::Unpremultiply(rgb[k], a) : rgb[k];
        if (alpha)
            alpha[x] = a;
    }
}

void ZvImageTIF::ReadRgba(TIFF *tif, const Page &page)
{
    char message[1024] = {};
    TIFFRGBAImage img;
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&img, tif, 1, message))
        throw ZvCodecError(message[0] ? message : "Corrupted TIFF file!");
    RgbaImageEnd end{&img};
    // Rows are taken as stored, top row first, whatever the orientation tag says.
    img.req_orientation = ORIENTATION_TOPLEFT;
    img.orientation = ORIENTATION_TOPLEFT;

    const bool tiled = TIFFIsTiled(tif) != 0;
    std::uint32_t band = 0;
    TIFFGetFieldDefaulted(tif, tiled ? TIFFTAG_TILELENGTH : TIFFTAG_ROWSPERSTRIP, &band);
    band = std::clamp<std::uint32_t>(band, 1, page.height);
    if (std::uint64_t(page.width) * band * 4 > kMaxRasterBytes)
        throw ZvCodecError("No space for raster buffer");
    std::unique_ptr<std::uint32_t[]> raster(new (std::nothrow) std::uint32_t[std::size_t(page.width) * band]);
    if (!raster || (img.alpha && !AlphaCreate()))
        throw ZvCodecError("No space for raster buffer");

    for (std::uint32_t row = 0; row < page.height; row += band) {
        CheckEscape();
        const std::uint32_t n = std::min(band, page.height - row);
        img.row_offset = int(row);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, raster.get(), page.width, n))
            throw ZvCodecError(tiled ? "Corrupted tiled TIFF file!" : "Corrupted TIFF file!");
        for (std::uint32_t r = 0; r < n; ++r) {
            const std::uint32_t dibRow = page.height - 1 - (row + r);
            std::uint8_t *alpha = mAlpha ? mAlpha + std::size_t(dibRow) * page.width : nullptr;
            ZvTiffSamples::AbgrToBgr(raster.get() + std::size_t(r) * page.width, GetBits(dibRow), alpha,
                                     page.width);
        }
    }
}

void ZvImageTIF::CheckEscape()
{
    if (GetEscape())
        throw ZvCodecError("Cancelled");
}
