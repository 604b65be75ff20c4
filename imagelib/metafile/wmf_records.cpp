// imagelib/metafile/wmf_records.cpp
// WMF records of objects, regions, text and bitmaps.
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_charset.h"
#include "imagelib/metafile/metafile_dib.h"
#include "imagelib/metafile/wmf_player.h"
#include "platform/font_map.h"

#include <cmath>

using namespace metagdi;

namespace {

// Size of the LOGFONT fields of a font record before the face name.
constexpr std::uint64_t kLogFontFields = 18;
// A Bitmap16 header; in a pattern brush record the pixels follow a pointer
// field and reserved bytes.
constexpr std::uint32_t kBitmap16Bits = 10;
constexpr std::uint32_t kPatternBrushBits = 32;

std::uint64_t padded(std::uint64_t bytes)
{
    return (bytes + 1) & ~std::uint64_t(1);
}

} // namespace

void WmfPlayer::onCreatePen(const MetaBytes &p)
{
    MetaPen pen;
    pen.style = p.u16(0);
    pen.width = std::abs(p.i16(2));
    pen.color = colour(p.u32(6));
    addObject(pen);
}

void WmfPlayer::onCreateBrush(const MetaBytes &p)
{
    MetaBrush brush;
    brush.style = p.u16(0);
    brush.color = colour(p.u32(2));
    brush.hatch = p.u16(6);
    // Pattern styles need a bitmap, which this record cannot carry.
    if (brush.style != BS_NULL && brush.style != BS_HATCHED)
        brush.style = BS_SOLID;
    addObject(brush);
}

void WmfPlayer::onCreateFont(const MetaBytes &p)
{
    MetaFont font;
    LOGFONT &lf = font.lf;
    lf.lfHeight = p.i16(0);
    lf.lfWidth = p.i16(2);
    lf.lfEscapement = p.i16(4);
    lf.lfOrientation = p.i16(6);
    lf.lfWeight = p.i16(8);
    lf.lfItalic = p.u8(10);
    lf.lfUnderline = p.u8(11);
    lf.lfStrikeOut = p.u8(12);
    lf.lfCharSet = p.u8(13);
    lf.lfOutPrecision = p.u8(14);
    lf.lfClipPrecision = p.u8(15);
    lf.lfQuality = p.u8(16);
    lf.lfPitchAndFamily = p.u8(17);
    // The face name runs to a NUL or to the end of the record.
    QByteArray face;
    for (std::uint64_t i = kLogFontFields; i < p.size() && face.size() < LF_FACESIZE - 1 && p.u8(i); ++i)
        face.append(char(p.u8(i)));
    SetLogFontFaceName(lf, MetaDecodeAnsi(reinterpret_cast<const std::uint8_t *>(face.constData()),
                                          std::size_t(face.size()), lf.lfCharSet));
    addObject(font);
}

void WmfPlayer::onCreatePalette(const MetaBytes &p)
{
    const std::uint32_t count = p.u16(2);
    p.need(4, 4 * std::uint64_t(count));
    MetaPalette palette;
    palette.colours.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        palette.colours.append(qRgb(p.u8(4 + 4 * i), p.u8(5 + 4 * i), p.u8(6 + 4 * i)));
    addObject(palette);
}

void WmfPlayer::onCreatePatternBrush(const MetaBytes &p)
{
    MetaBrush brush;
    MetaBitmap bitmap;
    if (readBitmap16(p, kPatternBrushBits, bitmap) && allowPattern(bitmap.image)) {
        brush.style = BS_PATTERN;
        brush.pattern = bitmap.image;
        brush.monochrome = bitmap.monochrome;
    } else {
        brush.color = Qt::gray;
    }
    addObject(brush);
}

void WmfPlayer::onCreateDibPatternBrush(const MetaBytes &p)
{
    MetaBrush brush;
    MetaBitmap bitmap;
    if (readDib(p.tail(4), p.u16(2), bitmap) && allowPattern(bitmap.image)) {
        brush.style = BS_DIBPATTERN;
        brush.pattern = bitmap.image;
    } else {
        brush.color = Qt::gray;
    }
    addObject(brush);
}

