// imagelib/codecs/png/codec_png_encode.cpp
// PNG encoding. The encoder runs on a ghost of the caller's picture, so the
// background-entry swap and the alpha rows are made in a row buffer; the
// caller's palette and pixels are never touched.
#include "imagelib/codecs/png/codec_png.h"
#include "imagelib/codecs/png/png_icc.h"
#include "imagelib/codecs/png/png_io.h"
#include "imagelib/streams/file.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

// Below this many pixels a 4- or 8-bit palette is cut after the highest
// index in use; larger pictures keep every entry rather than pay a scan.
constexpr std::uint64_t kShortPaletteMaxPixels = 65536;

bool sameColour(const std::uint8_t *bgr, RGBQUAD c)
{
    return bgr[0] == c.rgbBlue && bgr[1] == c.rgbGreen && bgr[2] == c.rgbRed;
}

} // namespace

struct ZvImagePNG::WriteJob
{
    enum class Mode { Indexed, Rgb, Rgba };

    ZvPngIo io;
    png_structp png = nullptr;
    png_infop info = nullptr;
    Mode mode = Mode::Rgb;
    int background = -1;       // palette entry moved to index 0, or -1
    std::uint8_t byteMap[256]; // whole-byte remap of packed indices for that move
    png_color palette[256];
    int paletteCount = 0;
    png_byte trans[256];
    int transCount = 0;
    std::uint8_t *row = nullptr; // one converted row

    WriteJob() = default;
    WriteJob(const WriteJob &) = delete;
    WriteJob &operator=(const WriteJob &) = delete;
    ~WriteJob()
    {
        if (png)
            png_destroy_write_struct(&png, info ? &info : nullptr);
        std::free(row);
    }
};

bool ZvImagePNG::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    WriteJob job;
    job.io.file = stream;
    if (!PlanWrite(job)) {
        SetLastError("Error saving PNG file");
        return false;
    }
    if (EncodeJob(job))
        return true;
    const bool keep = job.io.ours || !std::strncmp(job.io.message, "Failed to ", 10);
    SetLastError(keep ? job.io.message : "Error saving PNG file");
    return false;
}

// Owns the setjmp frame: nothing here or below may need a destructor.
bool ZvImagePNG::EncodeJob(WriteJob &job)
{
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job.io, ZvPngIo::Error, ZvPngIo::Warning);
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
    png_set_write_fn(job.png, &job.io, ZvPngIo::Write, ZvPngIo::Flush);
    WriteHeader(job);
    WriteRows(job);
    png_write_end(job.png, job.info);
    return true;
}

bool ZvImagePNG::PlanWrite(WriteJob &job)
{
    const std::size_t w = GetWidth();
    if (mAlpha)
        job.mode = WriteJob::Mode::Rgba;
    else if (IsIndexed())
        job.mode = WriteJob::Mode::Indexed;
    else
        job.mode = GetTransIndex() >= 0 ? WriteJob::Mode::Rgba : WriteJob::Mode::Rgb;

    if (job.mode == WriteJob::Mode::Indexed) {
        PlanPalette(job);
        if (job.background <= 0)
            return true;
        job.row = static_cast<std::uint8_t *>(std::malloc(GetEffWidth()));
    } else if (job.mode == WriteJob::Mode::Rgba) {
        job.row = static_cast<std::uint8_t *>(std::malloc(w * 4 + 1));
    } else {
        return true;
    }
    return job.row != nullptr;
}

