// tests/caption/text_mapping_test.cpp
// The LOGFONT and DrawText mapping that preview and export share.
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

LOGFONT face(const char *name, std::int32_t height)
{
    LOGFONT lf;
    lf.lfHeight = height;
    SetLogFontFaceName(lf, QString::fromUtf8(name));
    return lf;
}

// Bounding box of the pixels that are not white; empty when there are none.
QRect inkBox(const QImage &img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage drawn(const QString &text, const RECT &rect, unsigned format, std::int32_t height = -20)
{
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    painter.setFont(FontFromLogFont(face("Arial", height)));
    painter.setPen(Qt::black);
    DrawText(painter, text, rect, format);
    return img;
}

TEST(FontMap, NegativeHeightIsThePixelSize)
{
    const QFont font = FontFromLogFont(face("Arial", -26));
    EXPECT_EQ(font.pixelSize(), 26);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 26);
}

TEST(FontMap, PositiveHeightIsTheCellHeight)
{
    for (std::int32_t cell : {12, 30, 61}) {
        const QFont font = FontFromLogFont(face("Arial", cell));
        const QFontMetricsF fm(font);
        EXPECT_NEAR(fm.ascent() + fm.descent(), cell, 1.0) << cell;
        EXPECT_LT(font.pixelSize(), cell);
    }
    const QFontMetricsF zero(FontFromLogFont(face("Arial", 0)));
    EXPECT_NEAR(zero.ascent() + zero.descent(), kDefaultCellHeight, 1.0);
}

TEST(FontMap, FontconfigSubstitutesMetricCompatibleFaces)
{
    EXPECT_EQ(QFontInfo(FontFromLogFont(face("Arial", -20))).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(FontFromLogFont(face("Times New Roman", -20))).family(), "Liberation Serif");
}

// Whether narrow and wide letters take the same room.
bool monospaced(const QFont &font)
{
    const QFontMetricsF fm(font);
    return fm.horizontalAdvance(QLatin1Char('i')) == fm.horizontalAdvance(QLatin1Char('W'));
}

TEST(FontMap, FaceNameWinsOverPitchBits)
{
    LOGFONT lf = face("Arial", -20);
    lf.lfPitchAndFamily = FIXED_PITCH;
    EXPECT_EQ(QFontInfo(FontFromLogFont(lf)).family(), "Liberation Sans");
    EXPECT_FALSE(monospaced(FontFromLogFont(lf)));
    lf.lfFaceName[0] = '\0';
    EXPECT_TRUE(monospaced(FontFromLogFont(lf)));
    lf.lfPitchAndFamily = FF_MODERN;
    EXPECT_TRUE(monospaced(FontFromLogFont(lf)));
    lf.lfPitchAndFamily = FF_ROMAN;
    EXPECT_FALSE(monospaced(FontFromLogFont(lf)));
}

TEST(FontMap, WeightAndStyles)
{
    LOGFONT lf = face("Arial", -20);
    EXPECT_EQ(FontFromLogFont(lf).weight(), QFont::Normal); // 0 is "don't care"
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfUnderline = 1;
    lf.lfStrikeOut = 1;
    const QFont font = FontFromLogFont(lf);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_TRUE(font.strikeOut());
    lf.lfHeight = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(FontFromLogFont(lf).pixelSize(), kMaxFontPixels);
}

TEST(FontMap, FontDialogResultComesBackAsCharacterHeight)
{
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPointSize(12);
    font.setBold(true);
    const LOGFONT lf = LogFontFromFont(font);
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(LogFontFaceName(lf), "Liberation Serif");
}

TEST(FontMap, FaceNameIsCutAtACharacterBoundary)
{
    LOGFONT lf;
    SetLogFontFaceName(lf, QString(40, QLatin1Char('a')));
    EXPECT_EQ(std::strlen(lf.lfFaceName), 31u);
    // 15 two-byte characters fill 30 bytes; the 16th does not fit in 31.
    SetLogFontFaceName(lf, QString(16, QChar(0x00E9)));
    EXPECT_EQ(std::strlen(lf.lfFaceName), 30u);
    EXPECT_EQ(LogFontFaceName(lf), QString(15, QChar(0x00E9)));
    // A name filling all 32 bytes without a NUL is read to the end, no further.
    std::memset(lf.lfFaceName, 'b', sizeof(lf.lfFaceName));
    EXPECT_EQ(LogFontFaceName(lf).size(), 32);
}

