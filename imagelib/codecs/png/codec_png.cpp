// imagelib/codecs/png/codec_png.cpp
// PNG decoding; the encoder is in codec_png_encode.cpp.
#include "imagelib/codecs/png/codec_png.h"
#include "imagelib/codecs/png/png_icc.h"
#include "imagelib/codecs/png/png_io.h"
#include "imagelib/streams/file.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

// Deflate cannot expand more than 1032 times (a 258-byte match in two bits),
// so a file shorter than its pixels allow is cut off; refusing it up front
// keeps a few hundred forged bytes from claiming gigabytes.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kInflateSlack = 65536;

// Of the chunks libpng buffers whole, we read only PLTE, tRNS and pHYs (at
// most 768 bytes) and the colour chunks (the profile inflated within the
// limit below); the rest are passed over unread. libpng only warns about
// a chunk longer than its limit and then allocates and zeroes it anyway, so
// the skipping is what keeps a text chunk claiming a gigabyte from costing
// one; the limit is set for the chunks libpng may still want to hold.
constexpr png_alloc_size_t kChunkMax = 65536;
// The picture's own size limit decides how large it may be, and it is
// applied before libpng sizes its row buffers; libpng's default of a
// million pixels a side would refuse long strips that fit.
constexpr png_uint_32 kSideMax = PNG_UINT_31_MAX;
constexpr png_byte kKeptChunks[] = {'p', 'H', 'Y', 's', '\0'};

std::int32_t dpiFromPixelsPerMetre(png_uint_32 ppm)
{
    return std::int32_t(double(ppm) * 0.0254 + 0.5);
}

} // namespace

struct ZvImagePNG::ReadJob
{
    // How a row from libpng becomes a DIB row.
    enum class Store { Direct, Widen2, SplitAlpha };

    ZvPngIo io;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::int64_t available = -1; // bytes from the start of the PNG to the end of the stream
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colorType = 0;
    int bitDepth = 0;
    int passes = 1;
    Store store = Store::Direct;
    std::uint32_t bpp = 8;
    std::uint8_t *work = nullptr; // rows as libpng gives them when they need converting
    std::size_t workRow = 0;
    bool workWhole = false; // interlaced: every row is kept until the last pass

    ReadJob() = default;
    ReadJob(const ReadJob &) = delete;
    ReadJob &operator=(const ReadJob &) = delete;
    ~ReadJob()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        std::free(work);
    }
};

bool ZvImagePNG::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("Read Error");
        return false;
    }
    ReadJob job;
    job.io.file = stream;
    const std::int64_t start = stream->Tell();
    const std::int64_t size = stream->Size();
    if (start >= 0 && size >= start)
        job.available = size - start;
    if (DecodeJob(job))
        return true;
    Destroy();
    SetLastError(job.io.message[0] ? job.io.message : "Read Error");
    return false;
}

// Owns the setjmp frame: nothing here or below may need a destructor.
bool ZvImagePNG::DecodeJob(ReadJob &job)
{
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job.io, ZvPngIo::Error, ZvPngIo::Warning);
    if (!job.png) {
        job.io.Say("Failed to create PNG structure");
        return false;
    }
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        job.io.Say("Failed to initialize PNG info structure");
        return false;
    }
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_set_read_fn(job.png, &job.io, ZvPngIo::Read);
    SetReadLimits(job);
    png_read_info(job.png, job.info);
    SetColourSpace(zvPngReadColour(job.png, job.info));
    if (GetEscape() == -1) {
        // Header only: the size as stored, nothing allocated, no data read.
        mHead.biWidth = std::int32_t(png_get_image_width(job.png, job.info));
        mHead.biHeight = std::int32_t(png_get_image_height(job.png, job.info));
        return true;
    }
    ChooseReadLayout(job);
    ApplyHeader(job);
    ReadTransparency(job);
    ReadRows(job);
    png_read_end(job.png, nullptr);
    return true;
}

void ZvImagePNG::SetReadLimits(ReadJob &job)
{
    png_set_user_limits(job.png, kSideMax, kSideMax);
    png_set_chunk_malloc_max(job.png, kChunkMax);
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kKeptChunks, 1);
    // The colour chunks, the profile within the same chunk limit. libpng only
    // reads them: no gamma or colour transformation is asked of it.
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kZvPngColourChunks,
                                kZvPngColourChunkCount);
}

