// tests/caption/settings_page_test.cpp
// The Batch Settings page on real picture files: the mouse tools driven by
// mouse events, the preview against the export, the property handlers,
// rotation and stepping through a stand-in list.
#include "caption/box_tool.h"
#include "caption/caption_geometry.h"
#include "caption/caption_render.h"
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/font_color_dialog.h"
#include "caption/settings_page.h"
#include "platform/font_map.h"
#include "tests/caption/picture_files.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

POINT center(const RECT &r)
{
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

QPoint qp(POINT p)
{
    return QPoint(p.x, p.y);
}

class SettingsPage : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        page.resize(900, 600);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    void TearDown() override { CFontColorDialog::SetHandler({}); }

    // Shows a picture file and waits until it is decoded.
    void show(const QString &path, int rotation = 0, int row = 0, int count = 1)
    {
        page.ShowImage(path, rotation, row, count);
        page.WaitForPicture();
    }

    CDrawText &box() { return *page.CaptionBox(); }

    void drag(POINT from, POINT to, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(&page, Qt::LeftButton, mods, qp(from));
        QTest::mouseMove(&page, qp(to));
        QTest::mouseRelease(&page, Qt::LeftButton, mods, qp(to));
    }

    // The preview as the screen shows it, in page coordinates.
    QImage grabPreview()
    {
        QImage out(page.size(), QImage::Format_RGB32);
        out.fill(Qt::black);
        QPainter p(&out);
        page.PaintPreview(p);
        return out;
    }

    template <class T> T *child(const QString &text)
    {
        for (T *w : page.findChildren<T *>()) {
            if (w->text() == text)
                return w;
        }
        ADD_FAILURE() << "no control " << text.toStdString();
        return nullptr;
    }

    PictureFiles files;
    CSettingsPage page;
};

TEST_F(SettingsPage, StartsWithTheSelectedDefaultBoxAndNoPicture)
{
    ASSERT_EQ(page.Objects().size(), 1u);
    EXPECT_TRUE(page.IsSelected(&box()));
    EXPECT_EQ(box().GetText(), kDefaultCaptionText);
    EXPECT_EQ(box().GetAlign(), CaptionAlign::Middle);
    // Made at (40, 40) on a preview whose corner is (6, 6): distances at scale 1.
    const RECT p = page.PreviewRect();
    EXPECT_EQ(box().GetOffsets(), (CaptionOffsets{float(40 - p.left), float(40 - p.top), float(340 - p.left),
                                                  float(80 - p.top)}));
    EXPECT_FALSE(page.HasPicture());
    EXPECT_FLOAT_EQ(page.DisplayScale(), 1.0f);
    EXPECT_TRUE(page.findChild<QPlainTextEdit *>()->isEnabled());
    EXPECT_EQ(page.findChild<QPlainTextEdit *>()->toPlainText(), kDefaultCaptionText);
    // The preview grows with the page, the column keeps its width.
    page.resize(1100, 700);
    EXPECT_EQ(page.PreviewRect().right - page.PreviewRect().left, 1100 - 900 + (p.right - p.left));
    EXPECT_EQ(page.PreviewRect().bottom - page.PreviewRect().top, 100 + (p.bottom - p.top));
}

TEST_F(SettingsPage, SmallPictureIsShownAtItsOwnSizeWithTheBoxAtItsOffsets)
{
    show(files.Write("small.bmp", 300, 200));
    ASSERT_TRUE(page.HasPicture());
    EXPECT_FLOAT_EQ(page.DisplayScale(), 1.0f);
    const RECT i = page.PictureRect();
    EXPECT_EQ(i.right - i.left, 300);
    EXPECT_EQ(i.bottom - i.top, 200);
    const CaptionOffsets o = box().GetOffsets();
    EXPECT_EQ(box().GetPosition(),
              (RECT{i.left + int(o.left), i.top + int(o.top), i.left + int(o.right), i.top + int(o.bottom)}));
    EXPECT_EQ(page.findChild<QLineEdit *>()->text(), QStringLiteral("300x200x16M"));
}

