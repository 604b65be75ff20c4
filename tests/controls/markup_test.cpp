// tests/controls/markup_test.cpp
#include "controls/markup_reader.h"
#include "controls/markup_renderer.h"
#include "controls/markup_tip.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QString textOf(const std::vector<MarkupItem> &items)
{
    QString out;
    for (const MarkupItem &item : items)
        out += item.isTag ? QStringLiteral("{tag}") : item.text;
    return out;
}

MarkupColorTable colors()
{
    MarkupColorTable table{};
    table.fill(0x808080);
    table[kMarkupTextColor] = 0x000000; // black text
    table[kMarkupBackColor] = 0xFFFFFF; // on white
    return table;
}

QFont testFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    return font;
}

// Draws markup onto white and returns the picture.
QImage drawn(const MarkupRenderer &renderer, QSize canvas = QSize())
{
    QImage image(canvas.isValid() ? canvas : renderer.size() + QSize(20, 4), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.draw(painter, QPoint(0, 0));
    return image;
}

// Leftmost and rightmost columns with a non-white pixel in rows [top, bottom).
std::pair<int, int> inkColumns(const QImage &image, int top, int bottom)
{
    int left = image.width();
    int right = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

bool hasColor(const QImage &image, QRgb color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == color)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(MarkupReader, LiteralsUnknownAndUnclosedTags)
{
    EXPECT_EQ(textOf(readMarkup(QStringLiteral("a<<b"))), QStringLiteral("a<b"));
    // Unknown tags with or without a value vanish up to their ">", also
    // those whose names begin with a known one.
    EXPECT_EQ(textOf(readMarkup(QStringLiteral("x<foo>y<bar=12 z>w</qq>v"))), QStringLiteral("xywv"));
    EXPECT_EQ(textOf(readMarkup(QStringLiteral("x<bold>y<cbx=1>z<ctt>w<hrule=5>v"))),
              QStringLiteral("xyzwv"));
    // A tag left open at the end is dropped; the text before it stays.
    EXPECT_EQ(textOf(readMarkup(QStringLiteral("keep<b"))), QStringLiteral("keep"));
    EXPECT_EQ(textOf(readMarkup(QStringLiteral("keep<ct=0x"))), QStringLiteral("keep"));
    // Carriage returns are dropped, tabs and line feeds become tags.
    EXPECT_EQ(textOf(readMarkup(QStringLiteral("a\r\nb\tc"))), QStringLiteral("a{tag}b{tag}c"));
}

TEST(MarkupReader, TagsValuesAndClosingForms)
{
    const std::vector<MarkupItem> items =
        readMarkup(QStringLiteral("<CT=0x00AA00><hr=50%><br=3><cti=12><cb=></B><al_c><t><cbi=4>"));
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0].tag, MarkupTag::Color);
    EXPECT_TRUE(items[0].hasValue);
    EXPECT_EQ(items[0].value, 0x00AA00);
    EXPECT_EQ(items[1].tag, MarkupTag::Rule);
    EXPECT_EQ(items[1].value, 50);
    EXPECT_TRUE(items[1].percent);
    EXPECT_EQ(items[2].tag, MarkupTag::Break);
    EXPECT_EQ(items[2].value, 3);
    EXPECT_FALSE(items[2].percent);
    EXPECT_EQ(items[3].tag, MarkupTag::ColorIndex);
    EXPECT_EQ(items[3].value, 12);
    EXPECT_EQ(items[4].tag, MarkupTag::Back);
    EXPECT_FALSE(items[4].hasValue); // empty value: the tag's default
    EXPECT_EQ(items[5].tag, MarkupTag::Bold);
    EXPECT_TRUE(items[5].closing);
    EXPECT_FALSE(items[4].closing);
    EXPECT_EQ(items[6].tag, MarkupTag::AlignCenter);
    EXPECT_EQ(items[7].tag, MarkupTag::Tab);
    EXPECT_FALSE(items[7].hasValue);
    EXPECT_EQ(items[8].tag, MarkupTag::BackIndex); // not <cb>, whose name it begins with
    EXPECT_EQ(items[8].value, 4);
}

