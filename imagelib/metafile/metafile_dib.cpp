// imagelib/metafile/metafile_dib.cpp
#include "imagelib/metafile/metafile_dib.h"
#include "imagelib/core/bmp_layout.h"
#include "imagelib/core/image.h"
#include "imagelib/metafile/metafile_gdi.h"
#include "platform/global_block.h"

#include <algorithm>
#include <cstring>

namespace {

// Longest colour table read; true-colour headers may name one to skip.
constexpr std::uint64_t kMaxTableEntries = 4096;

struct DibHeader
{
    BmpLayout layout;
    std::uint64_t afterHeader = 0; // header and bit-field masks
    std::uint64_t entries = 0;     // colour table entries
};

bool readHeader(const MetaBytes &info, DibHeader &h)
{
    if (info.size() < 4 || BmpParseInfoHeader(info.data(), info.size(), h.layout))
        return false;
    const BmpLayout &l = h.layout;
    if (l.headerSize != 12 && l.headerSize < 40)
        return false;
    h.afterHeader = std::uint64_t(l.headerSize) + l.maskBytes;
    h.entries = BmpPaletteEntries(l);
    return info.has(0, h.afterHeader) && l.width > 0 && l.height > 0 &&
           std::uint64_t(l.width) * l.height <= kMetaMaxBitmapPixels && h.entries <= kMaxTableEntries;
}

std::uint64_t storedEntrySize(const DibHeader &h, std::uint32_t usage)
{
    return usage == metagdi::DIB_PAL_COLORS ? 2 : h.layout.entrySize;
}

// Header, a colour table of exactly the entries the BMP rules expect (palette
// indices resolved, a short table padded) and the pixels, in one block.
std::vector<std::uint8_t> packedBlock(const MetaBytes &info, const DibHeader &h, const MetaBytes &bits,
                                      std::uint32_t usage, const QList<QRgb> &palette)
{
    const std::uint32_t entrySize = h.layout.entrySize;
    std::vector<std::uint8_t> block(info.data(), info.data() + h.afterHeader);
    block.reserve(std::size_t(h.afterHeader + h.entries * entrySize + bits.size()));
    for (std::uint64_t i = 0; i < h.entries; ++i) {
        std::uint8_t entry[4] = {0, 0, 0, 0};
        if (usage == metagdi::DIB_PAL_COLORS) {
            const std::uint64_t at = h.afterHeader + 2 * i;
            const std::uint32_t index = info.has(at, 2) ? info.u16(at) : 0;
            const QRgb rgb = index < std::uint32_t(palette.size()) ? palette[qsizetype(index)] : 0;
            entry[0] = std::uint8_t(qBlue(rgb));
            entry[1] = std::uint8_t(qGreen(rgb));
            entry[2] = std::uint8_t(qRed(rgb));
        } else {
            const std::uint64_t at = h.afterHeader + entrySize * i;
            for (std::uint32_t k = 0; k < entrySize && k < 3; ++k)
                entry[k] = info.has(at + k, 1) ? info.u8(at + k) : 0;
        }
        block.insert(block.end(), entry, entry + entrySize);
    }
    block.insert(block.end(), bits.data(), bits.data() + bits.size());
    return block;
}

QImage toQImage(const ZvImage &z)
{
    const int w = int(z.GetWidth());
    const int h = int(z.GetHeight());
    const std::uint32_t bpp = z.GetBpp();
    if (bpp == 24) {
        QImage img(w, h, QImage::Format_RGB32);
        for (int y = 0; !img.isNull() && y < h; ++y) {
            const std::uint8_t *src = z.GetBits(std::uint32_t(h - 1 - y));
            QRgb *dst = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < w; ++x)
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        }
        return img;
    }
    QImage img(w, h, QImage::Format_Indexed8);
    if (img.isNull())
        return img;
    QList<QRgb> table;
    const RGBQUAD *pal = z.GetPalette();
    for (std::uint32_t i = 0; i < z.GetNumColors(); ++i)
        table.append(qRgb(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue));
    img.setColorTable(table);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *src = z.GetBits(std::uint32_t(h - 1 - y));
        uchar *dst = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            if (bpp == 8)
                dst[x] = src[x];
            else if (bpp == 4)
                dst[x] = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
            else
                dst[x] = (src[x / 8] >> (7 - (x & 7))) & 1;
        }
    }
    return img;
}

