// imagelib/metafile/emfplus_objects.cpp
// EMF+ objects: brushes, pens, paths, fonts, images and string formats,
// possibly arriving in several records.
#include "imagelib/core/image.h"
#include "imagelib/metafile/emfplus_player.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_dib.h"
#include "imagelib/streams/mem_file.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

enum ObjectType : std::uint32_t { Brush = 1, Pen = 2, Path = 3, Image = 5, Font = 6, StringFormat = 7 };

constexpr std::uint16_t kContinuedFlag = 0x8000;
constexpr std::uint32_t kObjectSlots = 64;
// Largest object assembled from pieces.
constexpr std::uint64_t kMaxObjectBytes = 64ull << 20;
constexpr std::uint32_t kMaxDashes = 16;

constexpr std::uint16_t kPathRleTypes = 0x1000;
constexpr std::uint16_t kPathCompressed = 0x4000;
constexpr std::uint16_t kPathRelative = 0x0800;

constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                       Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};

// Pixel formats of uncompressed bitmaps we read: 24 and 32 bits.
constexpr std::uint32_t kRgb24 = 0x00021808;
constexpr std::uint32_t kRgb32 = 0x00022009;
constexpr std::uint32_t kArgb32 = 0x0026200A;
constexpr std::uint32_t kPargb32 = 0x000E200B;

Qt::PenCapStyle capOf(std::int32_t cap)
{
    return cap == 1 ? Qt::SquareCap : cap == 2 ? Qt::RoundCap : Qt::FlatCap;
}

Qt::PenJoinStyle joinOf(std::uint32_t join)
{
    return join == 1 ? Qt::BevelJoin : join == 2 ? Qt::RoundJoin : Qt::MiterJoin;
}

Qt::PenStyle styleOf(std::int32_t style)
{
    constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                        Qt::DashDotLine, Qt::DashDotDotLine, Qt::CustomDashLine};
    return style >= 0 && style < 6 ? kStyles[style] : Qt::SolidLine;
}

QTransform matrixAt(const MetaBytes &d, std::uint64_t at)
{
    return QTransform(d.f32(at), d.f32(at + 4), d.f32(at + 8), d.f32(at + 12), d.f32(at + 16),
                      d.f32(at + 20));
}

// The size a compressed picture says it has, read from its header alone,
// and the image type that decodes it; false for a kind we do not take.
bool probeCompressed(std::vector<std::uint8_t> &bytes, std::uint32_t &type, std::uint64_t &pixels)
{
    const MetaBytes b(bytes.data(), bytes.size());
    if (b.has(0, 24) && std::memcmp(bytes.data(), "\x89PNG", 4) == 0) {
        type = ZV_TYPE_PNG;
        const auto be32 = [&](std::uint64_t at) {
            return (std::uint64_t(b.u8(at)) << 24) | (b.u8(at + 1) << 16) | (b.u8(at + 2) << 8) |
                   b.u8(at + 3);
        };
        pixels = be32(16) * be32(20);
        return true;
    }
    if (b.has(0, 3) && bytes[0] == 0xFF && bytes[1] == 0xD8)
        type = ZV_TYPE_JPG;
    else if (b.has(0, 4) && std::memcmp(bytes.data(), "GIF8", 4) == 0)
        type = ZV_TYPE_GIF;
    else if (b.has(0, 2) && std::memcmp(bytes.data(), "BM", 2) == 0)
        type = ZV_TYPE_BMP;
    else
        return false;
    // These decoders stop after the header when asked.
    ZvImage probe;
    ZvMemFile file(bytes.data(), bytes.size());
    probe.SetEscape(-1);
    probe.Decode(&file, type);
    pixels =
        std::uint64_t(std::uint32_t(probe.GetHeader().biWidth)) * std::uint32_t(probe.GetHeader().biHeight);
    return pixels > 0;
}

QImage toQImage(const ZvImage &z)
{
    const int w = int(z.GetWidth());
    const int h = int(z.GetHeight());
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; !out.isNull() && y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const RGBQUAD c = z.GetPixelColor(x, h - 1 - y, false);
            line[x] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
    }
    return out;
}

} // namespace

const PlusObject *EmfPlusPlayer::object(std::uint32_t id) const
{
    return id < mObjects.size() ? &mObjects[id] : nullptr;
}

QBrush EmfPlusPlayer::brushFor(std::uint16_t flags, std::uint32_t value) const
{
    if (flags & 0x8000)
        return QBrush(QColor::fromRgba(value));
    const PlusObject *obj = object(value);
    const auto *brush = obj ? std::get_if<PlusBrush>(obj) : nullptr;
    return brush ? brush->brush : QBrush(Qt::NoBrush);
}

const PlusPen *EmfPlusPlayer::penFor(std::uint32_t id) const
{
    const PlusObject *obj = object(id);
    return obj ? std::get_if<PlusPen>(obj) : nullptr;
}