TEST(MarkupRenderer, PlainTextIsOneLeftAlignedLinePerLineFeed)
{
    const QFont font = testFont();
    const QFontMetrics metrics(font);
    const MarkupRenderer renderer(QStringLiteral("short\nmuch longer line"), font, colors());
    EXPECT_EQ(renderer.size().height(), 2 * metrics.height());
    EXPECT_EQ(renderer.size().width(), metrics.horizontalAdvance(QStringLiteral("much longer line")));
    const QImage image = drawn(renderer);
    const auto first = inkColumns(image, 0, metrics.height());
    const auto second = inkColumns(image, metrics.height(), 2 * metrics.height());
    EXPECT_LE(first.first, 2);
    EXPECT_LE(second.first, 2);
    EXPECT_LT(first.second, second.second);
}

TEST(MarkupRenderer, FullRuleSpansTheWidestLineExactly)
{
    const QFont font = testFont();
    const QFontMetrics metrics(font);
    const MarkupRenderer renderer(QStringLiteral("<ct=0x0000FF><hr=100%></ct><br>a fairly wide text line"),
                                  font, colors());
    const int widest = metrics.horizontalAdvance(QStringLiteral("a fairly wide text line"));
    EXPECT_EQ(renderer.size().width(), widest);
    const QImage image = drawn(renderer);
    const int ruleRow = metrics.height() / 2;
    const auto rule = inkColumns(image, ruleRow, ruleRow + 1);
    EXPECT_EQ(rule.first, 0);
    EXPECT_EQ(rule.second, widest - 1);
    EXPECT_EQ(image.pixel(widest / 2, ruleRow), qRgb(0, 0, 255));         // 0x0000FF is blue
    EXPECT_EQ(image.pixel(widest / 2, ruleRow + 2), qRgb(255, 255, 255)); // one pixel high
    // A rule in pixels: exactly that wide.
    const MarkupRenderer pixels(QStringLiteral("<hr=40>"), font, colors());
    EXPECT_EQ(pixels.size().width(), 40);
    const QImage ruled = drawn(pixels);
    EXPECT_EQ(inkColumns(ruled, ruleRow, ruleRow + 1).second, 39);
}

