// caption/caption_foreground.cpp
#include "caption/caption_foreground.h"

#include "caption/caption_geometry.h"
#include "caption/caption_layout.h"
#include "caption/caption_scale.h"
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Logos larger than this many pixels are left out rather than allocated.
constexpr qint64 kMaxLogoPixels = qint64(1) << 28;

// Keeps a clip within what QRect can hold; far beyond any picture anyway.
QRect clipRectOf(const RECT &r)
{
    constexpr std::int32_t kLimit = 1 << 29;
    const int l = std::clamp(r.left, -kLimit, kLimit), t = std::clamp(r.top, -kLimit, kLimit);
    const int rt = std::clamp(r.right, -kLimit, kLimit), b = std::clamp(r.bottom, -kLimit, kLimit);
    return QRect(l, t, rt - l, b - t);
}

QColor colorOf(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The largest size of the picture's proportions within box, at least 1x1.
QSize fitted(QSizeF picture, QSize box)
{
    if (picture.isEmpty())
        return QSize();
    const qreal k = std::min(box.width() / picture.width(), box.height() / picture.height());
    return QSize(std::max(1, int(std::lround(picture.width() * k))),
                 std::max(1, int(std::lround(picture.height() * k))));
}

QImage readLogo(const QString &path, QSize size)
{
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) ||
        path.endsWith(QLatin1String(".svgz"), Qt::CaseInsensitive)) {
        QSvgRenderer svg(path);
        if (!svg.isValid())
            return QImage();
        const QSize target = fitted(svg.defaultSize(), size);
        QImage logo(target, QImage::Format_ARGB32_Premultiplied);
        if (logo.isNull())
            return QImage();
        logo.fill(Qt::transparent);
        QPainter painter(&logo);
        svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(target)));
        return logo;
    }
    const QImage picture(path);
    if (picture.isNull())
        return QImage();
    return picture.scaled(fitted(picture.size(), size), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void paintLogo(QPainter &painter, const CaptionForeground &part)
{
    const QRect inner = clipRectOf(part.inner);
    const QImage logo = LogoForBox(part.logoPath, inner.size());
    if (logo.isNull())
        return;
    const QPoint at(inner.left() + (inner.width() - logo.width()) / 2,
                    inner.top() + (inner.height() - logo.height()) / 2);
    painter.save();
    painter.setOpacity(std::clamp(part.logoOpacity, 0, 100) / 100.0);
    painter.drawImage(at, logo);
    painter.restore();
}

// Beyond this many pixels an effect is far outside any box; keeps the
// offsets within int whatever a design holds.
constexpr qreal kMaxEffectPixels = 1 << 16;

qreal effectSizeOf(const CaptionForeground &part)
{
    return std::min(part.effectSize, kMaxEffectPixels);
}

// Where copies of the text go to make an outline of radius r: whole-pixel
// offsets around a circle of radius r (one about every pixel of its length)
// and, for a wide ring, around one of r / 2 too, so that small parts of
// glyphs are ringed all round. The outline is made of the text's own glyphs
// rather than a stroke of their outlines: Qt gives glyph outlines that
// depend on what it drew before, and the preview and the export would
// differ.
std::vector<QPoint> ringOffsets(qreal r)
{
    std::vector<QPoint> offsets;
    for (qreal radius : {r, r / 2}) {
        if (radius < 0.5 || (radius < r && r <= 2))
            continue;
        const int steps = std::clamp(int(std::ceil(2 * M_PI * radius)), 8, 256);
        for (int i = 0; i < steps; ++i) {
            const qreal a = 2 * M_PI * i / steps;
            const QPoint d(int(std::lround(radius * std::cos(a))), int(std::lround(radius * std::sin(a))));
            if (std::find(offsets.begin(), offsets.end(), d) == offsets.end())
                offsets.push_back(d);
        }
    }
    return offsets;
}

void paintEffect(QPainter &painter, const CaptionForeground &part)
{
    if (part.effect == CaptionEffect::Outline) {
        painter.setPen(colorOf(part.effectColor));
        for (const QPoint &d : ringOffsets(effectSizeOf(part))) {
            painter.save();
            painter.translate(d);
            DrawText(painter, part.text, part.inner, part.format);
            painter.restore();
        }
    } else if (part.effect == CaptionEffect::Shadow) {
        painter.save();
        painter.translate(effectSizeOf(part), effectSizeOf(part));
        painter.setPen(colorOf(part.effectColor));
        DrawText(painter, part.text, part.inner, part.format);
        painter.restore();
    }
}

} // namespace

int EffectReach(CaptionEffect effect, qreal size)
{
    if (effect == CaptionEffect::None || !(size > 0))
        return 0;
    return int(std::ceil(std::min(size, kMaxEffectPixels))) + 1;
}

QImage LogoForBox(const QString &path, QSize size)
{
    if (path.isEmpty() || size.isEmpty() || qint64(size.width()) * size.height() > kMaxLogoPixels)
        return QImage();
    thread_local QString lastPath;
    thread_local QSize lastSize;
    thread_local QDateTime lastTime;
    thread_local QImage last;
    const QDateTime time = QFileInfo(path).lastModified();
    if (path != lastPath || size != lastSize || time != lastTime) {
        last = readLogo(path, size);
        lastPath = path;
        lastSize = size;
        lastTime = time;
    }
    return last;
}

void PaintCaptionForeground(QPainter &painter, const CaptionForeground &part)
{
    if (IsRectEmpty(part.inner))
        return;
    const bool effect = part.effect != CaptionEffect::None && part.effectSize > 0 && !part.text.isEmpty();
    if (!part.logoPath.isEmpty() || effect) {
        painter.save();
        painter.setClipRect(clipRectOf(part.inner), Qt::IntersectClip);
        if (!part.logoPath.isEmpty())
            paintLogo(painter, part);
        if (effect) {
            painter.setFont(part.font);
            paintEffect(painter, part);
        }
        painter.restore();
    }
    if (part.text.isEmpty())
        return;
    painter.save();
    painter.setFont(part.font);
    painter.setPen(colorOf(part.textColor));
    DrawText(painter, part.text, part.inner, part.format);
    painter.restore();
}

RECT PaintStyledCaption(QPainter &painter, const CaptionSettings &design, const RECT &shown, float scale,
                        std::int64_t width, std::int64_t height)
{
    const float s = SaneScale(scale);
    if (width <= 0 || height <= 0) {
        const RECT n = NormalizeRect(shown);
        width = std::llround(double(std::int64_t(n.right) - n.left) / s);
        height = std::llround(double(std::int64_t(n.bottom) - n.top) / s);
    }
    const CaptionSettings caption = CaptionForPicture(design, width, height);
    const RECT box = PreviewBox(caption.offsets, caption.anchor, shown, s);
    const CaptionLayout layout =
        LayoutCaption(caption, CaptionBoxInPicture(caption.offsets, caption.anchor, width, height));
    const CaptionStyle &style = caption.style;
    if (caption.backColor != kNoBackColor && style.backOpacity > 0) {
        QColor back = colorOf(caption.backColor);
        back.setAlpha((std::min(style.backOpacity, 100) * 255 + 50) / 100);
        painter.fillRect(clipRectOf(NormalizeRect(box)), back);
    }
    PaintCaptionForeground(
        painter,
        CaptionForeground{PaddedBox(box, style.padding * s), FontFromLogFont(PreviewFont(layout.font, s)),
                          layout.text, unsigned(caption.align), caption.textColor, style.effect,
                          style.effectColor, qreal(style.effectSize) * s, style.logoPath, style.logoOpacity});
    return box;
}