void ZvImagePNG::ChooseReadLayout(ReadJob &job)
{
    png_structp png = job.png;
    png_get_IHDR(png, job.info, &job.width, &job.height, &job.bitDepth, &job.colorType, nullptr, nullptr,
                 nullptr);
    const std::uint64_t bits =
        std::uint64_t(job.width) * job.height * png_get_channels(png, job.info) * std::uint64_t(job.bitDepth);
    if (job.available >= 0 && bits / 8 > std::uint64_t(job.available) * kMaxInflateRatio + kInflateSlack)
        png_error(png, "Not enough image data");
    SetReadTransforms(job);
    if (!Create(job.width, job.height, job.bpp, ZV_TYPE_PNG))
        png_error(png, GetLastError());
    job.passes = png_set_interlace_handling(png);
    png_read_update_info(png, job.info);
}

// libpng's transformations that turn each colour type into one of the three ways of storing a row.
void ZvImagePNG::SetReadTransforms(ReadJob &job)
{
    png_structp png = job.png;
    const bool trns = png_get_valid(png, job.info, PNG_INFO_tRNS) != 0;
    if (job.bitDepth == 16)
        png_set_scale_16(png);
    job.store = job.bitDepth == 2 ? ReadJob::Store::Widen2 : ReadJob::Store::Direct;
    job.bpp = job.bitDepth == 2 ? 4 : (job.bitDepth > 8 ? 8 : std::uint32_t(job.bitDepth));
    switch (job.colorType) {
    case PNG_COLOR_TYPE_PALETTE: break;
    case PNG_COLOR_TYPE_GRAY:
        // A 16-bit transparent grey only matches at full precision.
        if (!(trns && job.bitDepth == 16))
            break;
        png_set_tRNS_to_alpha(png);
        png_set_gray_to_rgb(png);
        job.store = ReadJob::Store::SplitAlpha;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        png_set_gray_to_rgb(png);
        job.store = ReadJob::Store::SplitAlpha;
        break;
    case PNG_COLOR_TYPE_RGB:
        job.store = ReadJob::Store::Direct;
        if (trns && job.bitDepth == 16) {
            png_set_tRNS_to_alpha(png);
            job.store = ReadJob::Store::SplitAlpha;
        }
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA: job.store = ReadJob::Store::SplitAlpha; break;
    default: png_error(png, "Unknown PNG colour type");
    }
    const bool trueColour = job.colorType != PNG_COLOR_TYPE_PALETTE && (job.colorType & PNG_COLOR_MASK_COLOR);
    if (trueColour || job.store == ReadJob::Store::SplitAlpha) {
        job.bpp = 24;
        png_set_bgr(png);
    }
}

void ZvImagePNG::ApplyHeader(ReadJob &job)
{
    png_structp png = job.png;
    const std::size_t rowbytes = png_get_rowbytes(png, job.info);
    std::size_t expected = (std::size_t(job.width) * job.bpp + 7) / 8;
    if (job.store == ReadJob::Store::Widen2)
        expected = (std::size_t(job.width) + 3) / 4;
    else if (job.store == ReadJob::Store::SplitAlpha)
        expected = std::size_t(job.width) * 4;
    if (rowbytes != expected)
        png_error(png, "Unexpected PNG row layout");
    job.workRow = rowbytes;

    ReadPalette(job);
    if (job.store == ReadJob::Store::SplitAlpha && !AlphaCreate())
        png_error(png, "Can't allocate memory");
    ReadResolution(job);
    if (GetKeepPhotoInfo())
        SetPhotoInfo(zvPngReadProfile(png, job.info));
}

void ZvImagePNG::ReadPalette(ReadJob &job)
{
    png_structp png = job.png;
    if (job.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(png, job.info, &entries, &count) && entries) {
            RGBQUAD *pal = GetPalette();
            for (int i = 0; i < count && std::uint32_t(i) < GetNumColors(); ++i)
                pal[i] = RGBQUAD{entries[i].blue, entries[i].green, entries[i].red, 0};
        }
    } else if (IsIndexed()) {
        const int levels = 1 << (job.bitDepth > 8 ? 8 : job.bitDepth);
        const int step = 255 / (levels - 1);
        for (int i = 0; i < levels; ++i) {
            const std::uint8_t v = std::uint8_t(i * step);
            SetPaletteColor(std::uint8_t(i), RGBQUAD{v, v, v, 0});
        }
    }
}

