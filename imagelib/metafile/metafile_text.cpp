// imagelib/metafile/metafile_text.cpp
// Text of the metafile player: fonts through the caption font mapping,
// alignment to the reference point, advances, rotation and backgrounds.
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_charset.h"
#include "imagelib/metafile/metafile_player.h"
#include "platform/font_map.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace metagdi;

namespace {

// Fonts kept between runs of text; metafiles switch among a handful.
constexpr int kFontCacheSize = 64;
// Characters of one run that are drawn.
constexpr qsizetype kMaxRunLength = 1 << 14;
// Work charged for laying out one glyph and for making a font; the area a
// run covers is charged as for any drawing.
constexpr double kGlyphCost = 64;
constexpr double kFontCost = 50000;

// Fonts need a QGuiApplication; a program without one draws no text.
bool canDrawText()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

std::int32_t scaledHeight(std::int32_t height, double scale, double limit)
{
    if (height == 0)
        return std::int32_t(-std::clamp(std::round(kDefaultCellHeight * scale), 1.0, limit));
    const double h = std::clamp(std::round(std::fabs(height * scale)), 1.0, limit);
    return height < 0 ? -std::int32_t(h) : std::int32_t(h);
}

// Where the run starts and where its baseline lies relative to the
// reference point, by the text alignment.
QPointF alignmentOffset(std::uint32_t align, double advance, const QFontMetricsF &fm)
{
    double x = 0;
    if ((align & TA_HORIZONTAL) == TA_CENTER)
        x = -advance / 2;
    else if ((align & TA_HORIZONTAL) == TA_RIGHT)
        x = -advance;
    double y = fm.ascent();
    if ((align & TA_VERTICAL) == TA_BASELINE)
        y = 0;
    else if ((align & TA_VERTICAL) == TA_BOTTOM)
        y = -fm.descent();
    return QPointF(x, y);
}

// Where the characters of a run go along its baseline, in picture pixels:
// the record's own advances, or the font's with any extra spacing.
struct RunLayout
{
    std::vector<double> advances;
    bool perCharacter = false; // placed one by one rather than as a string
    double total = 0;
};

RunLayout layoutRun(const QString &text, const std::vector<double> &dx, const QFontMetricsF &fm, double sx,
                    double charExtra)
{
    RunLayout layout;
    const std::size_t n = std::size_t(text.size());
    const bool own = n > 0 && dx.size() >= n;
    layout.perCharacter = own || charExtra != 0;
    if (!layout.perCharacter) {
        layout.total = fm.horizontalAdvance(text);
        return layout;
    }
    layout.advances.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double a = own ? dx[i] * sx : fm.horizontalAdvance(text.at(qsizetype(i))) + charExtra * sx;
        layout.advances[i] = std::isfinite(a) ? a : 0;
        layout.total += layout.advances[i];
    }
    return layout;
}

void paintGlyphs(QPainter &painter, const QString &text, const RunLayout &layout, QPointF start)
{
    if (!layout.perCharacter) {
        painter.drawText(start, text);
        return;
    }
    double x = start.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        painter.drawText(QPointF(x, start.y()), QString(text.at(i)));
        x += layout.advances[std::size_t(i)];
    }
}

} // namespace

QFont MetaPlayer::fontFor(const LOGFONT &lf)
{
    const QByteArray key(reinterpret_cast<const char *>(&lf), sizeof lf);
    const auto found = mFonts.constFind(key);
    if (found != mFonts.constEnd())
        return *found;
    if (mFonts.size() >= kFontCacheSize)
        mFonts.clear();
    mCanvas.charge(kFontCost);
    const QFont font = FontFromLogFont(lf);
    mFonts.insert(key, font);
    return font;
}

QString MetaPlayer::textFromBytes(const std::uint8_t *bytes, std::size_t count) const
{
    if (metaIsSymbolFont(mState.font.lf))
        return metaSymbolToUnicode(
            QString::fromLatin1(reinterpret_cast<const char *>(bytes), qsizetype(count)));
    return MetaDecodeAnsi(bytes, count, std::uint8_t(mState.font.lf.lfCharSet));
}

