// imagelib/codecs/gif/codec_gif_decode.cpp
// The GIF decoder: a walk over the block structure finds the frames, then
// the images up to the wanted frame are drawn onto the logical screen.
#include "imagelib/codecs/gif/codec_gif.h"

#include "imagelib/codecs/gif/gif_canvas.h"
#include "imagelib/codecs/gif/gif_lzw_decoder.h"
#include "imagelib/codecs/gif/gif_reader.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

// A GIF screen can claim 65535 x 65535 pixels in 13 bytes; canvases are
// allocated whole, so they are bounded well below what Create would allow.
constexpr std::uint64_t kMaxCanvasPixels = std::uint64_t(1) << 27;
// Images that claim the whole screen cost a pass over it each even without
// data (erasing, saving, restoring); a frame may cost this many pixel
// operations, some thousand full-screen images, and no more.
constexpr std::uint64_t kMaxComposeWork = std::uint64_t(1) << 32;

const std::vector<std::uint8_t> &tableOf(const GifImage &image, const GifScreen &screen)
{
    return image.localTable.empty() ? screen.table : image.localTable;
}

int entriesOf(const std::vector<std::uint8_t> &table)
{
    return int(table.size() / 3);
}

bool covers(const GifImage &image, const GifScreen &screen)
{
    return image.left == 0 && image.top == 0 && image.width >= screen.width && image.height >= screen.height;
}

// Images shown without a delay between them make one frame, unless an
// opaque image covers the whole screen: nothing before it would ever be
// seen, so it can only be meant as the next frame of an animation.
bool startsFrame(const GifImage &image, const GifScreen &screen, bool first, int previousDelay)
{
    return first || previousDelay > 0 || (covers(image, screen) && image.control.transparent < 0);
}

// The top-down row that the i-th row of an interlaced image lands on.
int interlacedRow(int i, int height)
{
    int n = (height + 7) / 8;
    if (i < n)
        return i * 8;
    i -= n;
    n = (height + 3) / 8;
    if (i < n)
        return 4 + i * 8;
    i -= n;
    n = (height + 1) / 4;
    if (i < n)
        return 2 + i * 4;
    return 1 + (i - n) * 2;
}

std::uint32_t bppFor(int entries)
{
    return entries <= 2 ? 1 : entries <= 16 ? 4 : 8;
}

RGBQUAD backgroundColour(const GifScreen &screen)
{
    RGBQUAD c;
    if (screen.background < entriesOf(screen.table)) {
        const std::uint8_t *p = screen.table.data() + 3 * screen.background;
        c.rgbRed = p[0];
        c.rgbGreen = p[1];
        c.rgbBlue = p[2];
    }
    return c;
}

// Positions the stream at the image's data and starts its decoder.
void startImageData(ZvFile *stream, const GifImage &image, const std::vector<std::uint8_t> &table,
                    GifLzwDecoder &lzw)
{
    if (!stream->Seek(image.dataPos, SEEK_FROM_START))
        throw ZvCodecError("GIF: can't seek to image data");
    bool allowed[256];
    const int entries = entriesOf(table);
    for (int v = 0; v < 256; ++v)
        allowed[v] = v < entries || v == image.control.transparent;
    if (!lzw.Start(int(stream->GetC()), allowed))
        throw ZvCodecError("GIF: bad LZW code size");
}

// A few bytes can claim a 65535 x 65535 screen: before it is reserved, the
// first row of every image that shows on it is decoded, so that a file whose
// drawing would fail there (its code size missing or out of range, a code
// the table cannot hold yet, a pixel value without a colour) is refused
// before it costs anything.
void checkFirstRows(ZvFile *stream, const GifScreen &screen, const std::vector<GifImage> &images)
{
    std::vector<std::uint8_t> row;
    for (const GifImage &image : images) {
        if (image.width <= 0 || image.height <= 0 || image.left >= screen.width || image.top >= screen.height)
            continue;
        auto lzw = std::make_unique<GifLzwDecoder>(stream);
        startImageData(stream, image, tableOf(image, screen), *lzw);
        row.resize(std::size_t(image.width));
        lzw->Read(row.data(), row.size());
        if (lzw->Failed())
            throw ZvCodecError("GIF: corrupted image data");
    }
}

} // namespace

// How the frame is held: indices into the one colour table all its images
// share, with one index for undrawn pixels, or 24 bits with alpha.
struct ZvImageGIF::Plan
{
    bool trueColour = false;
    const std::vector<std::uint8_t> *table = nullptr;
    int undrawn = -1;        // index of undrawn pixels, -1 when none can remain
    bool extraEntry = false; // undrawn is an entry added after the table
    int fill = 0;            // index written into undrawn pixels
    RGBQUAD fillColour;
};