TEST(TextDraw, LinesBreakAtCrLfAndLfOnly)
{
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd\r\n"), (QStringList{"a", "b", "cd", ""}));
}

// The ink of text drawn by Qt itself with its baseline origin at (x, y).
QRect inkAt(const QString &text, int x, int y, std::int32_t height = -20)
{
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    painter.setFont(FontFromLogFont(face("Arial", height)));
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x, y), text);
    return inkBox(img);
}

// Each line starts at the left edge, ends at the right edge or sits in the
// middle to the pixel, its ascent below the top: no tolerance, so a line one
// pixel off is caught.
TEST(TextDraw, AlignsEachLineHorizontallyFromTheTop)
{
    const RECT rect{20, 30, 280, 190};
    const QFontMetrics fm(FontFromLogFont(face("Arial", -20)));
    const int room = 260 - fm.horizontalAdvance(QStringLiteral("HHH"));
    const QRect reference = inkAt(QStringLiteral("HHH"), 20, 30 + fm.ascent());
    ASSERT_FALSE(reference.isEmpty());
    EXPECT_EQ(inkBox(drawn("HHH", rect, DT_LEFT)), reference);
    EXPECT_EQ(inkBox(drawn("HHH", rect, DT_RIGHT)), reference.translated(room, 0));
    EXPECT_EQ(inkBox(drawn("HHH", rect, DT_CENTER)), reference.translated(room / 2, 0));
}

// Lines are one cell (ascent + descent) apart, without the font's leading:
// at this size the leading is a whole pixel, so adding it would show.
TEST(TextDraw, SecondLineIsOneCellLower)
{
    const RECT rect{20, 10, 280, 190};
    const QFontMetrics fm(FontFromLogFont(face("Arial", -60)));
    ASSERT_GE(fm.leading(), 1);
    const int cell = fm.ascent() + fm.descent();
    const QRect one = inkBox(drawn("H", rect, DT_LEFT, -60));
    const QRect two = inkBox(drawn("H\r\nH", rect, DT_LEFT, -60));
    ASSERT_EQ(one, inkAt(QStringLiteral("H"), 20, 10 + fm.ascent(), -60));
    EXPECT_EQ(two, one.united(one.translated(0, cell)));
}

TEST(TextDraw, ClipsToTheRectangleWithoutWrapping)
{
    const RECT rect{50, 50, 120, 62};
    const QImage img = drawn("A long line that never wraps\nsecond line", rect, DT_CENTER);
    const QRect ink = inkBox(img);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(50, 50, 70, 12).contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width();
    EXPECT_EQ(ink.left(), 50); // cut at the left edge as well
}

TEST(TextDraw, InvertedRectangleIsTakenNormalised)
{
    EXPECT_EQ(drawn("Hi", RECT{280, 190, 20, 30}, DT_RIGHT), drawn("Hi", RECT{20, 30, 280, 190}, DT_RIGHT));
}

TEST(TextDraw, AmpersandIsDrawnAsItIs)
{
    EXPECT_FALSE(inkBox(drawn("&", RECT{0, 0, 300, 200}, DT_LEFT)).isEmpty());
}

TEST(TextDraw, ExtentHoldsAllTheInk)
{
    for (unsigned format : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        LOGFONT lf = face("Arial", -24);
        lf.lfItalic = 1;
        const RECT rect{10, 10, 290, 190};
        QImage img(300, 200, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        painter.setFont(FontFromLogFont(lf));
        DrawText(painter, "fjord Wy\nQuay", rect, format);
        painter.end();
        const RECT ext = DrawTextExtent(FontFromLogFont(lf), "fjord Wy\nQuay", rect, format);
        const QRect box(ext.left, ext.top, ext.right - ext.left, ext.bottom - ext.top);
        EXPECT_TRUE(box.contains(inkBox(img))) << format;
        EXPECT_LT(box.height(), 150); // not simply the whole rectangle
    }
    EXPECT_TRUE(DrawTextExtent(FontFromLogFont(face("Arial", -20)), "", RECT{0, 0, 100, 100}, 0).right == 0);
}

} // namespace
