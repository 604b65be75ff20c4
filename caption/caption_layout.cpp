// caption/caption_layout.cpp
#include "caption/caption_layout.h"

#include "caption/caption_geometry.h"
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <QFont>
#include <QFontMetrics>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Lines
{
    QStringList lines;
    std::int64_t widest = 0;
};

QString trimmedEnd(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// The longest run of whole characters (grapheme clusters) from start that
// fits width; at least one, so that a box narrower than a glyph still ends.
qsizetype glyphsThatFit(const QFontMetrics &fm, const QString &line, qsizetype start, std::int64_t width)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
    graphemes.setPosition(start);
    qsizetype end = graphemes.toNextBoundary();
    for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        if (fm.horizontalAdvance(line.mid(start, next - start)) > width)
            break;
        end = next;
    }
    return end;
}

// One source line broken greedily at Unicode's line break opportunities
// (which know every script, right-to-left ones included, in their logical
// order), measured as DrawText measures, so a piece never exceeds width by
// the drawing's own count. A word wider than width is cut between glyphs.
void breakLine(const QFontMetrics &fm, const QString &line, std::int64_t width, QStringList &out)
{
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    qsizetype start = 0;
    while (start < line.size()) {
        breaks.setPosition(start);
        qsizetype good = -1;
        for (qsizetype p = breaks.toNextBoundary(); p > 0; p = breaks.toNextBoundary()) {
            if (fm.horizontalAdvance(trimmedEnd(line.mid(start, p - start))) > width)
                break;
            good = p;
        }
        if (good < 0)
            good = glyphsThatFit(fm, line, start, width);
        out.push_back(trimmedEnd(line.mid(start, good - start)));
        start = good;
    }
}

Lines wrapped(const QFont &font, const QString &text, std::int64_t width)
{
    const QFontMetrics fm(font);
    Lines result;
    for (const QString &line : SplitTextLines(text)) {
        if (width <= 0 || fm.horizontalAdvance(line) <= width) {
            result.lines.push_back(line);
            continue;
        }
        breakLine(fm, line, width, result.lines);
    }
    for (const QString &line : result.lines)
        result.widest = std::max<std::int64_t>(result.widest, fm.horizontalAdvance(line));
    return result;
}

Lines unwrapped(const QFont &font, const QString &text)
{
    const QFontMetrics fm(font);
    Lines result{SplitTextLines(text), 0};
    for (const QString &line : result.lines)
        result.widest = std::max<std::int64_t>(result.widest, fm.horizontalAdvance(line));
    return result;
}

LOGFONT withHeight(LOGFONT font, std::int32_t pixels)
{
    font.lfHeight = font.lfHeight > 0 ? pixels : -pixels;
    return font;
}

bool fits(const CaptionSettings &caption, const LOGFONT &lf, std::int64_t width, std::int64_t height)
{
    const QFont font = FontFromLogFont(lf);
    const QFontMetrics fm(font);
    const Lines lines =
        caption.style.wordWrap ? wrapped(font, caption.text, width) : unwrapped(font, caption.text);
    const std::int64_t cell = fm.ascent() + fm.descent();
    return lines.widest <= width && std::int64_t(lines.lines.size()) * cell <= height;
}

// The largest whole pixel height in 1..min(height, kMaxFontPixels) at which
// the text fits; 1 when none does. Widths and line counts only grow with the
// height, so a binary search finds it in a dozen layouts.
std::int32_t fittedHeight(const CaptionSettings &caption, std::int64_t width, std::int64_t height)
{
    std::int32_t low = 1, high = std::int32_t(std::min<std::int64_t>(height, kMaxFontPixels));
    if (high < 1)
        return 1;
    while (low < high) {
        const std::int32_t mid = low + (high - low + 1) / 2;
        if (fits(caption, withHeight(caption.font, mid), width, height))
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

std::int32_t paddingPixels(float padding)
{
    if (!(padding > 0))
        return 0;
    return std::int32_t(std::min(std::round(double(padding)), double(1 << 30)));
}

CaptionLayout layOut(const CaptionSettings &caption, const RECT &box)
{
    CaptionLayout layout{PaddedBox(box, caption.style.padding), caption.font, caption.text};
    if (!caption.style.wordWrap && !caption.style.fitToBox)
        return layout;
    const std::int64_t width = std::int64_t(layout.inner.right) - layout.inner.left;
    const std::int64_t height = std::int64_t(layout.inner.bottom) - layout.inner.top;
    if (caption.style.fitToBox)
        layout.font = withHeight(caption.font, fittedHeight(caption, width, height));
    if (caption.style.wordWrap)
        layout.text =
            wrapped(FontFromLogFont(layout.font), caption.text, width).lines.join(QLatin1Char('\n'));
    return layout;
}

// What a layout depends on; the alignment, colours and place do not matter.
struct LayoutKey
{
    QString text;
    LOGFONT font;
    std::int64_t width = -1, height = -1;
    std::int32_t padding = 0;
    bool wrap = false, fit = false;

    bool operator==(const LayoutKey &o) const
    {
        return text == o.text && std::memcmp(&font, &o.font, sizeof font) == 0 && width == o.width &&
               height == o.height && padding == o.padding && wrap == o.wrap && fit == o.fit;
    }
};

} // namespace

RECT PaddedBox(const RECT &box, float padding)
{
    const std::int32_t pad = paddingPixels(padding);
    const RECT shrunk = InflateRect(NormalizeRect(box), -pad, -pad);
    // A padding wider than half the box leaves an empty box, not an inverted one.
    return RECT{shrunk.left, shrunk.top, std::max(shrunk.left, shrunk.right),
                std::max(shrunk.top, shrunk.bottom)};
}

bool IsPlainStyle(const CaptionStyle &style)
{
    return !(style.referenceSide > 0) && !style.wordWrap && !style.fitToBox &&
           paddingPixels(style.padding) == 0 && style.effect == CaptionEffect::None &&
           style.backOpacity >= 100 && style.logoPath.isEmpty();
}

QStringList WrapTextLines(const QFont &font, const QString &text, std::int64_t width)
{
    return wrapped(font, text, width).lines;
}

CaptionLayout LayoutCaption(const CaptionSettings &caption, const RECT &box)
{
    const RECT n = NormalizeRect(box);
    const LayoutKey key{caption.text,
                        caption.font,
                        std::int64_t(n.right) - n.left,
                        std::int64_t(n.bottom) - n.top,
                        paddingPixels(caption.style.padding),
                        caption.style.wordWrap,
                        caption.style.fitToBox};
    if (!key.wrap && !key.fit)
        return layOut(caption, box);
    // The lines depend on the box's size only: a batch of pictures of one
    // size (or one design's preview repainted while dragging) reuses them.
    thread_local LayoutKey lastKey;
    thread_local CaptionLayout last;
    thread_local RECT lastBox{};
    if (!(key == lastKey)) {
        last = layOut(caption, box);
        lastKey = key;
        lastBox = n;
    }
    CaptionLayout moved = last;
    moved.inner =
        OffsetRect(last.inner, std::int64_t(n.left) - lastBox.left, std::int64_t(n.top) - lastBox.top);
    return moved;
}