bool ZvImageGIF::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("Not a GIF");
        return false;
    }
    return RunGuarded(Step::Decode, "GIF: out of memory", [&] { DecodeStream(stream); });
}

void ZvImageGIF::DecodeStream(ZvFile *stream)
{
    GifReader reader(stream);
    GifScreen screen;
    reader.ReadScreen(screen);
    if (screen.width == 0 || screen.height == 0)
        throw ZvCodecError("GIF: empty logical screen");
    if (std::uint64_t(screen.width) * std::uint64_t(screen.height) > kMaxCanvasPixels)
        throw ZvCodecError("GIF: picture too large");
    if (mInfo.nEscape == -1) {
        DecodeHeaderOnly(screen);
        return;
    }
    const int wanted = std::max(0, GetFrame());
    std::vector<GifImage> images;
    mInfo.nNumFrames = ScanFrames(reader, screen, wanted, images);
    if (wanted >= mInfo.nNumFrames)
        throw ZvCodecError("GIF: frame not present");
    Compose(stream, screen, images);

    const GifControl last = images.empty() ? GifControl() : images.back().control;
    mInfo.dwFrameDelay = std::uint32_t(last.delay);
    mInfo.xOffset = 0;
    mInfo.yOffset = 0;
    mDisposal = last.disposal;
    mComment = reader.Comment();
    if (reader.HasLoops())
        mLoops = reader.Loops();
}

// Size queries stop after the screen descriptor.
void ZvImageGIF::DecodeHeaderOnly(const GifScreen &screen)
{
    mHead = BITMAPINFOHEADER();
    mHead.biSize = sizeof(BITMAPINFOHEADER);
    mHead.biWidth = screen.width;
    mHead.biHeight = screen.height;
    mHead.biPlanes = 1;
    mHead.biBitCount = std::uint16_t(screen.table.empty() ? 8 : bppFor(entriesOf(screen.table)));
}

// Counts the frames of the whole file and keeps the images of the frames
// up to the wanted one. A file without images (even one cut short or
// followed by junk) shows one empty screen, as viewers do.
int ZvImageGIF::ScanFrames(GifReader &reader, const GifScreen &screen, int wanted,
                           std::vector<GifImage> &images)
{
    int frames = 0;
    int previousDelay = 0;
    GifImage image;
    while (reader.NextImage(image)) {
        if (startsFrame(image, screen, frames == 0, previousDelay))
            ++frames;
        if (frames - 1 <= wanted)
            images.push_back(image);
        previousDelay = image.control.delay;
        reader.SkipImageData();
    }
    return std::max(frames, 1);
}

ZvImageGIF::Plan ZvImageGIF::MakePlan(const GifScreen &screen, const std::vector<GifImage> &images) const
{
    Plan plan;
    plan.fillColour = backgroundColour(screen);
    plan.table = images.empty() ? &screen.table : &tableOf(images.front(), screen);
    for (const GifImage &image : images) {
        if (tableOf(image, screen).empty())
            throw ZvCodecError("GIF: image without colour table");
        if (tableOf(image, screen) != *plan.table)
            plan.trueColour = true;
    }
    if (plan.trueColour)
        return plan;

    const int entries = entriesOf(*plan.table);
    const int t = images.empty() ? -1 : images.front().control.transparent;
    const bool sharedTransparent = t >= 0 && t < entries &&
                                   std::all_of(images.begin(), images.end(),
                                               [t](const GifImage &i) { return i.control.transparent == t; });
    if (sharedTransparent) {
        plan.undrawn = plan.fill = t;
    } else if (entries < 256) {
        plan.undrawn = plan.fill = entries;
        plan.extraEntry = true;
    } else {
        // A full table leaves no index for undrawn pixels: that only works
        // when nothing can stay undrawn.
        const bool mayShowThrough =
            images.empty() || !covers(images.front(), screen) ||
            std::any_of(images.begin(), images.end(),
                        [](const GifImage &i) { return i.control.transparent >= 0; }) ||
            std::any_of(images.begin(), images.end() - 1,
                        [](const GifImage &i) { return i.control.disposal >= 2; });
        if (mayShowThrough) {
            plan.trueColour = true;
            return plan;
        }
        plan.fill = screen.background < entries ? screen.background : 0;
    }
    return plan;
}