TEST_F(SettingsPage, DraggingTheBoxMovesItsOffsets)
{
    show(files.Write("move.bmp", 300, 200));
    const CaptionOffsets before = box().GetOffsets();
    const POINT c = center(box().GetPosition());
    drag(c, POINT{c.x + 30, c.y - 20});
    EXPECT_EQ(box().GetOffsets(),
              (CaptionOffsets{before.left + 30, before.top - 20, before.right + 30, before.bottom - 20}));
    EXPECT_TRUE(page.IsSelected(&box()));
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::None);
}

TEST_F(SettingsPage, EachHandleMovesOnlyItsOwnEdges)
{
    show(files.Write("handles.bmp", 300, 200));
    const CaptionOffsets start = box().GetOffsets();
    // Moved by (+9, +5): which edges follow for handles 1..8 (left, top, right, bottom).
    const int moves[8][4] = {{1, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 1, 0}, {0, 0, 1, 0},
                             {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 0}};
    for (int n = 1; n <= 8; ++n) {
        box().SetOffsets(start);
        page.resize(page.size()); // the box takes its place from the offsets again
        box().SetPosition(PreviewBox(start, box().GetAnchor(), page.PictureRect(), page.DisplayScale()));
        const RECT before = box().GetPosition();
        const POINT h = box().HandlePoint(n);
        drag(h, POINT{h.x + 9, h.y + 5});
        const RECT after = box().GetPosition();
        const int *m = moves[n - 1];
        EXPECT_EQ(after.left - before.left, 9 * m[0]) << "handle " << n;
        EXPECT_EQ(after.top - before.top, 5 * m[1]) << "handle " << n;
        EXPECT_EQ(after.right - before.right, 9 * m[2]) << "handle " << n;
        EXPECT_EQ(after.bottom - before.bottom, 5 * m[3]) << "handle " << n;
    }
}

TEST_F(SettingsPage, ClicksSelectDeselectAndShiftAddsToTheSelection)
{
    show(files.Write("select.bmp", 300, 200));
    const RECT p = page.PreviewRect();
    auto *edit = page.findChild<QPlainTextEdit *>();
    QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(p.left + 3, p.top + 3));
    EXPECT_TRUE(page.Selection().empty());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(page.findChild<QComboBox *>()->isEnabled());
    QTest::mouseClick(&page, Qt::LeftButton, {}, qp(center(box().GetPosition())));
    EXPECT_TRUE(page.IsSelected(&box()));
    EXPECT_TRUE(edit->isEnabled());

    // A second box made with the creation tool: a press and a drag.
    CBoxTool::State().shapeKey = kTextBoxToolKey;
    const RECT i = page.PictureRect();
    drag(POINT{i.left + 20, i.bottom - 60}, POINT{i.left + 10, i.bottom - 70});
    ASSERT_EQ(page.Objects().size(), 2u);
    CDrawObj *second = page.Objects().back().get();
    EXPECT_EQ(second->GetPosition(),
              (RECT{i.left + 10, i.bottom - 70, i.left + 20 + 300, i.bottom - 60 + 40}));
    EXPECT_EQ(CBoxTool::State().shapeKey, kPointerToolKey);
    ASSERT_EQ(page.Selection().size(), 1u);
    EXPECT_EQ(page.Selection().front(), second);

    // Without Shift a click replaces the selection, with Shift it adds.
    const POINT onFirst = POINT{box().GetPosition().left + 5, box().GetPosition().top + 5};
    ASSERT_EQ(page.ObjectAt(onFirst), &box());
    QTest::mouseClick(&page, Qt::LeftButton, Qt::ShiftModifier, qp(onFirst));
    EXPECT_EQ(page.Selection().size(), 2u);
    QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(p.left + 3, p.top + 3));
    QTest::mouseClick(&page, Qt::LeftButton, {}, qp(onFirst));
    QTest::mouseClick(&page, Qt::LeftButton, {}, qp(center(second->GetPosition())));
    ASSERT_EQ(page.Selection().size(), 1u);
    EXPECT_EQ(page.Selection().front(), second);
}