TEST(MarkupRenderer, ColoursInHexDecimalAndFromTheTable)
{
    const QFont font = testFont();
    MarkupColorTable table = colors();
    table[12] = 0x00FF00; // green
    for (const char *markup : {"<ct=0x0000FF>MMMM", "<ct=255>MMMM"}) {
        const QImage image = drawn(MarkupRenderer(QString::fromLatin1(markup), font, table));
        EXPECT_TRUE(hasColor(image, qRgb(0, 0, 255))) << markup;
    }
    EXPECT_TRUE(
        hasColor(drawn(MarkupRenderer(QStringLiteral("<ct=0xAA0000>MMMM"), font, table)), qRgb(0xAA, 0, 0)));
    EXPECT_TRUE(
        hasColor(drawn(MarkupRenderer(QStringLiteral("<cti=12>MMMM"), font, table)), qRgb(0, 255, 0)));
    // An index beyond the table changes nothing: the text stays black.
    const QImage unchanged = drawn(MarkupRenderer(QStringLiteral("<cti=30>MMMM"), font, table));
    EXPECT_TRUE(hasColor(unchanged, qRgb(0, 0, 0)));
    EXPECT_FALSE(hasColor(unchanged, qRgb(0, 255, 0)));
    // A background behind the run until the closing form.
    const QImage back = drawn(MarkupRenderer(QStringLiteral("<cb=0xFF0000>ab</cb>cd"), font, table));
    EXPECT_EQ(back.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(back.pixel(back.width() - 25, 1), qRgb(255, 255, 255));
}

TEST(MarkupRenderer, CentredAndRightAlignedLinesUseTheMeasuredWidths)
{
    const QFont font = testFont();
    const QFontMetrics metrics(font);
    const QString wide = QStringLiteral("wwwwwwwwwwwwwwwwww");
    const int narrow = metrics.horizontalAdvance(QStringLiteral("ab"));
    const int widest = metrics.horizontalAdvance(wide);
    const MarkupRenderer centred(QStringLiteral("<al_c>ab<br>") + wide, font, colors());
    EXPECT_EQ(centred.size().width(), widest); // alignment does not widen the tip
    const QImage image = drawn(centred);
    const int left = inkColumns(image, 0, metrics.height()).first;
    EXPECT_NEAR(left, (widest - narrow) / 2, 2);
    const MarkupRenderer right(QStringLiteral("<al_r>ab<br>") + wide, font, colors());
    EXPECT_NEAR(inkColumns(drawn(right), 0, metrics.height()).second, widest - 1, 2);
    const MarkupRenderer back(QStringLiteral("<al_r></al_r>ab<br>") + wide, font, colors());
    EXPECT_LE(inkColumns(drawn(back), 0, metrics.height()).first, 2);
}

TEST(MarkupRenderer, BoldBreaksTabsAndVeryLongLines)
{
    const QFont font = testFont();
    const QFontMetrics metrics(font);
    const int plain = MarkupRenderer(QStringLiteral("Export"), font, colors()).size().width();
    EXPECT_GT(MarkupRenderer(QStringLiteral("<b>Export</b>"), font, colors()).size().width(), plain);
    // <br=0> advances one line; <br=3> three.
    EXPECT_EQ(MarkupRenderer(QStringLiteral("a<br=0>b"), font, colors()).size().height(),
              2 * metrics.height());
    EXPECT_EQ(MarkupRenderer(QStringLiteral("a<br=3>b"), font, colors()).size().height(),
              4 * metrics.height());
    const int stop = metrics.averageCharWidth() * 4;
    EXPECT_EQ(MarkupRenderer(QStringLiteral("<t=2>"), font, colors()).size().width(), 2 * stop);
    const QString longLine(20000, QLatin1Char('x'));
    const MarkupRenderer renderer(longLine, font, colors());
    EXPECT_EQ(renderer.size().width(), metrics.horizontalAdvance(longLine));
    EXPECT_EQ(renderer.size().height(), metrics.height());
}

TEST(MarkupTip, TablesIgnoreIndexesBeyondTheirEnds)
{
    CMarkupTip tip;
    EXPECT_EQ(tip.GetColor(11), 0x0000FFu);
    EXPECT_EQ(tip.GetColor(21), 0xEE0000u);
    EXPECT_EQ(tip.GetColor(17), QApplication::palette().color(QPalette::ToolTipText).rgb() & 0xFFFFFFu);
    tip.SetColor(26, 0x123456);
    EXPECT_EQ(tip.GetColor(26), tip.GetColor(17));
    tip.SetColor(17, 0x123456);
    EXPECT_EQ(tip.GetColor(40), 0x123456u);
    EXPECT_EQ(tip.GetSize(0), 16);
    EXPECT_EQ(tip.GetSize(9), 1);
    tip.SetSize(11, 99);
    EXPECT_EQ(tip.GetSize(11), 0);
    EXPECT_EQ(tip.GetDirection(), 3);
    tip.SetDirection(7);
    EXPECT_EQ(tip.GetDirection(), 3);
    EXPECT_EQ(tip.GetDelayTime(CMarkupTip::InitialDelay), 500);
    tip.ConfigureAsPage();
    EXPECT_EQ(tip.GetDirection(), 1);
    EXPECT_EQ(tip.GetStyles(), 7u);
    EXPECT_EQ(tip.GetDelayTime(CMarkupTip::InitialDelay), 50);
    EXPECT_EQ(tip.GetDelayTime(CMarkupTip::StayUpTime), 50000);
}

TEST(MarkupTip, ShowsTheToolsTextAndHidesOnClick)
{
    QWidget owner;
    auto *button = new QPushButton(QStringLiteral("Export"), &owner);
    auto *other = new QPushButton(QStringLiteral("Other"), &owner);
    owner.show();
    CMarkupTip tip;
    tip.Create(&owner);
    tip.AddTool(button, QStringLiteral("<b>Export</b><br>Saves the pictures."));
    tip.ShowTip(other, QPoint(10, 10)); // not a tool: nothing
    EXPECT_FALSE(tip.isVisible());
    tip.ShowTip(button, QPoint(10, 10));
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.ShownControl(), button);
    const MarkupRenderer expected(QStringLiteral("<b>Export</b><br>Saves the pictures."),
                                  QApplication::font(), MarkupColorTable{});
    EXPECT_EQ(tip.size(), expected.size() + QSize(2 * tip.GetSize(CMarkupTip::kSizeMarginX),
                                                  2 * tip.GetSize(CMarkupTip::kSizeMarginY)));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    EXPECT_FALSE(tip.isVisible());
    tip.RemoveTool(button);
    tip.ShowTip(button, QPoint(10, 10));
    EXPECT_FALSE(tip.isVisible());
}