// The object id is the low byte of the flags and its type the next seven
// bits; a large object comes in pieces, each but the last flagged as
// continued and starting with the whole object's size.
void EmfPlusPlayer::onObject(std::uint16_t flags, const MetaBytes &d)
{
    const std::uint32_t id = flags & 0xFF;
    const std::uint32_t type = (flags >> 8) & 0x7F;
    if (id >= kObjectSlots)
        return;
    if (flags & kContinuedFlag) {
        if (id != mPartialId || type != mPartialType) {
            mPartial.clear();
            mPartialId = id;
            mPartialType = type;
            mPartialTotal = d.u32(0);
        }
        const MetaBytes piece = d.tail(4);
        if (mPartialTotal > kMaxObjectBytes || mPartial.size() + piece.size() > mPartialTotal) {
            mPartialId = ~0u;
            mPartial.clear();
            return;
        }
        mPartial.insert(mPartial.end(), piece.data(), piece.data() + piece.size());
        return;
    }
    if (id == mPartialId && type == mPartialType && mPartial.size() + d.size() <= kMaxObjectBytes) {
        mPartial.insert(mPartial.end(), d.data(), d.data() + d.size());
        const std::vector<std::uint8_t> whole = std::move(mPartial);
        mPartialId = ~0u;
        mPartial.clear();
        mObjects[id] = readObject(type, MetaBytes(whole.data(), whole.size()));
        return;
    }
    mObjects[id] = readObject(type, d);
}

PlusObject EmfPlusPlayer::readObject(std::uint32_t type, const MetaBytes &d)
{
    mCanvas.charge(double(d.size()));
    try {
        switch (type) {
        case Brush: return PlusBrush{readBrush(d)};
        case Pen: return readPen(d);
        case Path: return readPath(d);
        case Font: return readFont(d);
        case Image: return readImage(d);
        case StringFormat: return PlusFormat{d.u32(12), d.u32(16)};
        default: return std::monostate();
        }
    } catch (const MetaShortRecord &) {
        return std::monostate();
    }
}

// Version, type, then per type: a colour; a hatch style with its colours; a
// texture (an image); a path gradient (drawn in its centre colour); a linear
// gradient across a rectangle.
QBrush EmfPlusPlayer::readBrush(const MetaBytes &d)
{
    switch (d.u32(4)) {
    case 0: return QBrush(QColor::fromRgba(d.u32(8)));
    case 1: {
        const std::uint32_t style = d.u32(8);
        return QBrush(QColor::fromRgba(d.u32(12)), style < 6 ? kHatches[style] : Qt::Dense4Pattern);
    }
    case 2: {
        const std::uint64_t at = (d.u32(8) & 0x02) ? 40 : 16;
        const QImage image = readImage(d.tail(at));
        return image.isNull() ? QBrush(Qt::gray) : QBrush(image);
    }
    case 3: return QBrush(QColor::fromRgba(d.u32(16)));
    case 4: {
        const QRectF r(d.f32(16), d.f32(20), d.f32(24), d.f32(28));
        QLinearGradient gradient(r.topLeft(), r.topRight());
        gradient.setColorAt(0, QColor::fromRgba(d.u32(32)));
        gradient.setColorAt(1, QColor::fromRgba(d.u32(36)));
        if (d.u32(8) & 0x02) {
            const QTransform t = matrixAt(d, 48);
            gradient.setStart(t.map(r.topLeft()));
            gradient.setFinalStop(t.map(r.topRight()));
        }
        return QBrush(gradient);
    }
    default: return QBrush(Qt::gray);
    }
}

// Version, type, the flags of the optional fields, the width's unit and
// the width, the optional fields in flag order, then the pen's brush.
PlusPen EmfPlusPlayer::readPen(const MetaBytes &d)
{
    PlusPen pen;
    const std::uint32_t flags = d.u32(8);
    pen.width = double(d.f32(16)) * unitToWorld(d.u32(12));
    const std::uint64_t brushAt = readPenOptions(d, flags, pen);
    pen.brush = readBrush(d.tail(brushAt));
    if (!std::isfinite(pen.width))
        pen.width = 0;
    if (!std::isfinite(pen.miterLimit))
        pen.miterLimit = 10;
    return pen;
}

// The optional fields of a pen that change how it draws (caps, join, miter
// limit, dashes); the others are stepped over. Returns where they end.
std::uint64_t EmfPlusPlayer::readPenOptions(const MetaBytes &d, std::uint32_t flags, PlusPen &pen)
{
    std::uint64_t at = 20 + ((flags & 0x0001) ? 24 : 0); // transform
    const auto take = [&](std::uint32_t bit) {
        const bool present = flags & bit;
        at += present ? 4 : 0;
        return present;
    };
    if (take(0x0002))
        pen.cap = capOf(d.i32(at - 4));
    take(0x0004);
    if (take(0x0008))
        pen.join = joinOf(d.u32(at - 4));
    if (take(0x0010))
        pen.miterLimit = d.f32(at - 4);
    if (take(0x0020))
        pen.style = styleOf(d.i32(at - 4));
    take(0x0040);
    take(0x0080);
    if (flags & 0x0100) {
        const std::uint32_t n = d.u32(at);
        d.need(at + 4, 4 * std::uint64_t(n));
        for (std::uint32_t i = 0; i < n && i < kMaxDashes; ++i) {
            const double dash = d.f32(at + 4 + 4 * i);
            pen.dashes.append(std::isfinite(dash) ? std::clamp(dash, 0.1, 1000.0) : 1.0);
        }
        if (pen.dashes.size() % 2)
            pen.dashes.append(pen.dashes);
        at += 4 + 4 * std::uint64_t(n);
    }
    take(0x0200);
    // Compound line data (floats), then custom start and end caps (bytes).
    for (std::uint32_t bit : {0x0400u, 0x0800u, 0x1000u})
        if (flags & bit)
            at += 4 + std::uint64_t(d.u32(at)) * (bit == 0x0400u ? 4 : 1);
    return at;
}

