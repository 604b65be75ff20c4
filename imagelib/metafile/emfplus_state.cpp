// imagelib/metafile/emfplus_state.cpp
// EMF+ images, text, saved states, transforms and clipping.
#include "imagelib/metafile/emfplus_player.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_region.h"
#include "platform/font_map.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint16_t kColourFlag = 0x8000;
constexpr std::uint16_t kCompressedFlag = 0x4000;
constexpr std::uint16_t kAppendFlag = 0x2000; // A: the new transform applies after the old
constexpr std::uint32_t kCmapLookup = 0x0001; // driver strings hold characters, not glyphs
constexpr std::size_t kMaxSavedStates = 4096;
constexpr std::uint32_t kMaxRunLength = 1 << 14;
constexpr double kGlyphCost = 64;
constexpr double kFontCost = 50000;
constexpr int kFontCacheSize = 64;

enum CombineMode : std::uint32_t { Replace, Intersect, Union, Xor, Exclude, Complement };

bool finiteTransform(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

QString wideAt(const MetaBytes &d, std::uint64_t at, std::uint32_t count)
{
    d.need(at, 2 * std::uint64_t(count));
    QString s;
    s.reserve(qsizetype(count));
    for (std::uint32_t i = 0; i < count; ++i)
        s.append(QChar(d.u16(at + 2 * i)));
    return s;
}

Qt::Alignment alignmentOf(std::uint32_t horizontal, std::uint32_t vertical)
{
    const Qt::Alignment h = horizontal == 1   ? Qt::AlignHCenter
                            : horizontal == 2 ? Qt::AlignRight
                                              : Qt::AlignLeft;
    const Qt::Alignment v = vertical == 1 ? Qt::AlignVCenter : vertical == 2 ? Qt::AlignBottom : Qt::AlignTop;
    return h | v;
}

} // namespace

// Image attributes, the source unit and rectangle (pixels), then the
// destination rectangle in world units.
void EmfPlusPlayer::onDrawImage(std::uint16_t flags, const MetaBytes &d)
{
    const PlusObject *obj = object(flags & 0xFF);
    const auto *image = obj ? std::get_if<QImage>(obj) : nullptr;
    const QRectF src(d.f32(8), d.f32(12), d.f32(16), d.f32(20));
    const QRectF dst = rectAt(d, 24, flags & kCompressedFlag);
    if (!image || src.width() == 0 || src.height() == 0)
        return;
    const double sx = dst.width() / src.width();
    const double sy = dst.height() / src.height();
    drawImage(*image, src, QTransform(sx, 0, 0, sy, dst.x() - src.x() * sx, dst.y() - src.y() * sy));
}

// As DrawImage, with the destination a parallelogram: where the source's
// top-left, top-right and bottom-left corners go.
void EmfPlusPlayer::onDrawImagePoints(std::uint16_t flags, const MetaBytes &d)
{
    const PlusObject *obj = object(flags & 0xFF);
    const auto *image = obj ? std::get_if<QImage>(obj) : nullptr;
    const QRectF src(d.f32(8), d.f32(12), d.f32(16), d.f32(20));
    if (!image || d.u32(24) != 3 || src.width() == 0 || src.height() == 0)
        return;
    const QPolygonF p = pointsAt(d, 28, 3, flags);
    const double m11 = (p[1].x() - p[0].x()) / src.width();
    const double m12 = (p[1].y() - p[0].y()) / src.width();
    const double m21 = (p[2].x() - p[0].x()) / src.height();
    const double m22 = (p[2].y() - p[0].y()) / src.height();
    drawImage(*image, src,
              QTransform(m11, m12, m21, m22, p[0].x() - src.x() * m11 - src.y() * m21,
                         p[0].y() - src.x() * m12 - src.y() * m22));
}