TEST_F(SettingsPage, DeleteKeyLeavesTheCaptionBox)
{
    show(files.Write("delete.bmp", 300, 200));
    QTest::mouseClick(&page, Qt::LeftButton, {}, qp(center(box().GetPosition())));
    QTest::keyClick(&page, Qt::Key_Delete);
    ASSERT_EQ(page.Objects().size(), 1u);
    EXPECT_TRUE(page.IsSelected(&box()));
    EXPECT_TRUE(page.ExportCaption().has_value());
}

// At scale 1 the preview draws the caption exactly as the export stamps it.
TEST_F(SettingsPage, PreviewAtScaleOneShowsWhatTheExportWrites)
{
    const QString path = files.Write("agree.bmp", 300, 200);
    show(path);
    ASSERT_FLOAT_EQ(page.DisplayScale(), 1.0f);
    for (COLORREF back : {RGB(30, 60, 90), kNoBackColor}) {
        CaptionSettings c = box().GetCaption();
        c.text = QStringLiteral("Agree 123\r\nsecond line");
        c.backColor = back;
        c.textColor = RGB(255, 240, 0);
        c.align = CaptionAlign::Right;
        c.anchor = CaptionAnchor::BottomRight;
        c.offsets = {260, 120, 40, 30};
        box().SetCaption(c);
        page.Select(nullptr, false); // no handles over the box
        const QImage preview = grabPreview();

        ZvImage picture;
        ASSERT_TRUE(picture.Load(path.toLocal8Bit().constData(), ZV_TYPE_BMP));
        ASSERT_TRUE(StampCaption(picture, c));
        const RECT inPicture = CaptionBoxInPicture(c.offsets, c.anchor, 300, 200);
        const RECT i = page.PictureRect();
        int differing = 0, yellow = 0;
        for (int y = inPicture.top; y < inPicture.bottom; ++y) {
            for (int x = inPicture.left; x < inPicture.right; ++x) {
                const RGBQUAD e = picture.GetPixelColor(x, 199 - y, false);
                const QRgb v = preview.pixel(i.left + x, i.top + y);
                if (qRed(v) != e.rgbRed || qGreen(v) != e.rgbGreen || qBlue(v) != e.rgbBlue)
                    ++differing;
                if (qRed(v) > 200 && qGreen(v) > 200 && qBlue(v) < 80)
                    ++yellow;
            }
        }
        EXPECT_EQ(differing, 0) << "back colour " << back;
        EXPECT_GT(yellow, 100) << "the text was drawn";
    }
}

// A reduced JPEG decode: the scale and the box follow the picture's own size.
TEST_F(SettingsPage, SmallerScaleKeepsTheBoxAtTheSameRelativePlace)
{
    show(files.Write("large.jpg", 2000, 1000));
    ASSERT_TRUE(page.HasPicture());
    EXPECT_EQ(page.PictureSize(), QSize(2000, 1000));
    const RECT i = page.PictureRect();
    const int iw = i.right - i.left, ih = i.bottom - i.top;
    EXPECT_EQ(iw, page.PreviewRect().right - page.PreviewRect().left - 2);
    EXPECT_EQ(ih, 1000 * iw / 2000);
    EXPECT_NEAR(page.DisplayScale(), iw / 2000.0, 1e-6);

    CaptionSettings c = box().GetCaption();
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {400, 200, 100, 50}; // (1600, 800) to (1900, 950) in the picture
    box().SetCaption(c);
    grabPreview();
    const RECT b = box().GetPosition();
    EXPECT_NEAR(double(b.left - i.left) / iw, 0.80, 1.0 / iw);
    EXPECT_NEAR(double(b.top - i.top) / ih, 0.80, 1.0 / ih);
    EXPECT_NEAR(double(b.right - i.left) / iw, 0.95, 1.0 / iw);
    EXPECT_NEAR(double(b.bottom - i.top) / ih, 0.95, 1.0 / ih);
}