void ZvImageGIF::Compose(ZvFile *stream, const GifScreen &screen, const std::vector<GifImage> &images)
{
    const Plan plan = MakePlan(screen, images);
    checkFirstRows(stream, screen, images);
    if (!Create(std::uint32_t(screen.width), std::uint32_t(screen.height), plan.trueColour ? 24 : 8,
                ZV_TYPE_GIF))
        throw ZvCodecError(GetLastError());
    if (plan.trueColour) {
        if (!AlphaCreate())
            throw ZvCodecError("GIF: out of memory");
    } else {
        RGBQUAD *palette = GetPalette();
        const int entries = entriesOf(*plan.table);
        for (int i = 0; i < entries; ++i) {
            const std::uint8_t *p = plan.table->data() + 3 * i;
            palette[i] = RGBQUAD{p[2], p[1], p[0], 0};
        }
        if (plan.extraEntry)
            palette[plan.undrawn] = plan.fillColour;
    }
    GifCanvas canvas(*this, std::uint8_t(plan.fill), plan.fillColour);
    canvas.Erase(GifRect{0, 0, screen.width, screen.height});
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (i > 0 && images[i - 1].control.disposal == 2)
            canvas.Erase(canvas.Clip(images[i - 1]));
        else if (i > 0 && images[i - 1].control.disposal == 3)
            canvas.Restore();
        if (images[i].control.disposal == 3 && i + 1 < images.size())
            canvas.Save(canvas.Clip(images[i]));
        DrawImage(stream, canvas, images[i], tableOf(images[i], screen));
        if (canvas.Work() > kMaxComposeWork)
            throw ZvCodecError("GIF: too many images to compose");
    }
    if (plan.trueColour) {
        if (!canvas.AnyUndrawn())
            AlphaDelete();
        return;
    }
    FinishIndexed(plan, plan.extraEntry ? canvas.AnyUndrawn() : plan.undrawn >= 0);
}

void ZvImageGIF::DrawImage(ZvFile *stream, GifCanvas &canvas, const GifImage &image,
                           const std::vector<std::uint8_t> &table)
{
    canvas.BeginImage(image, table, image.control.transparent);
    int rowsLeft = image.width > 0 ? canvas.VisibleRows() : 0;
    if (rowsLeft == 0)
        return;
    auto lzw = std::make_unique<GifLzwDecoder>(stream);
    startImageData(stream, image, table, *lzw);
    std::vector<std::uint8_t> row(std::size_t(image.width));
    for (int i = 0; i < image.height && rowsLeft > 0; ++i) {
        if (GetEscape())
            throw ZvCodecError("Cancelled");
        const int y = image.interlaced ? interlacedRow(i, image.height) : i;
        const int got = int(lzw->Read(row.data(), row.size()));
        if (lzw->Failed())
            throw ZvCodecError("GIF: corrupted image data");
        canvas.DrawRow(y, row.data(), got);
        if (canvas.Work() > kMaxComposeWork)
            throw ZvCodecError("GIF: too many images to compose");
        if (canvas.RowVisible(y))
            --rowsLeft;
        if (got < image.width) {
            // The data ended early: the rest stays undrawn, and the caller hears so.
            SetDamage("the picture data ends early; the rest of the picture is missing");
            break;
        }
    }
}

// Gives the picture the bit count its palette needs and records the index
// that marks what no image drew.
void ZvImageGIF::FinishIndexed(const Plan &plan, bool undrawnLeft)
{
    int entries = entriesOf(*plan.table);
    int transparent = -1;
    if (undrawnLeft && plan.undrawn >= 0) {
        transparent = plan.undrawn;
        entries = std::max(entries, transparent + 1);
    }
    const std::uint32_t bpp = bppFor(entries);
    if (bpp < 8)
        PackIndexed(bpp);
    mInfo.nBkgndIndex = transparent;
}

void ZvImageGIF::PackIndexed(std::uint32_t bpp)
{
    ZvImage packed;
    packed.CopyInfo(*this);
    if (!packed.Create(GetWidth(), GetHeight(), bpp, ZV_TYPE_GIF))
        throw ZvCodecError(packed.GetLastError());
    packed.SetPalette(GetPalette(), packed.GetNumColors());
    const std::uint32_t width = GetWidth();
    for (std::uint32_t y = 0; y < GetHeight(); ++y) {
        const std::uint8_t *src = GetBits(y);
        std::uint8_t *dst = packed.GetBits(y);
        std::memset(dst, 0, packed.GetEffWidth());
        const std::uint32_t perByte = 8 / bpp;
        for (std::uint32_t x = 0; x < width; x += perByte) {
            // Each byte is gathered in a register: or-ing into memory pixel
            // by pixel stalls on the store of the previous pixel.
            std::uint32_t byte = 0;
            const std::uint32_t n = std::min(perByte, width - x);
            for (std::uint32_t k = 0; k < n; ++k)
                byte |= std::uint32_t(src[x + k]) << (8 - bpp - k * bpp);
            dst[x / perByte] = std::uint8_t(byte);
        }
    }
    Transfer(packed);
}