// A region object: a header with the scan count and bounds, then scans of
// a top, a bottom and pairs of left and right edges.
void WmfPlayer::onCreateRegion(const MetaBytes &p)
{
    const std::uint32_t scans = p.u16(10);
    MetaRegion region;
    std::uint64_t at = 22;
    for (std::uint32_t i = 0; i < scans; ++i) {
        const std::uint32_t edges = p.u16(at);
        const double top = p.i16(at + 2);
        const double bottom = p.i16(at + 4);
        p.need(at + 6, 2 * std::uint64_t(edges) + 2);
        for (std::uint32_t k = 0; k + 1 < edges; k += 2)
            region.rects.append(
                QRectF(QPointF(p.i16(at + 6 + 2 * k), top), QPointF(p.i16(at + 8 + 2 * k), bottom)));
        at += 8 + 2 * std::uint64_t(edges);
    }
    if (scans == 0)
        region.rects.append(QRectF(QPointF(p.i16(14), p.i16(16)), QPointF(p.i16(18), p.i16(20))));
    mCanvas.charge(double(region.rects.size()));
    addObject(region);
}

void WmfPlayer::onSelectObject(const MetaBytes &p)
{
    selectObject(p.u16(0));
}

void WmfPlayer::onSelectPalette(const MetaBytes &p)
{
    if (const MetaObject *obj = object(p.u16(0)))
        if (const auto *palette = std::get_if<MetaPalette>(obj))
            state().palette = palette->colours;
}

void WmfPlayer::onDeleteObject(const MetaBytes &p)
{
    deleteObject(p.u16(0));
}

bool WmfPlayer::readDib(const MetaBytes &dib, std::uint32_t usage, MetaBitmap &out, std::uint32_t bandRows)
{
    return affordBitmap(MetaDibPixels(dib)) && MetaReadPackedDib(dib, usage, state().palette, out, bandRows);
}

// Width and height are the second and third words of the header.
bool WmfPlayer::readBitmap16(const MetaBytes &bitmap, std::uint32_t bitsOffset, MetaBitmap &out)
{
    const std::uint64_t pixels =
        std::uint64_t(std::max(0, int(bitmap.i16(2)))) * std::max(0, int(bitmap.i16(4)));
    return affordBitmap(pixels) && MetaReadBitmap16(bitmap, bitsOffset, out);
}

const MetaRegion *WmfPlayer::regionObject(std::uint16_t index) const
{
    const MetaObject *obj = object(index);
    return obj ? std::get_if<MetaRegion>(obj) : nullptr;
}

void WmfPlayer::onSelectClipRegion(const MetaBytes &p)
{
    const MetaRegion *region = regionObject(p.u16(0));
    const QRegion r = region ? regionToPicture(*region) : QRegion();
    selectClipRegion(region ? &r : nullptr, RGN_COPY);
}

void WmfPlayer::onFillRegion(const MetaBytes &p)
{
    const MetaRegion *region = regionObject(p.u16(0));
    const MetaObject *obj = object(p.u16(2));
    const MetaBrush *brush = obj ? std::get_if<MetaBrush>(obj) : nullptr;
    if (region && brush)
        fillRegion(regionToPicture(*region), *brush);
}

// Region, brush, then the frame's height and width.
void WmfPlayer::onFrameRegion(const MetaBytes &p)
{
    const MetaRegion *region = regionObject(p.u16(0));
    const MetaObject *obj = object(p.u16(2));
    const MetaBrush *brush = obj ? std::get_if<MetaBrush>(obj) : nullptr;
    if (region && brush)
        frameRegion(regionToPicture(*region), *brush, QSizeF(p.i16(6), p.i16(4)));
}

void WmfPlayer::onInvertRegion(const MetaBytes &p)
{
    if (const MetaRegion *region = regionObject(p.u16(0)))
        invertRegion(regionToPicture(*region));
}

void WmfPlayer::onPaintRegion(const MetaBytes &p)
{
    if (const MetaRegion *region = regionObject(p.u16(0)))
        fillRegion(regionToPicture(*region), state().brush);
}

// Length, the string padded to an even length, then y and x.
void WmfPlayer::onTextOut(const MetaBytes &p)
{
    const std::uint32_t length = p.u16(0);
    p.need(2, length);
    const std::uint64_t at = 2 + padded(length);
    MetaTextRun run;
    run.reference = pointAt(p, at);
    run.text = textFromBytes(p.data() + 2, length);
    text(run);
}

// y, x, length, options, the rectangle when the options name one, the
// string padded to an even length, and optionally an advance per byte.
void WmfPlayer::onExtTextOut(const MetaBytes &p)
{
    MetaTextRun run;
    run.reference = pointAt(p, 0);
    const std::uint32_t length = p.u16(4);
    run.options = p.u16(6);
    std::uint64_t at = 8;
    if (run.options & (ETO_OPAQUE | ETO_CLIPPED)) {
        run.rect = QRectF(QPointF(p.i16(8), p.i16(10)), QPointF(p.i16(12), p.i16(14)));
        at += 8;
    }
    p.need(at, length);
    run.text = textFromBytes(p.data() + at, length);
    at += padded(length);
    if (p.has(at, 2 * std::uint64_t(length)) && std::uint32_t(run.text.size()) == length) {
        run.dx.reserve(length);
        for (std::uint32_t i = 0; i < length; ++i)
            run.dx.push_back(p.i16(at + 2 * i));
    }
    text(run);
}

