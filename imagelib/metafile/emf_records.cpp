// imagelib/metafile/emf_records.cpp
// EMF records of objects, regions, text and bitmaps.
#include "imagelib/metafile/emf_player.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_dib.h"
#include "platform/font_map.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

using namespace metagdi;

namespace {

constexpr std::uint32_t kStockFlag = 0x80000000;
constexpr std::uint32_t kDefaultPalette = 15;
constexpr std::uint64_t kRegionHeader = 32;
constexpr std::uint32_t kMaxDashes = 16;
constexpr std::uint8_t AC_SRC_ALPHA = 1;
constexpr std::uint32_t GRADIENT_FILL_RECT_H = 0;
constexpr std::uint32_t GRADIENT_FILL_RECT_V = 1;
constexpr std::uint32_t GRADIENT_FILL_TRIANGLE = 2;

struct StockBrush
{
    std::uint32_t id;
    std::uint32_t style;
    QRgb colour;
};
constexpr StockBrush kStockBrushes[] = {
    {0, BS_SOLID, 0xFFFFFFFF},  {1, BS_SOLID, 0xFFC0C0C0}, {2, BS_SOLID, 0xFF808080},
    {3, BS_SOLID, 0xFF404040},  {4, BS_SOLID, 0xFF000000}, {5, BS_NULL, 0xFF000000},
    {18, BS_SOLID, 0xFFFFFFFF},
};

struct StockPen
{
    std::uint32_t id;
    std::uint32_t style;
    QRgb colour;
};
constexpr StockPen kStockPens[] = {{6, PS_SOLID, 0xFFFFFFFF},
                                   {7, PS_SOLID, 0xFF000000},
                                   {8, PS_NULL, 0xFF000000},
                                   {19, PS_SOLID, 0xFF000000}};

struct StockFont
{
    std::uint32_t id;
    std::uint8_t pitchAndFamily;
};
// Fixed and proportional system fonts, 16 pixels high.
constexpr StockFont kStockFonts[] = {{10, 0x31}, {11, 0x31}, {12, 0x22}, {13, 0x22},
                                     {14, 0x22}, {16, 0x31}, {17, 0x22}};

MetaObject stockObject(std::uint32_t id)
{
    for (const StockBrush &b : kStockBrushes)
        if (b.id == id)
            return MetaBrush{b.style, QColor::fromRgb(b.colour), 0, QImage(), false};
    for (const StockPen &p : kStockPens)
        if (p.id == id) {
            MetaPen pen;
            pen.style = p.style;
            pen.color = QColor::fromRgb(p.colour);
            return pen;
        }
    for (const StockFont &f : kStockFonts)
        if (f.id == id) {
            MetaFont font;
            font.lf.lfHeight = 16;
            font.lf.lfPitchAndFamily = f.pitchAndFamily;
            return font;
        }
    if (id == kDefaultPalette)
        return MetaPalette();
    return std::monostate();
}

QString wideAt(const MetaBytes &r, std::uint64_t at, std::uint64_t count)
{
    r.need(at, 2 * count);
    QString s;
    s.reserve(qsizetype(count));
    for (std::uint64_t i = 0; i < count; ++i)
        s.append(QChar(r.u16(at + 2 * i)));
    return s;
}

QColor vertexColour(const MetaBytes &r, std::uint64_t vertex)
{
    return QColor(r.u16(vertex + 8) >> 8, r.u16(vertex + 10) >> 8, r.u16(vertex + 12) >> 8);
}

// Source rectangles of device-independent bitmaps count from the bottom
// row of a bottom-up bitmap.
QRectF dibSource(const MetaBitmap &bitmap, QRectF source)
{
    if (bitmap.bottomUp)
        source.moveTop(bitmap.image.height() - source.top() - source.height());
    return source;
}

} // namespace

void EmfPlayer::onSelectObject(const MetaBytes &r)
{
    const std::uint32_t id = r.u32(8);
    if (id & kStockFlag)
        selectObjectValue(stockObject(id & ~kStockFlag));
    else
        selectObject(id);
}

void EmfPlayer::onDeleteObject(const MetaBytes &r)
{
    setObject(r.u32(8), std::monostate());
}