TEST_F(SettingsPage, AnchorChangeKeepsTheBoxWhereItIs)
{
    show(files.Write("anchor.bmp", 300, 200));
    const RECT before = box().GetPosition();
    QComboBox *list = nullptr;
    for (QComboBox *c : page.findChildren<QComboBox *>()) {
        if (c->count() == 4)
            list = c;
    }
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(CaptionAnchor::BottomRight);
    emit list->activated(CaptionAnchor::BottomRight);
    EXPECT_EQ(box().GetAnchor(), CaptionAnchor::BottomRight);
    grabPreview();
    EXPECT_EQ(box().GetPosition(), before);
    const RECT i = page.PictureRect();
    EXPECT_EQ(box().GetOffsets().right, float(i.right - before.right));
    EXPECT_EQ(box().GetOffsets().bottom, float(i.bottom - before.bottom));
}

TEST_F(SettingsPage, TextAlignAndFontReachTheBox)
{
    show(files.Write("props.bmp", 300, 200));
    auto *edit = page.findChild<QPlainTextEdit *>();
    edit->setPlainText(QStringLiteral("First\nSecond"));
    EXPECT_EQ(box().GetText(), QStringLiteral("First\r\nSecond"));
    edit->clear();
    EXPECT_TRUE(box().GetText().isEmpty());

    for (QComboBox *c : page.findChildren<QComboBox *>()) {
        if (c->count() == 3)
            emit c->activated(CaptionAlign::Left);
    }
    EXPECT_EQ(box().GetAlign(), CaptionAlign::Left);

    const LOGFONT before = box().GetFont();
    CFontColorDialog::SetHandler(
        [](const LOGFONT &, COLORREF, QWidget *) { return std::optional<FontChoice>(); });
    child<QPushButton>(QStringLiteral("Font"))->click();
    EXPECT_EQ(LogFontFaceName(box().GetFont()), LogFontFaceName(before));
    EXPECT_EQ(box().GetFont().lfHeight, before.lfHeight);
    EXPECT_EQ(box().GetTextColor(), 0u);

    LOGFONT seen{};
    CFontColorDialog::SetHandler([&seen](const LOGFONT &font, COLORREF, QWidget *) {
        seen = font;
        FontChoice choice;
        SetLogFontFaceName(choice.font, QStringLiteral("DejaVu Serif"));
        choice.font.lfHeight = -40;
        choice.color = RGB(200, 10, 20);
        return std::optional<FontChoice>(choice);
    });
    child<QPushButton>(QStringLiteral("Font"))->click();
    EXPECT_EQ(LogFontFaceName(seen), LogFontFaceName(before));
    EXPECT_EQ(LogFontFaceName(box().GetFont()), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(box().GetFont().lfHeight, -40);
    EXPECT_EQ(box().GetTextColor(), RGB(200, 10, 20));

    // A face that is not installed is named in the Font button with the one that draws it.
    CFontColorDialog::SetHandler([](const LOGFONT &, COLORREF, QWidget *) {
        FontChoice choice;
        SetLogFontFaceName(choice.font, QStringLiteral("No Such Face Zv"));
        return std::optional<FontChoice>(choice);
    });
    QPushButton *font = child<QPushButton>(QStringLiteral("Font"));
    font->click();
    QString fontTip;
    for (const auto &[control, markup] : page.MarkupTips())
        fontTip = control == font ? markup : fontTip;
    EXPECT_TRUE(fontTip.contains(QStringLiteral("No Such Face Zv is not installed: drawn with")));
}

TEST_F(SettingsPage, BackColorFromThePickerFillsTheBox)
{
    show(files.Write("back.bmp", 300, 200));
    auto *picker = page.findChild<CColorPicker *>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->GetColor(), kNoBackColor);
    picker->SetColor(RGB(0, 128, 0));
    emit picker->selEndOk(RGB(0, 128, 0));
    EXPECT_EQ(box().GetBackColor(), RGB(0, 128, 0));
    const QImage shot = grabPreview();
    const RECT b = box().GetPosition();
    EXPECT_EQ(shot.pixel(b.left + 10, b.top + 1), qRgb(0, 128, 0)); // clear of handles and text
    // Nothing selected: the picker is off and the box keeps its colour.
    const RECT p = page.PreviewRect();
    QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(p.left + 3, p.top + 3));
    EXPECT_FALSE(picker->isEnabled());
}