void ZvImagePNG::ReadResolution(ReadJob &job)
{
    png_structp png = job.png;
    png_uint_32 xppm = 0, yppm = 0;
    int unit = 0;
    if (png_get_pHYs(png, job.info, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
        // pHYs values are at most 2^31 - 1, so the DPI fits the header's pixels per metre.
        if (xppm > 0 && xppm <= PNG_UINT_31_MAX)
            SetXDPI(dpiFromPixelsPerMetre(xppm));
        if (yppm > 0 && yppm <= PNG_UINT_31_MAX)
            SetYDPI(dpiFromPixelsPerMetre(yppm));
    }
}

void ZvImagePNG::ReadTransparency(ReadJob &job)
{
    png_bytep alpha = nullptr;
    int count = 0;
    png_color_16p colour = nullptr;
    if (job.store == ReadJob::Store::SplitAlpha || !png_get_tRNS(job.png, job.info, &alpha, &count, &colour))
        return;
    if (job.colorType == PNG_COLOR_TYPE_PALETTE && alpha) {
        const int n = count < int(GetNumColors()) ? count : int(GetNumColors());
        int clear = -1;
        bool partial = false;
        for (int i = 0; i < n; ++i) {
            if (alpha[i] == 0 && clear < 0)
                clear = i;
            else if (alpha[i] != 255)
                partial = true;
        }
        SetTransIndex(clear);
        if (partial) {
            RGBQUAD *pal = GetPalette();
            for (int i = 0; i < int(GetNumColors()); ++i)
                pal[i].rgbReserved = i < n ? alpha[i] : 255;
            AlphaPaletteEnable(true);
        }
    } else if (job.colorType == PNG_COLOR_TYPE_GRAY && colour) {
        if (colour->gray < (1u << job.bitDepth))
            SetTransIndex(colour->gray);
    } else if (job.colorType == PNG_COLOR_TYPE_RGB && colour) {
        SetTransColor(
            RGBQUAD{std::uint8_t(colour->blue), std::uint8_t(colour->green), std::uint8_t(colour->red), 0});
        SetTransIndex(0);
    }
}

void ZvImagePNG::ReadRows(ReadJob &job)
{
    png_structp png = job.png;
    const std::uint32_t h = job.height;
    if (job.store != ReadJob::Store::Direct) {
        job.workWhole = job.passes > 1;
        const std::size_t rows = job.workWhole ? h : 1;
        if (job.workRow != 0 && rows > SIZE_MAX / job.workRow)
            png_error(png, "Can't allocate memory");
        job.work = static_cast<std::uint8_t *>(std::calloc(rows * job.workRow + 1, 1));
        if (!job.work)
            png_error(png, "Can't allocate memory");
    }
    for (int pass = 0; pass < job.passes; ++pass) {
        for (std::uint32_t y = 0; y < h; ++y) {
            if (GetEscape())
                png_error(png, "Cancelled");
            std::uint8_t *row = GetBits(h - 1 - y);
            if (job.store != ReadJob::Store::Direct)
                row = job.work + (job.workWhole ? std::size_t(y) * job.workRow : 0);
            png_read_row(png, row, nullptr);
            if (job.store != ReadJob::Store::Direct && pass == job.passes - 1)
                StoreRow(job, row, y);
        }
    }
}

// y counts from the top, as the file does.
void ZvImagePNG::StoreRow(ReadJob &job, const std::uint8_t *src, std::uint32_t y)
{
    const std::uint32_t w = job.width;
    const std::uint32_t dibRow = job.height - 1 - y;
    std::uint8_t *dst = GetBits(dibRow);
    if (job.store == ReadJob::Store::Widen2) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t v = (src[x >> 2] >> (6 - 2 * (x & 3))) & 3;
            std::uint8_t &b = dst[x >> 1];
            b = (x & 1) ? std::uint8_t((b & 0xF0) | v) : std::uint8_t((b & 0x0F) | (v << 4));
        }
        return;
    }
    std::uint8_t *alpha = mAlpha + std::size_t(dibRow) * w;
    for (std::uint32_t x = 0; x < w; ++x, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        alpha[x] = src[3];
    }
}