void WmfPlayer::onPatBlt(const MetaBytes &p)
{
    patBlt(QRectF(p.i16(10), p.i16(8), p.i16(6), p.i16(4)), p.u32(0));
}

// Source rectangles count from the top row, except for the records that
// take a device-independent bitmap as such, where a bottom-up bitmap counts
// from its bottom row.
void WmfPlayer::drawBitmap(const MetaBitmap &bitmap, const QRectF &dest, QRectF source, bool sourceFromBottom,
                           std::uint32_t rop)
{
    if (sourceFromBottom && bitmap.bottomUp)
        source.moveTop(bitmap.image.height() - source.top() - source.height());
    MetaBlit b;
    b.dest = dest;
    b.source = source;
    b.image = bitmap.image;
    b.monochrome = bitmap.monochrome;
    b.rop = rop;
    blit(b);
}

// The forms without a bitmap carry one more reserved word than the
// parameters they share with the bitmap forms; they are pattern operations.
void WmfPlayer::onBitBlt(const MetaBytes &p)
{
    if (p.size() == 18) {
        patBlt(QRectF(p.i16(16), p.i16(14), p.i16(12), p.i16(10)), p.u32(0));
        return;
    }
    MetaBitmap bitmap;
    if (readBitmap16(p.tail(16), kBitmap16Bits, bitmap))
        drawBitmap(bitmap, QRectF(p.i16(14), p.i16(12), p.i16(10), p.i16(8)),
                   QRectF(p.i16(6), p.i16(4), p.i16(10), p.i16(8)), false, p.u32(0));
}

void WmfPlayer::onStretchBlt(const MetaBytes &p)
{
    if (p.size() == 22) {
        patBlt(QRectF(p.i16(20), p.i16(18), p.i16(16), p.i16(14)), p.u32(0));
        return;
    }
    MetaBitmap bitmap;
    if (readBitmap16(p.tail(20), kBitmap16Bits, bitmap))
        drawBitmap(bitmap, QRectF(p.i16(18), p.i16(16), p.i16(14), p.i16(12)),
                   QRectF(p.i16(10), p.i16(8), p.i16(6), p.i16(4)), false, p.u32(0));
}

void WmfPlayer::onDibBitBlt(const MetaBytes &p)
{
    if (p.size() == 18) {
        patBlt(QRectF(p.i16(16), p.i16(14), p.i16(12), p.i16(10)), p.u32(0));
        return;
    }
    MetaBitmap bitmap;
    if (readDib(p.tail(16), DIB_RGB_COLORS, bitmap))
        drawBitmap(bitmap, QRectF(p.i16(14), p.i16(12), p.i16(10), p.i16(8)),
                   QRectF(p.i16(6), p.i16(4), p.i16(10), p.i16(8)), false, p.u32(0));
}

void WmfPlayer::onDibStretchBlt(const MetaBytes &p)
{
    if (p.size() == 22) {
        patBlt(QRectF(p.i16(20), p.i16(18), p.i16(16), p.i16(14)), p.u32(0));
        return;
    }
    MetaBitmap bitmap;
    if (readDib(p.tail(20), DIB_RGB_COLORS, bitmap))
        drawBitmap(bitmap, QRectF(p.i16(18), p.i16(16), p.i16(14), p.i16(12)),
                   QRectF(p.i16(10), p.i16(8), p.i16(6), p.i16(4)), false, p.u32(0));
}

void WmfPlayer::onStretchDib(const MetaBytes &p)
{
    MetaBitmap bitmap;
    if (readDib(p.tail(22), p.u16(4), bitmap))
        drawBitmap(bitmap, QRectF(p.i16(20), p.i16(18), p.i16(16), p.i16(14)),
                   QRectF(p.i16(12), p.i16(10), p.i16(8), p.i16(6)), true, p.u32(0));
}

// Scan lines start..start+count of a bitmap, unstretched; the record holds
// only those rows, and the source rectangle counts from the whole bitmap's
// bottom row.
void WmfPlayer::onSetDibToDev(const MetaBytes &p)
{
    MetaBitmap bitmap;
    if (!readDib(p.tail(18), p.u16(0), bitmap, p.u16(2)))
        return;
    const double width = p.i16(12);
    const double height = p.i16(10);
    const QRectF source(p.i16(8), p.i16(6) - double(p.u16(4)), width, height);
    drawBitmap(bitmap, QRectF(p.i16(16), p.i16(14), width, height), source, true, SRCCOPY);
}