void EmfPlayer::onCreatePen(const MetaBytes &r)
{
    MetaPen pen;
    pen.style = r.u32(12);
    pen.width = std::abs(double(r.i32(16)));
    pen.color = colour(r.u32(24));
    setObject(r.u32(8), pen);
}

// A pen of any width, cosmetic (one pixel) or geometric (logical units),
// with its own dash lengths for PS_USERSTYLE.
void EmfPlayer::onExtCreatePen(const MetaBytes &r)
{
    MetaPen pen;
    pen.style = r.u32(28);
    pen.geometric = (pen.style & PS_GEOMETRIC) != 0;
    pen.width = r.u32(32);
    if (r.u32(36) == BS_NULL)
        pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
    pen.color = colour(r.u32(40));
    const std::uint32_t entries = std::min(r.u32(48), kMaxDashes);
    const double unit = pen.geometric ? std::max(pen.width, 1.0) : 1.0;
    for (std::uint32_t i = 0; i < entries && r.has(52 + 4 * std::uint64_t(i), 4); ++i)
        pen.dashes.push_back(std::max(0.1, r.u32(52 + 4 * i) / unit));
    if (pen.dashes.size() % 2)
        pen.dashes.insert(pen.dashes.end(), pen.dashes.begin(), pen.dashes.end());
    setObject(r.u32(8), pen);
}

void EmfPlayer::onCreateBrush(const MetaBytes &r)
{
    MetaBrush brush;
    brush.style = r.u32(12);
    brush.color = colour(r.u32(16));
    brush.hatch = r.u32(20);
    if (brush.style != BS_NULL && brush.style != BS_HATCHED)
        brush.style = BS_SOLID;
    setObject(r.u32(8), brush);
}

// Usage, then offset and size of the header and of the pixels.
void EmfPlayer::brushFromBitmap(const MetaBytes &r, bool monochrome)
{
    MetaBrush brush;
    MetaBitmap bitmap;
    if (bitmapAt(r, 16, r.u32(12), false, bitmap) && allowPattern(bitmap.image)) {
        brush.style = BS_DIBPATTERNPT;
        brush.pattern = bitmap.image;
        // A monochrome brush takes the text and background colours, not the
        // colours of its bitmap.
        brush.monochrome =
            monochrome && bitmap.image.format() == QImage::Format_Indexed8 && bitmap.image.colorCount() == 2;
    } else {
        brush.color = Qt::gray;
    }
    setObject(r.u32(8), brush);
}

void EmfPlayer::onCreateMonoBrush(const MetaBytes &r)
{
    brushFromBitmap(r, true);
}

void EmfPlayer::onCreateDibPatternBrush(const MetaBytes &r)
{
    brushFromBitmap(r, false);
}

void EmfPlayer::onCreateFont(const MetaBytes &r)
{
    MetaFont font;
    LOGFONT &lf = font.lf;
    lf.lfHeight = r.i32(12);
    lf.lfWidth = r.i32(16);
    lf.lfEscapement = r.i32(20);
    lf.lfOrientation = r.i32(24);
    lf.lfWeight = r.i32(28);
    lf.lfItalic = r.u8(32);
    lf.lfUnderline = r.u8(33);
    lf.lfStrikeOut = r.u8(34);
    lf.lfCharSet = r.u8(35);
    lf.lfOutPrecision = r.u8(36);
    lf.lfClipPrecision = r.u8(37);
    lf.lfQuality = r.u8(38);
    lf.lfPitchAndFamily = r.u8(39);
    QString face;
    for (std::uint64_t at = 40; at < 40 + 2 * LF_FACESIZE && r.has(at, 2) && r.u16(at); at += 2)
        face.append(QChar(r.u16(at)));
    SetLogFontFaceName(lf, face);
    setObject(r.u32(8), font);
}

void EmfPlayer::onCreatePalette(const MetaBytes &r)
{
    const std::uint32_t count = r.u16(14);
    r.need(16, 4 * std::uint64_t(count));
    MetaPalette palette;
    palette.colours.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        palette.colours.append(qRgb(r.u8(16 + 4 * i), r.u8(17 + 4 * i), r.u8(18 + 4 * i)));
    setObject(r.u32(8), palette);
}

