// controls/markup_renderer.cpp
#include "controls/markup_renderer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

QColor colorFromValue(std::uint32_t value)
{
    return QColor(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}

// One pass over the items: measuring when painter is null, else drawing.
class MarkupLayoutRun
{
  public:
    MarkupLayoutRun(const MarkupRenderer &renderer, QPainter *painter, QPoint origin);
    void run();

    std::vector<int> lineWidths;
    std::vector<int> linePercent;
    int height = 0;

  private:
    void text(const QString &run);
    void tag(const MarkupItem &item);
    void fontTag(const MarkupItem &item);
    void colorTag(const MarkupItem &item);
    void breakLines(long count);
    void tab(long count);
    void rule(const MarkupItem &item);
    void align(int alignment);
    void startLine();
    QColor tableColor(long index, int absent) const;

    const MarkupRenderer &mR;
    QPainter *mPainter;
    QPoint mOrigin;
    QFont mFont;
    int mBaseWeight;
    int mLineHeight;
    QColor mText;
    QColor mBack;
    bool mOpaque = false;
    int mAlign = 0; // 0 left, 1 centre, 2 right
    int mLine = 0;
    int mLineStart = 0;
    int mX = 0;
};

MarkupLayoutRun::MarkupLayoutRun(const MarkupRenderer &renderer, QPainter *painter, QPoint origin)
    : mR(renderer)
    , mPainter(painter)
    , mOrigin(origin)
    , mFont(renderer.mFont)
    , mBaseWeight(renderer.mFont.weight())
    , mLineHeight(QFontMetrics(renderer.mFont).height())
    , mText(tableColor(kMarkupTextColor, kMarkupTextColor))
    , mBack(tableColor(kMarkupBackColor, kMarkupBackColor))
{
}

QColor MarkupLayoutRun::tableColor(long index, int absent) const
{
    return colorFromValue(mR.mColors[std::size_t(index >= 0 && index < kMarkupColorCount ? index : absent)]);
}

void MarkupLayoutRun::run()
{
    startLine();
    for (const MarkupItem &item : mR.mItems) {
        if (item.isTag)
            tag(item);
        else
            text(item.text);
    }
    breakLines(1);
    height = mLine * mLineHeight;
}

void MarkupLayoutRun::startLine()
{
    if (std::size_t(mLine) >= lineWidths.size()) {
        lineWidths.resize(std::size_t(mLine) + 1, 0);
        linePercent.resize(std::size_t(mLine) + 1, 0);
    }
    mLineStart = 0;
    if (mPainter && mAlign != 0 && std::size_t(mLine) < mR.mLineWidths.size()) {
        const int free = mR.mSize.width() - mR.mLineWidths[std::size_t(mLine)];
        mLineStart = mAlign == 1 ? free / 2 : free;
    }
    mX = mLineStart;
}

void MarkupLayoutRun::text(const QString &run)
{
    const QFontMetrics metrics(mFont);
    const int width = metrics.horizontalAdvance(run);
    if (mPainter) {
        const QPoint at = mOrigin + QPoint(mX, mLine * mLineHeight);
        if (mOpaque)
            mPainter->fillRect(QRect(at, QSize(width, mLineHeight)), mBack);
        mPainter->setFont(mFont);
        mPainter->setPen(mText);
        mPainter->drawText(at + QPoint(0, metrics.ascent()), run);
    }
    mX += width;
}

void MarkupLayoutRun::tag(const MarkupItem &item)
{
    switch (item.tag) {
    case MarkupTag::Bold:
    case MarkupTag::Italic:
    case MarkupTag::Underline:
    case MarkupTag::Strike: fontTag(item); break;
    case MarkupTag::Break: breakLines(item.hasValue ? item.value : 1); break;
    case MarkupTag::Tab: tab(item.hasValue ? item.value : 1); break;
    case MarkupTag::Color:
    case MarkupTag::ColorIndex:
    case MarkupTag::Back:
    case MarkupTag::BackIndex: colorTag(item); break;
    case MarkupTag::AlignLeft: align(0); break;
    case MarkupTag::AlignCenter: align(item.closing ? 0 : 1); break;
    case MarkupTag::AlignRight: align(item.closing ? 0 : 2); break;
    case MarkupTag::Rule: rule(item); break;
    }
}

void MarkupLayoutRun::fontTag(const MarkupItem &item)
{
    const bool on = !item.closing;
    switch (item.tag) {
    case MarkupTag::Bold:
        mFont.setWeight(QFont::Weight(on ? std::min(900, mBaseWeight * 2) : mBaseWeight));
        break;
    case MarkupTag::Italic: mFont.setItalic(on); break;
    case MarkupTag::Underline: mFont.setUnderline(on); break;
    default: mFont.setStrikeOut(on); break;
    }
}

void MarkupLayoutRun::colorTag(const MarkupItem &item)
{
    const bool index = item.tag == MarkupTag::ColorIndex || item.tag == MarkupTag::BackIndex;
    const bool back = item.tag == MarkupTag::Back || item.tag == MarkupTag::BackIndex;
    if (back && item.closing) {
        mOpaque = false;
        return;
    }
    if (index && item.hasValue && (item.value < 0 || item.value >= kMarkupColorCount))
        return; // no such entry: nothing changes
    const int absent = back ? kMarkupBackColor : kMarkupTextColor;
    QColor color = tableColor(absent, absent);
    if (item.hasValue && !item.closing)
        color = index ? tableColor(item.value, absent) : colorFromValue(std::uint32_t(item.value));
    if (back) {
        mBack = color;
        mOpaque = true;
    } else {
        mText = color;
    }
}

void MarkupLayoutRun::breakLines(long count)
{
    lineWidths[std::size_t(mLine)] = std::max(lineWidths[std::size_t(mLine)], mX - mLineStart);
    // Far more lines than any tip shows would only cost memory.
    mLine += int(std::clamp(count, 1L, 1000L));
    startLine();
}

void MarkupLayoutRun::tab(long count)
{
    const int stop = std::max(1, QFontMetrics(mFont).averageCharWidth() * 4);
    const int stops = int(std::clamp(count, 0L, 1000L));
    mX = mLineStart + ((mX - mLineStart) / stop + stops) * stop;
}

void MarkupLayoutRun::rule(const MarkupItem &item)
{
    const long value = item.hasValue ? item.value : 100;
    const bool percent = item.hasValue ? item.percent : true;
    int width = 0;
    if (percent && !mPainter) {
        linePercent[std::size_t(mLine)] += int(std::clamp(value, 0L, 1000L));
        return; // grows the line once the widest line is known
    }
    width = percent ? int(std::clamp(value, 0L, 1000L) * mR.mSize.width() / 100)
                    : int(std::clamp(value, 0L, 100000L));
    if (mPainter) {
        const int y = mOrigin.y() + mLine * mLineHeight + mLineHeight / 2;
        mPainter->fillRect(QRect(mOrigin.x() + mX, y, width, 1), mText);
    }
    mX += width;
}

void MarkupLayoutRun::align(int alignment)
{
    mAlign = alignment;
    // An alignment before anything on the line places that line as well.
    if (mX == mLineStart)
        startLine();
}

MarkupRenderer::MarkupRenderer(const QString &markup, const QFont &font, const MarkupColorTable &colors)
    : mItems(readMarkup(markup))
    , mFont(font)
    , mColors(colors)
{
    measure();
}

void MarkupRenderer::measure()
{
    MarkupLayoutRun run(*this, nullptr, QPoint());
    run.run();
    int widest = 0;
    for (int w : run.lineWidths)
        widest = std::max(widest, w);
    int width = 0;
    for (std::size_t i = 0; i < run.lineWidths.size(); ++i) {
        run.lineWidths[i] += run.linePercent[i] * widest / 100;
        width = std::max(width, run.lineWidths[i]);
    }
    mLineWidths = std::move(run.lineWidths);
    mLinePercent = std::move(run.linePercent);
    mSize = QSize(width, run.height);
}

void MarkupRenderer::draw(QPainter &painter, QPoint origin) const
{
    MarkupLayoutRun run(*this, &painter, origin);
    run.run();
}