void EmfPlusPlayer::drawImage(const QImage &image, const QRectF &sourceIn, const QTransform &sourceToWorld)
{
    const QRectF source = sourceIn.intersected(QRectF(image.rect()));
    const QTransform full = sourceToWorld * toPicture();
    if (source.isEmpty() || !finiteTransform(full))
        return;
    const QRectF bounds = full.mapRect(source);
    const double limit = MetaCanvas::kCoordLimit;
    if (!QRectF(-limit, -limit, 2 * limit, 2 * limit).contains(bounds))
        return;
    QPainter *painter = mCanvas.begin(bounds, clipState(), source.width() * source.height());
    if (!painter)
        return;
    painter->setTransform(full);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(source, image, source);
}

// A font at the given em size in picture pixels, through the same LOGFONT
// mapping as every other text.
QFont EmfPlusPlayer::pictureFont(const PlusFont &font, double pixels)
{
    LOGFONT lf;
    const double limit = std::max(16.0, 4 * std::max(mCanvas.rect().width(), mCanvas.rect().height()));
    lf.lfHeight = -std::int32_t(std::clamp(std::round(pixels), 1.0, std::min(limit, double(kMaxFontPixels))));
    lf.lfWeight = (font.style & 1) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (font.style & 2) ? 1 : 0;
    lf.lfUnderline = (font.style & 4) ? 1 : 0;
    lf.lfStrikeOut = (font.style & 8) ? 1 : 0;
    SetLogFontFaceName(lf, font.family);
    const QByteArray key(reinterpret_cast<const char *>(&lf), sizeof lf);
    if (const auto found = mFonts.constFind(key); found != mFonts.constEnd())
        return *found;
    if (mFonts.size() >= kFontCacheSize)
        mFonts.clear();
    mCanvas.charge(kFontCost);
    const QFont qfont = FontFromLogFont(lf);
    mFonts.insert(key, qfont);
    return qfont;
}

// One run of text: in its layout box with the format's alignment, or with
// the top of its em square at the point (no box). Turned and scaled with
// the world transform.
void EmfPlusPlayer::drawRun(const QString &textIn, const QPointF &worldAt, const QBrush &brush,
                            const PlusFont &font, const QRectF *box, const PlusFormat *format,
                            bool atBaseline)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()) || textIn.isEmpty())
        return;
    const QString text = textIn.left(kMaxRunLength);
    const QTransform t = toPicture();
    const double sx = std::hypot(t.m11(), t.m12());
    const double sy = std::hypot(t.m21(), t.m22());
    const QFont qfont = pictureFont(font, font.emSize * unitToWorld(font.unit) * sy);
    const QFontMetricsF fm(qfont);
    const QPointF origin = t.map(worldAt);
    const double angle = std::atan2(t.m12(), t.m11()) * 180 / M_PI;
    if (!std::isfinite(origin.x()) || !std::isfinite(origin.y()) || !std::isfinite(angle))
        return;
    QTransform place;
    place.translate(origin.x(), origin.y());
    place.rotate(angle);
    const QRectF area =
        box && box->width() > 0 && box->height() > 0
            ? QRectF(0, 0, box->width() * sx, box->height() * sy)
            : QRectF(0, atBaseline ? -fm.ascent() : 0, fm.horizontalAdvance(text), fm.height());
    const QRectF bounds = place.mapRect(area.adjusted(-fm.height(), -fm.height(), fm.height(), fm.height()));
    QPainter *painter = mCanvas.begin(bounds, clipState(), double(text.size()) * kGlyphCost);
    if (!painter)
        return;
    painter->setTransform(place);
    painter->setFont(qfont);
    painter->setPen(QPen(brush.style() == Qt::NoBrush ? QBrush(Qt::black) : brush, 1));
    const Qt::Alignment align =
        format ? alignmentOf(format->alignment, format->lineAlignment) : Qt::AlignLeft | Qt::AlignTop;
    painter->drawText(area, int(align | Qt::TextDontClip), text);
}