QString MetaPlayer::textFromWide(const QString &text) const
{
    return metaIsSymbolFont(mState.font.lf) ? metaSymbolToUnicode(text) : text;
}

// The font of the state at picture size: heights scale with the y axis,
// widths with the x axis, and nothing grows far beyond the picture.
QFont MetaPlayer::pictureFont(const QTransform &t)
{
    LOGFONT lf = mState.font.lf;
    // The symbol font's text has been made Unicode; a text face of the same
    // design shows it (the symbol font itself would take the codes as its own).
    if (metaIsSymbolFont(lf))
        SetLogFontFaceName(lf, QStringLiteral("Times New Roman"));
    const double limit = std::max(16.0, 4 * std::max(mCanvas.rect().width(), mCanvas.rect().height()));
    const double sy = std::hypot(t.m21(), t.m22());
    const double sx = std::hypot(t.m11(), t.m12());
    lf.lfHeight =
        scaledHeight(lf.lfHeight, std::isfinite(sy) ? sy : 1, std::min(limit, double(kMaxFontPixels)));
    if (lf.lfWidth != 0)
        lf.lfWidth = std::int32_t(std::clamp(std::round(std::fabs(lf.lfWidth * sx)), 1.0, limit));
    return fontFor(lf);
}

// A run is laid out in picture pixels around its reference point, turned
// by the font's escapement; the point moves on when the alignment says so.
void MetaPlayer::text(const MetaTextRun &runIn)
{
    if ((runIn.text.isEmpty() && !(runIn.options & ETO_OPAQUE)) || !canDrawText() || mCanvas.exhausted())
        return;
    const QTransform t = toPicture();
    const bool updateCp = mState.textAlign & TA_UPDATECP;
    const QString text = runIn.text.left(kMaxRunLength);
    const QFont font = pictureFont(t);
    const QFontMetricsF fm(font);
    const RunLayout layout = layoutRun(text, runIn.dx, fm, std::hypot(t.m11(), t.m12()), mState.charExtra);

    const QPointF origin = mapPoint(updateCp ? mState.position : runIn.reference);
    QTransform place;
    place.translate(origin.x(), origin.y());
    place.rotate(-mState.font.lf.lfEscapement / 10.0);
    const QPointF start = alignmentOffset(mState.textAlign, layout.total, fm);
    const QRectF cell(start.x(), start.y() - fm.ascent(), layout.total, fm.ascent() + fm.descent());
    QRectF bounds = place.mapRect(cell.adjusted(-fm.height(), 0, fm.height(), 0));
    QPolygonF box;
    if (runIn.options & (ETO_OPAQUE | ETO_CLIPPED)) {
        QPainterPath rect;
        rect.addRect(runIn.rect.normalized());
        box = mapPath(rect, t).toFillPolygon();
        if (runIn.options & ETO_OPAQUE)
            bounds = bounds.united(box.boundingRect());
    }
    if (updateCp && t.isInvertible())
        mState.position = t.inverted().map(place.map(QPointF(start.x() + layout.total, 0)));

    QPainter *painter = mCanvas.begin(bounds, mState, double(text.size()) * kGlyphCost);
    if (!painter)
        return;
    painter->save();
    if (runIn.options & ETO_OPAQUE) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(mState.bkColor);
        painter->drawPolygon(box);
    }
    if (runIn.options & ETO_CLIPPED) {
        QPainterPath clip;
        clip.addPolygon(box);
        painter->setClipPath(clip, Qt::IntersectClip);
    }
    painter->setTransform(place);
    if (mState.bkMode == OPAQUE && !(runIn.options & ETO_OPAQUE))
        painter->fillRect(cell, mState.bkColor);
    painter->setFont(font);
    painter->setPen(mState.textColor);
    paintGlyphs(*painter, text, layout, start);
    painter->restore();
}