// Version, point count, flags, then the points and one type byte per point
// (or runs of types).
QPainterPath EmfPlusPlayer::readPath(const MetaBytes &d)
{
    const std::uint32_t count = d.u32(4);
    const std::uint16_t flags = d.u16(8);
    std::uint64_t at = 12;
    const QPolygonF points = pointsAt(d, at, count, flags);
    if (flags & kPathRelative) {
        for (std::uint32_t i = 0; i < count * 2; ++i)
            at += (d.u8(at) & 0x80) ? 2 : 1;
    } else {
        at += std::uint64_t(count) * ((flags & kPathCompressed) ? 4 : 8);
    }
    std::vector<std::uint8_t> types;
    types.reserve(count);
    while (types.size() < count) {
        if (flags & kPathRleTypes) {
            const std::uint32_t run = d.u8(at) & 0x3F;
            types.insert(types.end(), std::min<std::size_t>(run, count - types.size()), d.u8(at + 1));
            at += 2;
        } else {
            types.push_back(d.u8(at++));
        }
    }
    QPainterPath path;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t kind = types[i] & 0x07;
        if (kind == 0 || path.elementCount() == 0)
            path.moveTo(points[i]);
        else if (kind == 3 && i + 2 < count && (types[i + 1] & 0x07) == 3) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else
            path.lineTo(points[i]);
        if (types[i] & 0x80)
            path.closeSubpath();
    }
    return path;
}

// Version, em size and its unit, style flags, reserved, then the family
// name's length and the name.
PlusFont EmfPlusPlayer::readFont(const MetaBytes &d)
{
    PlusFont font;
    font.emSize = d.f32(4);
    font.unit = d.u32(8);
    font.style = d.i32(12);
    const std::uint32_t length = std::min<std::uint32_t>(d.u32(20), 256);
    for (std::uint32_t i = 0; i < length && d.has(24 + 2 * std::uint64_t(i), 2); ++i)
        font.family.append(QChar(d.u16(24 + 2 * i)));
    if (!std::isfinite(font.emSize) || font.emSize <= 0)
        font.emSize = 12;
    return font;
}

// Version, type (bitmaps only; metafiles are not played), size, stride,
// pixel format, and either the pixels (24 or 32 bits, top row first) or a
// compressed picture (PNG, JPEG, GIF, BMP) read by the library's codecs.
QImage EmfPlusPlayer::readImage(const MetaBytes &d)
{
    if (d.u32(4) != 1)
        return QImage();
    const std::int32_t w = d.i32(8);
    const std::int32_t h = d.i32(12);
    const std::int32_t stride = d.i32(16);
    const std::uint32_t format = d.u32(20);
    const MetaBytes data = d.tail(28);
    if (d.u32(24) == 1) {
        std::vector<std::uint8_t> bytes(data.data(), data.data() + data.size());
        std::uint32_t type = 0;
        std::uint64_t pixels = 0;
        if (!probeCompressed(bytes, type, pixels) || pixels > kMetaMaxBitmapPixels)
            return QImage();
        mCanvas.charge(double(pixels));
        ZvMemFile file(bytes.data(), bytes.size());
        ZvImage z;
        return !mCanvas.exhausted() && z.Decode(&file, type) ? toQImage(z) : QImage();
    }
    const int bytesPerPixel = format == kRgb24                                                ? 3
                              : (format == kRgb32 || format == kArgb32 || format == kPargb32) ? 4
                                                                                              : 0;
    if (!bytesPerPixel || w <= 0 || h <= 0 || std::uint64_t(w) * std::uint64_t(h) > kMetaMaxBitmapPixels ||
        stride < w * bytesPerPixel || !data.has(0, std::uint64_t(stride) * std::uint64_t(h)))
        return QImage();
    mCanvas.charge(double(w) * h);
    QImage out(w, h, format == kArgb32 || format == kPargb32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; !out.isNull() && y < h; ++y) {
        const std::uint8_t *src = data.data() + std::size_t(stride) * std::size_t(y);
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x, src += bytesPerPixel) {
            const int a = bytesPerPixel == 4 && format != kRgb32 ? src[3] : 255;
            const auto straight = [&](int v) {
                return format == kPargb32 && a ? std::min(255, v * 255 / a) : v;
            };
            line[x] = qRgba(straight(src[2]), straight(src[1]), straight(src[0]), a);
        }
    }
    return out;
}