// 32-bit pixels with their alpha, premultiplied as AlphaBlend reads them.
bool readAlphaPixels(const DibHeader &h, const MetaBytes &bits, MetaBitmap &out)
{
    const std::uint64_t stride = std::uint64_t(h.layout.width) * 4;
    if (!bits.has(0, stride * h.layout.height))
        return false;
    QImage img(int(h.layout.width), int(h.layout.height), QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return false;
    for (std::uint32_t r = 0; r < h.layout.height; ++r) {
        const std::uint8_t *src = bits.data() + stride * r;
        const int row = h.layout.topDown ? int(r) : int(h.layout.height - 1 - r);
        QRgb *dst = reinterpret_cast<QRgb *>(img.scanLine(row));
        for (std::uint32_t x = 0; x < h.layout.width; ++x, src += 4) {
            const std::uint8_t a = src[3];
            dst[x] = qRgba(std::min(src[2], a), std::min(src[1], a), std::min(src[0], a), a);
        }
    }
    out.image = img;
    return true;
}

} // namespace

std::uint64_t MetaDibPixels(const MetaBytes &info)
{
    DibHeader h;
    return readHeader(info, h) ? std::uint64_t(h.layout.width) * h.layout.height : 0;
}

bool MetaReadDib(const MetaBytes &infoIn, const MetaBytes &bits, std::uint32_t usage,
                 const QList<QRgb> &palette, bool withAlpha, MetaBitmap &out, std::uint32_t bandRows)
{
    DibHeader h;
    if (!readHeader(infoIn, h))
        return false;
    std::vector<std::uint8_t> patched;
    MetaBytes info = infoIn;
    if (bandRows && bandRows < h.layout.height && h.layout.headerSize >= 40) {
        // The band as a bitmap of its own, keeping the row order.
        patched.assign(infoIn.data(), infoIn.data() + infoIn.size());
        const std::int32_t rows = h.layout.topDown ? -std::int32_t(bandRows) : std::int32_t(bandRows);
        std::memcpy(patched.data() + 8, &rows, 4);
        info = MetaBytes(patched.data(), patched.size());
        if (!readHeader(info, h))
            return false;
    }
    out.bottomUp = !h.layout.topDown;
    out.monochrome = false;
    if (withAlpha && h.layout.bitCount == 32 && h.layout.compression == BI_RGB)
        return readAlphaPixels(h, bits, out);
    ZvImage z;
    if (!z.CreateFromHANDLE(GlobalBlock(packedBlock(info, h, bits, usage, palette))))
        return false;
    out.image = toQImage(z);
    return !out.image.isNull();
}

bool MetaReadPackedDib(const MetaBytes &dib, std::uint32_t usage, const QList<QRgb> &palette, MetaBitmap &out,
                       std::uint32_t bandRows)
{
    DibHeader h;
    if (!readHeader(dib, h))
        return false;
    const std::uint64_t bitsAt = h.afterHeader + h.entries * storedEntrySize(h, usage);
    if (!dib.has(bitsAt, 0))
        return false;
    return MetaReadDib(dib.sub(0, bitsAt), dib.tail(bitsAt), usage, palette, false, out, bandRows);
}

bool MetaReadBitmap16(const MetaBytes &bitmap, std::uint32_t bitsOffset, MetaBitmap &out)
{
    const int width = bitmap.i16(2);
    const int height = bitmap.i16(4);
    const int widthBytes = bitmap.i16(6);
    const int planes = bitmap.u8(8);
    const int bpp = bitmap.u8(9);
    if (width <= 0 || height <= 0 || planes != 1 || (bpp != 1 && bpp != 16 && bpp != 24 && bpp != 32) ||
        widthBytes < (width * bpp + 7) / 8 || !bitmap.has(bitsOffset, std::uint64_t(widthBytes) * height))
        return false;
    QImage img(width, height, bpp == 1 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (img.isNull())
        return false;
    if (bpp == 1)
        img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *src = bitmap.data() + bitsOffset + std::size_t(widthBytes) * std::size_t(y);
        uchar *line = img.scanLine(y);
        QRgb *rgb = reinterpret_cast<QRgb *>(line);
        for (int x = 0; x < width; ++x) {
            if (bpp == 1) {
                line[x] = (src[x / 8] >> (7 - (x & 7))) & 1;
            } else if (bpp == 16) {
                const unsigned v = unsigned(src[2 * x] | (src[2 * x + 1] << 8));
                rgb[x] = qRgb(int((v >> 10) & 31) * 255 / 31, int((v >> 5) & 31) * 255 / 31,
                              int(v & 31) * 255 / 31);
            } else {
                const std::uint8_t *p = src + x * (bpp / 8);
                rgb[x] = qRgb(p[2], p[1], p[0]);
            }
        }
    }
    out.image = img;
    out.bottomUp = false;
    out.monochrome = bpp == 1;
    return true;
}