void EmfPlayer::onSelectPalette(const MetaBytes &r)
{
    const std::uint32_t id = r.u32(8);
    if (id & kStockFlag) {
        state().palette.clear();
        return;
    }
    if (const MetaObject *obj = object(id))
        if (const auto *palette = std::get_if<MetaPalette>(obj))
            state().palette = palette->colours;
}

// Region data: a header with the rectangle count, then the rectangles, in
// device units.
QRegion EmfPlayer::regionAt(const MetaBytes &r, std::uint64_t at, std::uint64_t bytes)
{
    const MetaBytes data = r.sub(at, bytes);
    const std::uint64_t count = data.u32(8);
    data.need(kRegionHeader, count * 16);
    QList<QRect> rects;
    rects.reserve(qsizetype(count));
    const QRectF limit(-MetaCanvas::kCoordLimit, -MetaCanvas::kCoordLimit, 2 * MetaCanvas::kCoordLimit,
                       2 * MetaCanvas::kCoordLimit);
    for (std::uint64_t i = 0; i < count; ++i) {
        const QRectF device = rectAt(data, kRegionHeader + 16 * i).normalized();
        const QRectF pic = deviceToPicture().mapRect(device).intersected(limit);
        if (!pic.isEmpty())
            rects.append(
                QRect(QPoint(int(std::lround(pic.left())), int(std::lround(pic.top()))),
                      QPoint(int(std::lround(pic.right())) - 1, int(std::lround(pic.bottom())) - 1)));
    }
    return regionFromRects(rects);
}

void EmfPlayer::onFillRgn(const MetaBytes &r)
{
    const MetaObject *obj = object(r.u32(28));
    const MetaBrush *brush = obj ? std::get_if<MetaBrush>(obj) : nullptr;
    if (brush)
        fillRegion(regionAt(r, 32, r.u32(24)), *brush);
}

void EmfPlayer::onFrameRgn(const MetaBytes &r)
{
    const MetaObject *obj = object(r.u32(28));
    const MetaBrush *brush = obj ? std::get_if<MetaBrush>(obj) : nullptr;
    if (brush)
        frameRegion(regionAt(r, 40, r.u32(24)), *brush, QSizeF(r.i32(32), r.i32(36)));
}

void EmfPlayer::onInvertRgn(const MetaBytes &r)
{
    invertRegion(regionAt(r, 28, r.u32(24)));
}

void EmfPlayer::onPaintRgn(const MetaBytes &r)
{
    fillRegion(regionAt(r, 28, r.u32(24)), state().brush);
}

// Without region data only a copy means anything: it ends clipping.
void EmfPlayer::onExtSelectClipRgn(const MetaBytes &r)
{
    const std::uint32_t bytes = r.u32(8);
    const std::uint32_t mode = r.u32(12);
    if (bytes < kRegionHeader) {
        selectClipRegion(nullptr, mode);
        return;
    }
    const QRegion region = regionAt(r, 16, bytes);
    selectClipRegion(&region, mode);
}

// Bounds, graphics mode and scales, then the text record: reference point,
// character count, string offset, options, rectangle, advances offset.
void EmfPlayer::extTextOut(const MetaBytes &r, bool wide)
{
    MetaTextRun run;
    run.reference = pointAt(r, 36);
    const std::uint64_t count = r.u32(44);
    const std::uint64_t textAt = r.u32(48);
    run.options = r.u32(52);
    run.rect = rectAt(r, 56);
    if (wide) {
        run.text = textFromWide(wideAt(r, textAt, count));
    } else {
        r.need(textAt, count);
        run.text = textFromBytes(r.data() + textAt, std::size_t(count));
    }
    const std::uint64_t dxAt = r.u32(72);
    const std::uint64_t step = (run.options & ETO_PDY) ? 8 : 4;
    if (dxAt && r.has(dxAt, count * step) && std::uint64_t(run.text.size()) == count) {
        run.dx.reserve(std::size_t(count));
        for (std::uint64_t i = 0; i < count; ++i)
            run.dx.push_back(r.i32(dxAt + step * i));
    }
    text(run);
}