void ZvImagePNG::PlanPalette(WriteJob &job)
{
    const int n = int(GetNumColors());
    const RGBQUAD *pal = GetPalette();
    const int back = GetTransIndex();
    const int b = back >= 0 && back < n ? back : -1;
    job.background = b;
    std::uint8_t map[256];
    for (int i = 0; i < 256; ++i)
        map[i] = std::uint8_t(i);
    if (b > 0) {
        map[0] = std::uint8_t(b);
        map[b] = 0;
    }
    // map is its own inverse: entry i of the file is entry map[i] of the picture.
    for (int i = 0; i < n; ++i) {
        const RGBQUAD c = pal[map[i]];
        job.palette[i] = png_color{c.rgbRed, c.rgbGreen, c.rgbBlue};
        job.trans[i] = AlphaPaletteIsEnabled() ? c.rgbReserved : 255;
    }
    if (b >= 0)
        job.trans[0] = 0;
    for (int v = 0; v < 256; ++v) {
        switch (GetBpp()) {
        case 8: job.byteMap[v] = map[v]; break;
        case 4: job.byteMap[v] = std::uint8_t(map[v >> 4] << 4 | map[v & 15]); break;
        default: job.byteMap[v] = b > 0 ? std::uint8_t(~v) : std::uint8_t(v); break;
        }
    }

    job.paletteCount = n;
    if (n > 2 && std::uint64_t(GetWidth()) * GetHeight() < kShortPaletteMaxPixels) {
        int highest = 0;
        for (std::uint32_t y = 0; y < GetHeight(); ++y)
            for (std::uint32_t x = 0; x < GetWidth(); ++x)
                highest =
                    std::max<int>(highest, map[BlindGetPixelIndex(GetBits(y), std::int32_t(x), GetBpp())]);
        job.paletteCount = highest + 1;
    }
    for (int i = 0; i < job.paletteCount; ++i)
        if (job.trans[i] != 255)
            job.transCount = i + 1;
}

void ZvImagePNG::WriteHeader(WriteJob &job)
{
    png_structp png = job.png;
    png_infop info = job.info;
    const bool indexed = job.mode == WriteJob::Mode::Indexed;
    const int colorType = indexed                            ? PNG_COLOR_TYPE_PALETTE
                          : job.mode == WriteJob::Mode::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA
                                                             : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, GetWidth(), GetHeight(), indexed ? int(GetBpp()) : 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_16 background{};
    if (indexed) {
        png_set_PLTE(png, info, job.palette, job.paletteCount);
        if (job.transCount > 0)
            png_set_tRNS(png, info, job.trans, job.transCount, nullptr);
        background.index = 0;
    } else {
        const RGBQUAD c = GetTransColor();
        background.red = c.rgbRed;
        background.green = c.rgbGreen;
        background.blue = c.rgbBlue;
    }
    png_set_bKGD(png, info, &background);
    // A negative or zero resolution has no pHYs form; leave the chunk out.
    if (mHead.biXPelsPerMeter > 0 && mHead.biYPelsPerMeter > 0)
        png_set_pHYs(png, info, png_uint_32(mHead.biXPelsPerMeter), png_uint_32(mHead.biYPelsPerMeter),
                     PNG_RESOLUTION_METER);
    if (GetKeepPhotoInfo() && GetPhotoInfo())
        zvPngSetProfile(png, info, colorType, *GetPhotoInfo());
    png_write_info(png, info);
    if (!indexed)
        png_set_bgr(png);
}

void ZvImagePNG::WriteRows(WriteJob &job)
{
    for (std::uint32_t y = 0; y < GetHeight(); ++y) {
        if (GetEscape() != 0)
            png_error(job.png, "Cancelled");
        png_write_row(job.png, MakeRow(job, y));
    }
}

// y counts from the top, as the file does.
const std::uint8_t *ZvImagePNG::MakeRow(WriteJob &job, std::uint32_t y)
{
    const std::uint32_t dibRow = GetHeight() - 1 - y;
    const std::uint8_t *src = GetBits(dibRow);
    if (job.mode == WriteJob::Mode::Rgb || (job.mode == WriteJob::Mode::Indexed && !job.row))
        return src;
    if (job.mode == WriteJob::Mode::Indexed) {
        for (std::uint32_t i = 0; i < GetEffWidth(); ++i)
            job.row[i] = job.byteMap[src[i]];
        return job.row;
    }
    const std::uint32_t w = GetWidth();
    const std::uint8_t *alpha = mAlpha ? mAlpha + std::size_t(dibRow) * w : nullptr;
    const bool keyed = GetTransIndex() >= 0;
    const RGBQUAD key = GetTransColor();
    const RGBQUAD *pal = GetPalette();
    std::uint8_t *dst = job.row;
    for (std::uint32_t x = 0; x < w; ++x, dst += 4) {
        bool clear = false;
        if (pal) {
            const std::uint8_t index = BlindGetPixelIndex(src, std::int32_t(x), GetBpp());
            const RGBQUAD c = pal[index];
            dst[0] = c.rgbBlue;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbRed;
            clear = keyed && index == GetTransIndex();
        } else {
            std::memcpy(dst, src + 3 * std::size_t(x), 3);
            clear = keyed && sameColour(dst, key);
        }
        dst[3] = clear ? 0 : alpha ? alpha[x] : 255;
    }
    return job.row;
}