// Brush, string format, length, layout box, then the characters.
void EmfPlusPlayer::onDrawString(std::uint16_t flags, const MetaBytes &d)
{
    const PlusObject *obj = object(flags & 0xFF);
    const auto *font = obj ? std::get_if<PlusFont>(obj) : nullptr;
    const PlusObject *formatObj = object(d.u32(4));
    const auto *format = formatObj ? std::get_if<PlusFormat>(formatObj) : nullptr;
    const QRectF box(d.f32(12), d.f32(16), d.f32(20), d.f32(24));
    const QString text = wideAt(d, 28, d.u32(8));
    if (font)
        drawRun(text, box.topLeft(), brushFor(flags & kColourFlag, d.u32(0)), *font, &box, format);
}

// Brush, options, whether a matrix follows, the glyph count, the glyphs and
// a position (on the baseline) for each. Only characters are drawn, not
// glyph numbers of a font we may not have.
void EmfPlusPlayer::onDrawDriverString(std::uint16_t flags, const MetaBytes &d)
{
    const PlusObject *obj = object(flags & 0xFF);
    const auto *font = obj ? std::get_if<PlusFont>(obj) : nullptr;
    const std::uint32_t count = std::min(d.u32(12), kMaxRunLength);
    if (!font || !(d.u32(4) & kCmapLookup))
        return;
    const QString text = wideAt(d, 16, count);
    const std::uint64_t positions = 16 + 2 * std::uint64_t(count);
    d.need(positions, 8 * std::uint64_t(count));
    const QBrush brush = brushFor(flags & kColourFlag, d.u32(0));
    for (std::uint32_t i = 0; i < count && !mCanvas.exhausted(); ++i) {
        const QPointF at(d.f32(positions + 8 * i), d.f32(positions + 8 * i + 4));
        drawRun(QString(text.at(qsizetype(i))), at, brush, *font, nullptr, nullptr, true);
    }
}

void EmfPlusPlayer::onSave(std::uint16_t, const MetaBytes &d)
{
    if (mSaved.size() < kMaxSavedStates || mSaved.count(d.u32(0)))
        mSaved[d.u32(0)] = mState;
}

void EmfPlusPlayer::onRestore(std::uint16_t, const MetaBytes &d)
{
    const auto it = mSaved.find(d.u32(0));
    if (it == mSaved.end())
        return;
    mState = it->second;
    mSaved.erase(it);
}

// Destination and source rectangles, then the state's id: a saved state
// whose world maps the source onto the destination.
void EmfPlusPlayer::onBeginContainer(std::uint16_t, const MetaBytes &d)
{
    const QRectF dst(d.f32(0), d.f32(4), d.f32(8), d.f32(12));
    const QRectF src(d.f32(16), d.f32(20), d.f32(24), d.f32(28));
    onSave(0, d.tail(32));
    if (src.width() == 0 || src.height() == 0)
        return;
    const double sx = dst.width() / src.width();
    const double sy = dst.height() / src.height();
    combineTransform(0, QTransform(sx, 0, 0, sy, dst.x() - src.x() * sx, dst.y() - src.y() * sy));
}

void EmfPlusPlayer::combineTransform(std::uint16_t flags, const QTransform &t)
{
    const QTransform result = (flags & kAppendFlag) ? mState.world * t : t * mState.world;
    if (finiteTransform(result))
        mState.world = result;
}

void EmfPlusPlayer::onSetWorldTransform(std::uint16_t, const MetaBytes &d)
{
    const QTransform t(d.f32(0), d.f32(4), d.f32(8), d.f32(12), d.f32(16), d.f32(20));
    if (finiteTransform(t))
        mState.world = t;
}

void EmfPlusPlayer::onResetWorldTransform(std::uint16_t, const MetaBytes &)
{
    mState.world = QTransform();
}

void EmfPlusPlayer::onMultiplyWorldTransform(std::uint16_t flags, const MetaBytes &d)
{
    combineTransform(flags, QTransform(d.f32(0), d.f32(4), d.f32(8), d.f32(12), d.f32(16), d.f32(20)));
}