void EmfPlayer::onExtTextOutA(const MetaBytes &r)
{
    extTextOut(r, false);
}

void EmfPlayer::onExtTextOutW(const MetaBytes &r)
{
    extTextOut(r, true);
}

// Position, count, options, graphics mode and scales, a clipping rectangle
// unless the options leave it out, then eight- or sixteen-bit characters.
void EmfPlayer::onSmallTextOut(const MetaBytes &r)
{
    MetaTextRun run;
    run.reference = pointAt(r, 8);
    const std::uint64_t count = r.u32(16);
    run.options = r.u32(20);
    std::uint64_t at = 36;
    if (!(run.options & ETO_NO_RECT)) {
        run.rect = rectAt(r, at);
        at += 16;
    }
    if (run.options & ETO_SMALL_CHARS) {
        r.need(at, count);
        run.text = textFromBytes(r.data() + at, std::size_t(count));
    } else {
        run.text = textFromWide(wideAt(r, at, count));
    }
    text(run);
}

// The bitmap a record carries: offset and size of its header and colour
// table, then of its pixels, at fields.
bool EmfPlayer::bitmapAt(const MetaBytes &r, std::uint64_t fields, std::uint32_t usage, bool withAlpha,
                         MetaBitmap &out, std::uint32_t bandRows)
{
    const std::uint64_t cbBmi = r.u32(fields + 4);
    if (cbBmi == 0)
        return false;
    const MetaBytes info = r.sub(r.u32(fields), cbBmi);
    const MetaBytes bits = r.sub(r.u32(fields + 8), r.u32(fields + 12));
    if (!affordBitmap(MetaDibPixels(info)))
        return false;
    return MetaReadDib(info, bits, usage, state().palette, withAlpha, out, bandRows);
}

// The common layout of BitBlt, StretchBlt, AlphaBlend and TransparentBlt:
// destination, raster operation, source origin, source transform and
// background, the bitmap fields, and (stretching) the source size.
void EmfPlayer::stretchBlt(const MetaBytes &r, BlitKind kind)
{
    MetaBlit b;
    b.dest = QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    b.rop = r.u32(40);
    const bool stretch = kind != BlitKind::Bit;
    b.source = QRectF(r.i32(44), r.i32(48), stretch ? r.i32(100) : b.dest.width(),
                      stretch ? r.i32(104) : b.dest.height());
    MetaBitmap bitmap;
    const bool alpha = kind == BlitKind::Alpha && (r.u8(43) & AC_SRC_ALPHA);
    if (!bitmapAt(r, 84, r.u32(80), alpha, bitmap)) {
        if (r.u32(88) == 0 && kind != BlitKind::Alpha && kind != BlitKind::Transparent)
            patBlt(b.dest, b.rop);
        return;
    }
    b.image = bitmap.image;
    if (kind == BlitKind::Alpha) {
        b.rop = SRCCOPY;
        b.constantAlpha = r.u8(42) / 255.0;
    } else if (kind == BlitKind::Transparent) {
        b.rop = SRCCOPY;
        b.transparentKey = true;
        b.key = colour(r.u32(40)).rgb();
    }
    blit(b);
}

void EmfPlayer::onBitBlt(const MetaBytes &r)
{
    stretchBlt(r, BlitKind::Bit);
}

void EmfPlayer::onStretchBlt(const MetaBytes &r)
{
    stretchBlt(r, BlitKind::Stretch);
}

void EmfPlayer::onAlphaBlend(const MetaBytes &r)
{
    stretchBlt(r, BlitKind::Alpha);
}

void EmfPlayer::onTransparentBlt(const MetaBytes &r)
{
    stretchBlt(r, BlitKind::Transparent);
}

// The foreground operation of the four-operand code, the mask left out:
// the source is drawn whole.
void EmfPlayer::onMaskBlt(const MetaBytes &r)
{
    MetaBlit b;
    b.dest = QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    b.rop = r.u32(40) & 0x00FFFFFF;
    b.source = QRectF(r.i32(44), r.i32(48), b.dest.width(), b.dest.height());
    MetaBitmap bitmap;
    if (bitmapAt(r, 84, r.u32(80), false, bitmap))
        b.image = bitmap.image;
    else if (r.u32(88) != 0)
        return;
    blit(b);
}