TEST_F(SettingsPage, RotationButtonsTurnThePictureAndReportIt)
{
    QSignalSpy turned(&page, &CSettingsPage::rotationChanged);
    // Without a picture of the list there is nothing to turn.
    child<QRadioButton>(QStringLiteral("90\""))->click();
    EXPECT_EQ(turned.count(), 0);
    EXPECT_TRUE(child<QRadioButton>(QStringLiteral("0\""))->isChecked());

    const QString path = files.Write("turn.bmp", 300, 200);
    show(path);
    child<QRadioButton>(QStringLiteral("90\""))->click();
    ASSERT_EQ(turned.count(), 1);
    EXPECT_EQ(turned.takeFirst().at(0).toInt(), 90);
    EXPECT_EQ(page.PictureSize(), QSize(200, 300));
    // Bottom-right box keeps its distance from the turned picture's corner.
    CaptionSettings c = box().GetCaption();
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {110, 50, 10, 10};
    box().SetCaption(c);
    grabPreview();
    const RECT i = page.PictureRect();
    EXPECT_EQ(box().GetPosition(), (RECT{i.right - 110, i.bottom - 50, i.right - 10, i.bottom - 10}));

    // The list answering with the same file and the new rotation decodes nothing again.
    page.ShowImage(path, 90, 0, 1);
    EXPECT_FALSE(page.IsLoading());
    page.ShowImage(path, 180, 0, 1);
    EXPECT_TRUE(child<QRadioButton>(QStringLiteral("180\""))->isChecked());
    EXPECT_EQ(page.PictureSize(), QSize(300, 200));
    EXPECT_EQ(turned.count(), 0);
}

// A stand-in for the selected-image list, wired as the main window wires it.
struct StandInList
{
    QStringList paths;
    int row = -1;
    CSettingsPage *page = nullptr;

    void select(int r)
    {
        row = r;
        page->ShowImage(r < 0 ? QString() : paths[r], 0, r, int(paths.size()));
        page->WaitForPicture();
    }
};

TEST_F(SettingsPage, PreviousAndNextStopAtTheEndsOfTheList)
{
    StandInList list{
        {files.Write("a.bmp", 60, 40), files.Write("b.bmp", 80, 40), files.Write("c.bmp", 100, 40)},
        -1,
        &page};
    QObject::connect(&page, &CSettingsPage::previousRequested, [&list] { list.select(list.row - 1); });
    QObject::connect(&page, &CSettingsPage::nextRequested, [&list] { list.select(list.row + 1); });
    QSignalSpy previous(&page, &CSettingsPage::previousRequested);
    QSignalSpy next(&page, &CSettingsPage::nextRequested);
    QPushButton *prevButton = child<QPushButton>(QStringLiteral("Previous"));
    QPushButton *nextButton = child<QPushButton>(QStringLiteral("Next"));

    list.select(-1);
    prevButton->click(); // nothing selected: Previous does nothing
    EXPECT_EQ(previous.count(), 0);
    nextButton->click(); // ...and Next starts at the first row
    EXPECT_EQ(list.row, 0);
    EXPECT_EQ(page.CurrentPath(), list.paths[0]);
    prevButton->click();
    EXPECT_EQ(previous.count(), 0);
    nextButton->click();
    nextButton->click();
    EXPECT_EQ(list.row, 2);
    EXPECT_EQ(page.PictureSize(), QSize(100, 40));
    nextButton->click();
    EXPECT_EQ(next.count(), 3);
    EXPECT_EQ(list.row, 2);
    prevButton->click();
    EXPECT_EQ(list.row, 1);
    EXPECT_EQ(page.PictureSize(), QSize(80, 40));
}

