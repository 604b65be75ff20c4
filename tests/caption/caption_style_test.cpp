// tests/caption/caption_style_test.cpp
// What a caption box does beyond the plain box: sizing with the picture,
// wrapping and fitting its text, padding, a see-through back colour, an
// outline or shadow and a logo; stamped and previewed alike.
#include "caption/caption_geometry.h"
#include "caption/caption_layout.h"
#include "caption/caption_render.h"
#include "caption/caption_scale.h"
#include "caption/draw_text.h"
#include "caption/reduced_stamp.h"
#include "platform/font_map.h"
#include "tests/caption/test_page.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

COLORREF at(const ZvImage &img, int x, int y)
{
    const RGBQUAD c = img.GetPixelColor(x, int(img.GetHeight()) - 1 - y, false);
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

COLORREF at(const Rgb8 &img, int x, int y)
{
    const std::uint8_t *p = &img.rgb[(std::size_t(y) * img.width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

ZvImage white(int w, int h)
{
    ZvImage picture(std::uint32_t(w), std::uint32_t(h), 24);
    std::memset(picture.GetBits(0), 0xFF, picture.GetHeader().biSizeImage);
    return picture;
}

// The bounding box of the pixels for which pick is true; empty when none.
template <typename Pick> RECT boundsOf(const ZvImage &img, Pick pick)
{
    RECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = 0; y < int(img.GetHeight()); ++y)
        for (int x = 0; x < int(img.GetWidth()); ++x)
            if (pick(at(img, x, y)))
                r = RECT{std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                         std::max(r.bottom, y + 1)};
    return IsRectEmpty(r) ? RECT{} : r;
}

CaptionSettings relativeDesign()
{
    CaptionSettings c;
    c.text = QStringLiteral("Size with the picture, wrapped\r\n\r\nto its box");
    c.backColor = RGB(20, 40, 60);
    c.textColor = RGB(250, 250, 0);
    c.align = CaptionAlign::Right;
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {150, 75, 10, 5}; // designed on a picture whose shorter side is 200
    c.font.lfHeight = -14;
    c.style.referenceSide = 200;
    c.style.wordWrap = true;
    c.style.padding = 3;
    c.style.effect = CaptionEffect::Outline;
    c.style.effectColor = RGB(0, 0, 0);
    c.style.effectSize = 1;
    return c;
}

TEST(CaptionScale, MeasuresFollowTheShorterSide)
{
    CaptionSettings design = relativeDesign();
    design.font.lfWidth = 5;
    for (auto [w, h] : {std::pair{800, 400}, std::pair{400, 900}}) {
        const CaptionSettings c = CaptionForPicture(design, w, h); // factor 2
        EXPECT_EQ(c.offsets, (CaptionOffsets{300, 150, 20, 10})) << w;
        EXPECT_EQ(c.font.lfHeight, -28);
        EXPECT_EQ(c.font.lfWidth, 10);
        EXPECT_FLOAT_EQ(c.style.padding, 6);
        EXPECT_FLOAT_EQ(c.style.effectSize, 2);
        EXPECT_EQ(c.style.referenceSide, 0); // now in this picture's pixels
        EXPECT_EQ(CaptionForPicture(c, w, h).offsets, c.offsets);
    }
    // Rounded offsets, and a font that never vanishes nor loses its sign.
    const CaptionSettings tiny = CaptionForPicture(design, 3, 5);
    EXPECT_EQ(tiny.offsets, (CaptionOffsets{2, 1, 0, 0}));
    EXPECT_EQ(tiny.font.lfHeight, -1);
    design.font.lfHeight = 30;
    EXPECT_EQ(CaptionForPicture(design, 3, 5).font.lfHeight, 1);
    // A design in plain picture pixels is left as it is.
    design.style.referenceSide = 0;
    EXPECT_EQ(CaptionForPicture(design, 4000, 3000).offsets, design.offsets);
    EXPECT_EQ(CaptionForPicture(design, 4000, 3000).font.lfHeight, 30);
}

// The export stamps the design sized for each picture, also on a picture
// decoded at a quarter of its size.
TEST(CaptionScale, StampsAndReducedStampsPlaceTheSameFraction)
{
    CaptionSettings design;
    design.text.clear();
    design.backColor = kRed;
    design.anchor = CaptionAnchor::BottomRight;
    design.offsets = {60, 40, 20, 8};
    design.style.referenceSide = 150; // factor 2 on 400 x 300, 4 on 600 x 800
    for (auto [w, h, k] : {std::tuple{400, 300, 2}, std::tuple{600, 800, 4}}) {
        ZvImage full = white(w, h);
        ASSERT_TRUE(StampCaption(full, design));
        EXPECT_EQ(boundsOf(full, [](COLORREF p) { return p == kRed; }),
                  (RECT{w - 60 * k, h - 40 * k, w - 20 * k, h - 8 * k}));
        ZvImage reduced = white(w / 4, h / 4);
        ASSERT_TRUE(stampCaptionReduced(reduced, design, w, h, 4));
        EXPECT_EQ(boundsOf(reduced, [](COLORREF p) { return p == kRed; }),
                  (RECT{(w - 60 * k) / 4, (h - 40 * k) / 4, (w - 20 * k) / 4, (h - 8 * k) / 4}));
    }
}

// At scale 1 the preview's pixels inside the box are the export's, and the
// box covers the same fraction of every picture.
TEST(CaptionScale, PreviewMatchesTheExportOnEverySize)
{
    for (auto [w, h] : {std::pair{300, 200}, std::pair{200, 300}, std::pair{600, 400}}) {
        ZvImage picture = makePattern24(w, h);
        TestPage page;
        page.ShowPicture(RECT{0, 0, w, h});
        page.view.pictureWidth = w;
        page.view.pictureHeight = h;
        CDrawText box(RECT{}, nullptr);
        box.SetCaption(relativeDesign());
        QImage preview(w, h, QImage::Format_RGB32);
        QPainter painter(&preview);
        ASSERT_EQ(picture.Stretch(painter, 0, 0, w, h), 1);
        box.PaintCaption(painter, page.view);
        painter.end();

        const int k = std::min(w, h) / 200;
        const RECT expected{w - 150 * k, h - 75 * k, w - 10 * k, h - 5 * k};
        EXPECT_EQ(box.GetPosition(), expected) << w << "x" << h;
        ASSERT_TRUE(StampCaption(picture, relativeDesign()));
        int differing = 0, text = 0;
        for (int y = expected.top; y < expected.bottom; ++y)
            for (int x = expected.left; x < expected.right; ++x) {
                const QRgb p = preview.pixel(x, y);
                differing += RGB(qRed(p), qGreen(p), qBlue(p)) != at(picture, x, y);
                text += at(picture, x, y) == RGB(250, 250, 0);
            }
        EXPECT_EQ(differing, 0) << w << "x" << h;
        EXPECT_GT(text, 20 * k * k) << w << "x" << h;
        EXPECT_EQ(at(picture, expected.left, expected.top), RGB(20, 40, 60)); // in the padding
    }
}

TEST(CaptionLayout, WrapBreaksWordsLinesAndGlyphsButKeepsWhatFits)
{
    LOGFONT lf = DefaultCaptionFont();
    const QFont font = FontFromLogFont(lf);
    const QFontMetrics fm(font);
    const QString sentence = QStringLiteral("Words that fit");
    EXPECT_EQ(WrapTextLines(font, sentence, fm.horizontalAdvance(sentence)), QStringList{sentence});

    const QStringList words =
        WrapTextLines(font, QStringLiteral("three three three"), fm.horizontalAdvance("three"));
    EXPECT_EQ(words, (QStringList{"three", "three", "three"}));

    // A word longer than the line breaks inside itself; empty lines stay.
    const QString longWord = QStringLiteral("Pneumonoultramicroscopic");
    const QStringList pieces = WrapTextLines(font, "a\r\n\r\n" + longWord + "\nb", 60);
    ASSERT_GE(pieces.size(), 5);
    EXPECT_EQ(pieces.front(), "a");
    EXPECT_EQ(pieces[1], "");
    EXPECT_EQ(pieces.back(), "b");
    EXPECT_EQ(pieces.mid(2, pieces.size() - 3).join(QString()), longWord);
    for (const QString &piece : pieces)
        EXPECT_LE(fm.horizontalAdvance(piece), 60) << piece.toStdString();

    // Narrower than one glyph: one glyph a line, nothing lost, no endless loop.
    EXPECT_EQ(WrapTextLines(font, QStringLiteral("WWW"), 1), (QStringList{"W", "W", "W"}));
}

// Right-to-left text is broken in its logical order and drawn right to left:
// the word's last letter (a final mem) is the one at its left end.
TEST(CaptionLayout, RightToLeftTextKeepsItsOrder)
{
    LOGFONT lf = DefaultCaptionFont();
    SetLogFontFaceName(lf, QStringLiteral("DejaVu Sans"));
    const QFont font = FontFromLogFont(lf);
    const QFontMetrics fm(font);
    const QString shalom = QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d");
    const QString olam = QString::fromUtf8("\xd7\xa2\xd7\x95\xd7\x9c\xd7\x9d");
    if (!fm.inFont(shalom.at(0)))
        GTEST_SKIP() << "no font with Hebrew letters";
    EXPECT_EQ(WrapTextLines(font, shalom + " " + olam, fm.horizontalAdvance(shalom) + 2),
              (QStringList{shalom, olam}));

    CaptionSettings c;
    c.font = lf;
    c.align = CaptionAlign::Left;
    c.style.wordWrap = true;
    ZvImage word = white(200, 40), letter = white(200, 40);
    c.text = shalom;
    ASSERT_TRUE(DrawCaptionOnPicture(word, RECT{0, 0, 200, 40}, c));
    c.text = shalom.right(1);
    ASSERT_TRUE(DrawCaptionOnPicture(letter, RECT{0, 0, 200, 40}, c));
    int inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < fm.horizontalAdvance(shalom.right(1)) / 2; ++x) {
            ASSERT_EQ(at(word, x, y), at(letter, x, y)) << x << "," << y;
            inked += at(letter, x, y) != RGB(255, 255, 255);
        }
    EXPECT_GT(inked, 20);
}

TEST(CaptionLayout, FitFindsTheLargestHeightThatFitsAtAwkwardSizes)
{
    CaptionSettings c;
    c.text = QStringLiteral("Fit me\r\ninto the box");
    c.style.fitToBox = true;
    for (bool wrap : {false, true}) {
        c.style.wordWrap = wrap;
        const RECT box{10, 10, 130, 70};
        const CaptionLayout layout = LayoutCaption(c, box);
        const int h = -layout.font.lfHeight;
        ASSERT_GT(h, 4) << wrap;
        auto fitsAt = [&](int pixels) {
            LOGFONT lf = c.font;
            lf.lfHeight = -pixels;
            const QFont font = FontFromLogFont(lf);
            const QFontMetrics fm(font);
            const QStringList lines =
                wrap ? WrapTextLines(font, c.text, 120) : QStringList{"Fit me", "into the box"};
            int widest = 0;
            for (const QString &line : lines)
                widest = std::max(widest, fm.horizontalAdvance(line));
            return widest <= 120 && lines.size() * (fm.ascent() + fm.descent()) <= 60;
        };
        EXPECT_TRUE(fitsAt(h)) << wrap;
        EXPECT_FALSE(fitsAt(h + 1)) << wrap;
    }
    // Zero-height and one-pixel boxes: the smallest height, nothing drawn outside.
    EXPECT_EQ(LayoutCaption(c, RECT{0, 5, 100, 5}).font.lfHeight, -1);
    ZvImage picture = makePattern24(40, 20);
    const Rgb8 before = toRgb(picture);
    ASSERT_TRUE(DrawCaptionOnPicture(picture, RECT{5, 5, 30, 5}, c));
    ASSERT_TRUE(DrawCaptionOnPicture(picture, RECT{5, 5, 6, 15}, c));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            if (x != 5 || y < 5 || y >= 15) {
                ASSERT_EQ(at(picture, x, y), at(before, x, y)) << x << "," << y;
            }
    // Padding larger than the box leaves nothing to draw in.
    EXPECT_TRUE(IsRectEmpty(PaddedBox(RECT{0, 0, 10, 10}, 6)));
}

// Wrapping on by default is safe: a text that fits its lines draws the same.
TEST(CaptionLayout, TextThatFitsDrawsTheSameWithWrapOnOrOff)
{
    CaptionSettings c;
    c.text = QStringLiteral("Holiday 2026\r\n\r\nwww.zelventa.example");
    c.backColor = kRed;
    c.align = CaptionAlign::Right;
    ZvImage plain = makePattern24(400, 120);
    ZvImage wrapped = makePattern24(400, 120);
    ASSERT_TRUE(DrawCaptionOnPicture(plain, RECT{20, 10, 380, 110}, c));
    c.style.wordWrap = true;
    ASSERT_TRUE(DrawCaptionOnPicture(wrapped, RECT{20, 10, 380, 110}, c));
    EXPECT_EQ(toRgb(plain), toRgb(wrapped));
}

TEST(CaptionStyle, BackOpacityBlendsOverThePicture)
{
    CaptionSettings c;
    c.text.clear();
    c.backColor = kRed;
    const RECT box{10, 10, 30, 20};
    ZvImage opaque = makePattern24(40, 30);
    const Rgb8 before = toRgb(opaque);
    ZvImage none = makePattern24(40, 30), half = makePattern24(40, 30);
    ASSERT_TRUE(DrawCaptionOnPicture(opaque, box, c));
    c.style.backOpacity = 0;
    ASSERT_TRUE(DrawCaptionOnPicture(none, box, c));
    c.style.backOpacity = 50;
    ASSERT_TRUE(DrawCaptionOnPicture(half, box, c));
    EXPECT_EQ(toRgb(none), before);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const COLORREF under = at(before, x, y);
            const bool inside = PtInRect(box, POINT{x, y});
            ASSERT_EQ(at(opaque, x, y), inside ? kRed : under);
            const COLORREF h = at(half, x, y);
            if (!inside) {
                ASSERT_EQ(h, under);
                continue;
            }
            // 50 % is 128/255 of the paint.
            ASSERT_NEAR(GetRValue(h), (255 * 128 + GetRValue(under) * 127) / 255.0, 1) << x << "," << y;
            ASSERT_NEAR(GetGValue(h), GetGValue(under) * 127 / 255.0, 1) << x << "," << y;
        }
    // Over clear pixels the half paint is half visible in its own colour.
    ZvImage clear = makePattern24(40, 30);
    ASSERT_TRUE(clear.AlphaCreate());
    std::memset(clear.AlphaGetPointer(), 0, 40 * 30);
    ASSERT_TRUE(DrawCaptionOnPicture(clear, box, c));
    EXPECT_EQ(clear.AlphaGet(15, 30 - 1 - 15), 128);
    EXPECT_EQ(at(clear, 15, 15), kRed);
    EXPECT_EQ(clear.AlphaGet(5, 30 - 1 - 5), 0);
}

TEST(CaptionStyle, OutlineSurroundsTheTextAndShadowFallsRightAndDown)
{
    CaptionSettings c;
    c.text = QStringLiteral("IHI");
    c.textColor = kBlue;
    c.font.lfHeight = -30;
    c.style.effectColor = kRed;
    c.style.effectSize = 3;
    auto isText = [](COLORREF p) { return GetBValue(p) > 200 && GetRValue(p) < 50; };
    auto isEffect = [](COLORREF p) { return GetRValue(p) > 200 && GetBValue(p) < 50; };
    const RECT box{20, 20, 180, 80};

    ZvImage plain = white(200, 100);
    ASSERT_TRUE(DrawCaptionOnPicture(plain, box, c));
    EXPECT_TRUE(IsRectEmpty(boundsOf(plain, isEffect)));
    const RECT text = boundsOf(plain, isText);
    ASSERT_FALSE(IsRectEmpty(text));

    c.style.effect = CaptionEffect::Outline;
    ZvImage outlined = white(200, 100);
    ASSERT_TRUE(DrawCaptionOnPicture(outlined, box, c));
    const RECT ring = boundsOf(outlined, isEffect);
    EXPECT_EQ(boundsOf(outlined, isText), text); // the text is drawn over its ring
    EXPECT_NEAR(ring.left, text.left - 3, 1);
    EXPECT_NEAR(ring.right, text.right + 3, 1);
    EXPECT_NEAR(ring.top, text.top - 3, 1);
    EXPECT_NEAR(ring.bottom, text.bottom + 3, 1);

    c.style.effect = CaptionEffect::Shadow;
    ZvImage shadowed = white(200, 100);
    ASSERT_TRUE(DrawCaptionOnPicture(shadowed, box, c));
    const RECT shadow = boundsOf(shadowed, isEffect);
    EXPECT_NEAR(shadow.right, text.right + 3, 1);
    EXPECT_NEAR(shadow.bottom, text.bottom + 3, 1);
    EXPECT_GE(shadow.left, text.left + 2); // none of it left of or above the text
    EXPECT_GE(shadow.top, text.top + 2);
}

TEST(CaptionStyle, LogoIsFittedUnderTheTextAndAMissingOneIsLeftOut)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage logo(40, 20, QImage::Format_ARGB32);
    logo.fill(QColor(0, 200, 0));
    const QString png = dir.filePath("logo.png");
    ASSERT_TRUE(logo.save(png));
    const QString svg = dir.filePath("logo.svg");
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'>"
               "<rect width='40' height='20' fill='#00c800'/></svg>");
    file.close();

    CaptionSettings c;
    c.text.clear();
    c.style.padding = 10;
    const RECT box{0, 0, 120, 120}; // inner 100 x 100: the logo becomes 100 x 50, centred
    for (const QString &path : {png, svg}) {
        c.style.logoPath = path;
        c.style.logoOpacity = 100;
        ZvImage picture = white(120, 120);
        ASSERT_TRUE(DrawCaptionOnPicture(picture, box, c));
        EXPECT_EQ(boundsOf(picture, [](COLORREF p) { return p == RGB(0, 200, 0); }), (RECT{10, 35, 110, 85}))
            << path.toStdString();
        c.style.logoOpacity = 50;
        ZvImage faint = white(120, 120);
        ASSERT_TRUE(DrawCaptionOnPicture(faint, box, c));
        EXPECT_NEAR(GetRValue(at(faint, 60, 60)), 127, 2);
        EXPECT_NEAR(GetGValue(at(faint, 60, 60)), 227, 2);
    }
    // An unreadable logo: the caption is drawn without it, and that is no failure.
    c.text = QStringLiteral("text");
    c.style.logoPath = dir.filePath("missing.png");
    ZvImage without = makePattern24(120, 120);
    ASSERT_TRUE(DrawCaptionOnPicture(without, box, c));
    c.style.logoPath.clear();
    ZvImage plain = makePattern24(120, 120);
    ASSERT_TRUE(DrawCaptionOnPicture(plain, box, c));
    EXPECT_EQ(toRgb(without), toRgb(plain));
}

} // namespace
