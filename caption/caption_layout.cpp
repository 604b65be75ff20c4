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
#include <vector>

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

// The positions after start at which finder's kind of boundary lies, in order.
std::vector<qsizetype> boundariesAfter(QTextBoundaryFinder::BoundaryType type, const QString &line,
                                       qsizetype start)
{
    QTextBoundaryFinder finder(type, line);
    finder.setPosition(start);
    std::vector<qsizetype> positions;
    for (qsizetype p = finder.toNextBoundary(); p > 0; p = finder.toNextBoundary())
        positions.push_back(p);
    return positions;
}

// The last of candidates (after start, in order) at which the text from
// start still fits width, found by halving: a piece only widens as it
// grows, and a dozen measurements beat one per word on a long line. -1 when
// not even the first fits.
qsizetype lastThatFits(const QFontMetrics &fm, const QString &line, qsizetype start,
                       const std::vector<qsizetype> &candidates, std::size_t from, std::int64_t width)
{
    std::size_t low = from, high = candidates.size(); // the answer lies in [low - 1, high)
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (fm.horizontalAdvance(trimmedEnd(line.mid(start, candidates[mid] - start))) <= width)
            low = mid + 1;
        else
            high = mid;
    }
    return low == from ? -1 : candidates[low - 1];
}

// One source line broken greedily at Unicode's line break opportunities
// (which know every script, right-to-left ones included, in their logical
// order), measured as DrawText measures, so a piece never exceeds width by
// the drawing's own count. A word wider than width is cut between whole
// characters (grapheme clusters), at least one a line, so that a box
// narrower than a glyph still comes to an end.
void breakLine(const QFontMetrics &fm, const QString &line, std::int64_t width, QStringList &out)
{
    const std::vector<qsizetype> breaks = boundariesAfter(QTextBoundaryFinder::Line, line, 0);
    qsizetype start = 0;
    while (start < line.size()) {
        const std::size_t from =
            std::size_t(std::upper_bound(breaks.begin(), breaks.end(), start) - breaks.begin());
        qsizetype end = lastThatFits(fm, line, start, breaks, from, width);
        if (end < 0) {
            const std::vector<qsizetype> glyphs = boundariesAfter(QTextBoundaryFinder::Grapheme, line, start);
            end = std::max(glyphs.front(), lastThatFits(fm, line, start, glyphs, 0, width));
        }
        out.push_back(trimmedEnd(line.mid(start, end - start)));
        start = end;
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

// A first guess at the fitted height from the text measured once at a
// trial height: glyphs grow in proportion to the height, and wrapped text
// needs about its whole length over the box's width in lines (one more for
// each line of its own), so the height solves a quadratic.
std::int32_t estimatedHeight(const CaptionSettings &caption, std::int64_t width, std::int64_t height)
{
    constexpr std::int32_t kTrial = 64;
    const QFont font = FontFromLogFont(withHeight(caption.font, kTrial));
    const QFontMetrics fm(font);
    const QStringList lines = SplitTextLines(caption.text);
    double total = 0, widest = 1;
    for (const QString &line : lines) {
        const double w = fm.horizontalAdvance(line);
        total += w;
        widest = std::max(widest, w);
    }
    const double cell = std::max(1, fm.ascent() + fm.descent());
    const double b = double(lines.size()) * cell;
    double k = std::min(double(width) / widest, double(height) / b);
    if (caption.style.wordWrap) {
        const double a = total * cell / double(std::max<std::int64_t>(width, 1));
        k = a > 0 ? (-b + std::sqrt(b * b + 4 * a * double(height))) / (2 * a) : double(height) / b;
    }
    return std::int32_t(std::clamp(k * kTrial, 1.0, double(kMaxFontPixels)));
}

// The largest whole pixel height in 1..min(height, kMaxFontPixels) at which
// the text fits; 1 when none does. Widths and line counts only grow with the
// height: from the estimate, steps that double bracket the answer and
// halving finds it, in a handful of layouts rather than a dozen.
std::int32_t fittedHeight(const CaptionSettings &caption, std::int64_t width, std::int64_t height)
{
    const std::int32_t cap = std::int32_t(std::min<std::int64_t>(height, kMaxFontPixels));
    if (cap <= 1)
        return 1;
    auto fitsAt = [&](std::int32_t pixels) {
        return fits(caption, withHeight(caption.font, pixels), width, height);
    };
    const std::int32_t guess = std::min(cap, estimatedHeight(caption, width, height));
    std::int32_t low = guess, high = cap, step = std::max(1, guess / 16);
    if (fitsAt(guess)) {
        while (low < cap) {
            const std::int32_t probe = std::min<std::int32_t>(cap, low + step);
            if (!fitsAt(probe)) {
                high = probe - 1;
                break;
            }
            low = probe;
            step *= 2;
        }
        high = std::max(high, low);
    } else {
        high = guess - 1;
        for (;;) {
            if (high < 1)
                return 1;
            const std::int32_t probe = std::max(1, high + 1 - step);
            if (fitsAt(probe)) {
                low = probe;
                break;
            }
            if (probe == 1)
                return 1;
            high = probe - 1;
            step *= 2;
        }
    }
    while (low < high) {
        const std::int32_t mid = low + (high - low + 1) / 2;
        if (fitsAt(mid))
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