TEST_F(SettingsPage, BrokenOrMissingPictureShowsATextAndNoBox)
{
    show(files.Write("good.bmp", 300, 200));
    QSignalSpy view(&page, &CSettingsPage::viewRequested);
    child<QPushButton>(QStringLiteral("View"))->click();
    EXPECT_EQ(view.count(), 1);

    show(files.WriteGarbage("broken.jpg"));
    EXPECT_FALSE(page.HasPicture());
    EXPECT_FALSE(page.LoadError().isEmpty());
    EXPECT_FLOAT_EQ(page.DisplayScale(), 1.0f);
    child<QPushButton>(QStringLiteral("View"))->click();
    EXPECT_EQ(view.count(), 1);
    // The box is neither drawn nor moved by a press where it was.
    const CaptionOffsets offsets = box().GetOffsets();
    const POINT c = center(box().GetPosition());
    drag(c, POINT{c.x + 40, c.y + 40});
    EXPECT_EQ(box().GetOffsets(), offsets);

    // A file replaced under the same name is read again.
    const QString same = files.Write("same.bmp", 300, 200);
    show(same);
    files.Write("same.bmp", 120, 80);
    show(same);
    EXPECT_EQ(page.PictureSize(), QSize(120, 80));

    show(files.Path("gone.png"));
    EXPECT_FALSE(page.HasPicture());
    EXPECT_TRUE(page.LoadError().contains(QStringLiteral("missing")));
    // No row any more: nothing shown, nothing to turn.
    page.ShowImage(QString(), 0, -1, 0);
    EXPECT_TRUE(page.CurrentPath().isEmpty());
    EXPECT_TRUE(page.ExportCaption().has_value());
}

} // namespace

namespace {

// The font dialog opened and accepted without a change gives the font back as it was.
TEST(FontColorDialog, UnchangedChoiceKeepsTheFont)
{
    LOGFONT font = DefaultCaptionFont(); // Arial, 26 pixels: not installed here, listed as its substitute
    CFontColorDialog dialog(font, RGB(1, 2, 3));
    const FontChoice choice = dialog.Choice();
    EXPECT_EQ(choice.font.lfHeight, -26);
    EXPECT_EQ(LogFontFaceName(choice.font), QStringLiteral("Arial"));
    EXPECT_EQ(choice.font.lfWeight, 400);
    EXPECT_EQ(choice.font.lfItalic, 0);
    EXPECT_EQ(choice.color, RGB(1, 2, 3));
}

} // namespace

namespace {

// The pointer over a box that is not selected outlines it; leaving the
// preview takes the outline away.
TEST_F(SettingsPage, HoverOutlinesAnUnselectedBox)
{
    show(files.Write("hover.bmp", 300, 200));
    const RECT p = page.PreviewRect();
    QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(p.left + 3, p.top + 3));
    const RECT b = box().GetPosition();
    const QRgb outline = qRgb(0x77, 0x98, 0xEA); // COLORREF 0xEA9877
    EXPECT_NE(grabPreview().pixel(b.left, (b.top + b.bottom) / 2), outline);
    QTest::mouseMove(&page, qp(center(b)));
    EXPECT_EQ(grabPreview().pixel(b.left, (b.top + b.bottom) / 2), outline);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&page, &leave);
    EXPECT_NE(grabPreview().pixel(b.left, (b.top + b.bottom) / 2), outline);
    QTest::mouseMove(&page, qp(center(b)));
    // Selected boxes show handles instead.
    QTest::mouseClick(&page, Qt::LeftButton, {}, qp(center(b)));
    QTest::mouseMove(&page, QPoint(center(b).x + 1, center(b).y));
    EXPECT_NE(grabPreview().pixel(b.left, (b.top + b.bottom) / 2 + 8), outline);
}

} // namespace

namespace {

// The preview holds a reduced picture no larger than it shows, and decodes
// it again larger once when the page grows, not on every resize.
TEST_F(SettingsPage, ReducedPictureIsDecodedAgainWhenThePreviewGrows)
{
    page.resize(700, 500);
    show(files.Write("grow.jpg", 2000, 1000));
    const auto shownWidth = [this] { return page.PictureRect().right - page.PictureRect().left; };
    EXPECT_LE(page.DecodedSize().width(), 1000);
    EXPECT_GE(page.DecodedSize().width(), shownWidth() - 1);
    page.resize(1600, 1000);
    EXPECT_TRUE(page.IsLoading());
    page.WaitForPicture();
    EXPECT_GE(page.DecodedSize().width(), shownWidth() - 1);
    EXPECT_GT(page.DecodedSize().width(), 1000 * 700 / 2000);
    page.resize(1601, 1000);
    page.resize(1600, 1000);
    EXPECT_FALSE(page.IsLoading());
    EXPECT_EQ(page.PictureSize(), QSize(2000, 1000));
}

} // namespace