void EmfPlusPlayer::onTranslateWorldTransform(std::uint16_t flags, const MetaBytes &d)
{
    combineTransform(flags, QTransform::fromTranslate(d.f32(0), d.f32(4)));
}

void EmfPlusPlayer::onScaleWorldTransform(std::uint16_t flags, const MetaBytes &d)
{
    combineTransform(flags, QTransform::fromScale(d.f32(0), d.f32(4)));
}

void EmfPlusPlayer::onRotateWorldTransform(std::uint16_t flags, const MetaBytes &d)
{
    const double angle = d.f32(0);
    if (std::isfinite(angle))
        combineTransform(flags, QTransform().rotate(std::fmod(angle, 360.0)));
}

// The page unit is the low byte of the flags; the scale follows.
void EmfPlusPlayer::onSetPageTransform(std::uint16_t flags, const MetaBytes &d)
{
    const double scale = d.f32(0);
    mState.pageUnit = flags & 0xFF;
    if (std::isfinite(scale) && scale > 0)
        mState.pageScale = scale;
}

void EmfPlusPlayer::onResetClip(std::uint16_t, const MetaBytes &)
{
    mState.clipped = false;
    mState.clip = QRegion();
}

// The combination mode is in bits 8..11 of the flags.
void EmfPlusPlayer::onSetClipRect(std::uint16_t flags, const MetaBytes &d)
{
    QPainterPath path;
    path.addRect(QRectF(d.f32(0), d.f32(4), d.f32(8), d.f32(12)));
    combineClip(flags, path, true);
}

void EmfPlusPlayer::onSetClipPath(std::uint16_t flags, const MetaBytes &)
{
    const PlusObject *obj = object(flags & 0xFF);
    if (const auto *path = obj ? std::get_if<QPainterPath>(obj) : nullptr)
        combineClip(flags, *path, false);
}

void EmfPlusPlayer::onOffsetClip(std::uint16_t, const MetaBytes &d)
{
    if (!mState.clipped)
        return;
    const QTransform t = toPicture();
    const QPointF delta = t.map(QPointF(d.f32(0), d.f32(4))) - t.map(QPointF(0, 0));
    if (!std::isfinite(delta.x()) || !std::isfinite(delta.y()))
        return;
    const QRect all = mCanvas.rect().toAlignedRect();
    const double limit = 2.0 * std::max(all.width(), all.height()) + 2;
    mState.clip =
        mState.clip
            .translated(int(std::clamp(delta.x(), -limit, limit)), int(std::clamp(delta.y(), -limit, limit)))
            .intersected(all);
    mState.clipSerial = mCanvas.newClipSerial();
}

void EmfPlusPlayer::combineClip(std::uint16_t flags, const QPainterPath &world, bool rectangle)
{
    const QTransform t = toPicture();
    if (!finiteTransform(t))
        return;
    const QRect all = mCanvas.rect().toAlignedRect();
    QPainterPath picture = t.map(world);
    picture.setFillRule(world.fillRule());
    // A rectangle that stays one needs no mask.
    const QRegion shape = rectangle && t.m12() == 0 && t.m21() == 0
                              ? QRegion(picture.boundingRect().intersected(QRectF(all)).toRect())
                              : metaRegionFromPath(mCanvas, picture);
    const QRegion current = mState.clipped ? mState.clip : QRegion(all);
    QRegion result;
    switch ((flags >> 8) & 0x0F) {
    case Replace: result = shape; break;
    case Intersect: result = current.intersected(shape); break;
    case Union: result = current.united(shape); break;
    case Xor: result = current.xored(shape); break;
    case Exclude: result = current.subtracted(shape); break;
    case Complement: result = shape.subtracted(current); break;
    default: return;
    }
    mCanvas.charge(result.rectCount());
    mState.clipped = true;
    mState.clip = result;
    mState.clipSerial = mCanvas.newClipSerial();
}