void EmfPlayer::onSetDiBitsToDevice(const MetaBytes &r)
{
    MetaBitmap bitmap;
    const std::uint32_t startScan = r.u32(68);
    if (!bitmapAt(r, 48, r.u32(64), false, bitmap, r.u32(72)))
        return;
    MetaBlit b;
    b.image = bitmap.image;
    b.source = dibSource(bitmap, QRectF(r.i32(32), r.i32(36) - double(startScan), r.i32(40), r.i32(44)));
    b.dest = QRectF(r.i32(24), r.i32(28), r.i32(40), r.i32(44));
    blit(b);
}

void EmfPlayer::onStretchDiBits(const MetaBytes &r)
{
    MetaBlit b;
    b.dest = QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76));
    b.rop = r.u32(68);
    MetaBitmap bitmap;
    if (!bitmapAt(r, 48, r.u32(64), false, bitmap)) {
        if (r.u32(52) == 0)
            patBlt(b.dest, b.rop);
        return;
    }
    b.image = bitmap.image;
    b.source = dibSource(bitmap, QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44)));
    blit(b);
}

// Vertices (position and 16-bit colour channels), then rectangles or
// triangles naming them.
void EmfPlayer::onGradientFill(const MetaBytes &r)
{
    const std::uint64_t vertices = r.u32(24);
    const std::uint64_t shapes = r.u32(28);
    const std::uint32_t mode = r.u32(32);
    if (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V && mode != GRADIENT_FILL_TRIANGLE)
        return;
    r.need(36, vertices * 16);
    const std::uint64_t at = 36 + vertices * 16;
    const std::uint64_t step = mode == GRADIENT_FILL_TRIANGLE ? 12 : 8;
    r.need(at, shapes * step);
    for (std::uint64_t s = 0; s < shapes && !mCanvas.exhausted(); ++s) {
        const std::uint64_t e = at + step * s;
        const std::uint32_t a = r.u32(e);
        const std::uint32_t b = r.u32(e + 4);
        const std::uint32_t c = mode == GRADIENT_FILL_TRIANGLE ? r.u32(e + 8) : 0;
        if (a >= vertices || b >= vertices || c >= vertices)
            continue;
        if (mode == GRADIENT_FILL_TRIANGLE)
            gradientTriangle(r, 36 + 16 * std::uint64_t(a), 36 + 16 * std::uint64_t(b),
                             36 + 16 * std::uint64_t(c));
        else
            gradientRect(r, 36 + 16 * std::uint64_t(a), 36 + 16 * std::uint64_t(b),
                         mode == GRADIENT_FILL_RECT_H);
    }
}

// A rectangle shaded from one corner vertex's colour to the other's.
void EmfPlayer::gradientRect(const MetaBytes &r, std::uint64_t a, std::uint64_t b, bool horizontal)
{
    const QRectF box = QRectF(pointAt(r, a), pointAt(r, b)).normalized();
    QPainterPath path;
    path.addRect(box);
    const QTransform t = toPicture();
    QLinearGradient gradient(t.map(box.topLeft()), t.map(horizontal ? box.topRight() : box.bottomLeft()));
    gradient.setColorAt(0, vertexColour(r, a));
    gradient.setColorAt(1, vertexColour(r, b));
    fillLogical(path, gradient);
}

// A triangle filled with the mean of its corners' colours.
void EmfPlayer::gradientTriangle(const MetaBytes &r, std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    QPainterPath path;
    path.addPolygon(QPolygonF({pointAt(r, a), pointAt(r, b), pointAt(r, c)}));
    const QColor ca = vertexColour(r, a);
    const QColor cb = vertexColour(r, b);
    const QColor cc = vertexColour(r, c);
    fillLogical(path, QColor((ca.red() + cb.red() + cc.red()) / 3, (ca.green() + cb.green() + cc.green()) / 3,
                             (ca.blue() + cb.blue() + cc.blue()) / 3));
}
