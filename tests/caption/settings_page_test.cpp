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
#include "caption/preview_loader.h"
#include "caption/preview_view.h"
#include "caption/settings_page.h"
#include "platform/font_map.h"
#include "tests/caption/picture_files.h"
#include "tests/support/oriented_picture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
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
        ASSERT_NE(preview, nullptr);
    }
    void TearDown() override { CFontColorDialog::SetHandler({}); }

    // Shows a picture file and waits until it is decoded.
    void show(const QString &path, int rotation = 0, int row = 0, int count = 1)
    {
        page.ShowImage(path, rotation, row, count);
        page.WaitForPicture();
    }

    CDrawText &box() { return *preview->CaptionBox(); }
    RECT previewRect() const { return preview->Geometry().preview; }
    RECT pictureRect() const { return preview->Geometry().picture; }
    // The newest picture the preview's loader delivered.
    PreviewPicture lastDecode() const { return decodes.last().at(0).value<PreviewPicture>(); }

    void drag(POINT from, POINT to, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(preview, Qt::LeftButton, mods, qp(from));
        QTest::mouseMove(preview, qp(to));
        QTest::mouseRelease(preview, Qt::LeftButton, mods, qp(to));
    }
    void click(POINT at, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(preview, Qt::LeftButton, mods, qp(at));
    }

    // The preview as the screen shows it.
    QImage grabPreview() { return preview->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    template <class T> T *control(const char *name)
    {
        T *found = page.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    PictureFiles files;
    CSettingsPage page;
    CPreviewView *preview = page.findChild<CPreviewView *>(QStringLiteral("preview"));
    QSignalSpy decodes{page.findChild<PreviewLoader *>(), &PreviewLoader::loaded};
};

// The widgets of the page that must never cover one another.
std::vector<QWidget *> laidOut(CSettingsPage &page)
{
    std::vector<QWidget *> out;
    for (QWidget *w : page.findChildren<QWidget *>()) {
        const bool leaf = qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
                          qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) ||
                          qobject_cast<QLabel *>(w) || qobject_cast<CPreviewView *>(w);
        if (leaf && w->isVisible() && w->parentWidget() && !qobject_cast<QComboBox *>(w->parentWidget()))
            out.push_back(w);
    }
    return out;
}

void expectNoOverlap(CSettingsPage &page, std::size_t count = 18)
{
    const std::vector<QWidget *> widgets = laidOut(page);
    EXPECT_EQ(widgets.size(), count);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const QRect a(widgets[i]->mapTo(&page, QPoint()), widgets[i]->size());
        EXPECT_TRUE(page.rect().contains(a)) << widgets[i]->objectName().toStdString();
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(widgets[i]))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(widgets[i]))
            text = label->text();
        // An access key's "&" is not drawn.
        const int needed = text.isEmpty() ? widgets[i]->minimumSizeHint().width()
                                          : widgets[i]->fontMetrics().horizontalAdvance(text.remove('&'));
        EXPECT_GE(widgets[i]->width(), needed) << "clipped " << text.toStdString();
        for (std::size_t j = i + 1; j < widgets.size(); ++j) {
            const QRect b(widgets[j]->mapTo(&page, QPoint()), widgets[j]->size());
            EXPECT_FALSE(a.intersects(b))
                << widgets[i]->metaObject()->className() << " " << widgets[j]->metaObject()->className();
        }
    }
}

TEST_F(SettingsPage, StartsWithTheSelectedDefaultBoxAndNoPictureAndGrowsItsPreview)
{
    ASSERT_EQ(preview->Objects().size(), 1u);
    EXPECT_TRUE(preview->IsSelected(&box()));
    EXPECT_EQ(box().GetText(), kDefaultCaptionText);
    EXPECT_EQ(box().GetAlign(), CaptionAlign::Middle);
    // Made at (40, 40) of the preview: distances from its corner at scale 1.
    const RECT p = previewRect();
    EXPECT_EQ(box().GetOffsets(), (CaptionOffsets{float(40 - p.left), float(40 - p.top), float(340 - p.left),
                                                  float(80 - p.top)}));
    EXPECT_FALSE(preview->Geometry().hasPicture);
    EXPECT_FLOAT_EQ(preview->Geometry().scale, 1.0f);
    auto *text = control<QPlainTextEdit>("text");
    EXPECT_TRUE(text->isEnabled());
    EXPECT_EQ(text->toPlainText(), kDefaultCaptionText);
    expectNoOverlap(page);
    // The preview and the text grow with the page, the column keeps its width.
    const int textHeight = text->height(), textWidth = text->width();
    const int rotateTop = control<QRadioButton>("rotate0")->mapTo(&page, QPoint()).y();
    page.resize(1300, 900);
    EXPECT_EQ(previewRect().right - previewRect().left, 1300 - 900 + (p.right - p.left));
    EXPECT_EQ(previewRect().bottom - previewRect().top, 300 + (p.bottom - p.top));
    EXPECT_EQ(text->height(), textHeight + 300);
    EXPECT_EQ(text->width(), textWidth);
    EXPECT_EQ(control<QRadioButton>("rotate0")->mapTo(&page, QPoint()).y(), rotateTop + 300);
    expectNoOverlap(page);
    // The Style and Box tabs fit the page in a window of the minimum size.
    page.resize(556, 530);
    auto *tabs = control<QTabWidget>("captionTabs");
    const std::size_t counts[3] = {18, 27, 23};
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(i);
        expectNoOverlap(page, counts[i]);
    }
}

TEST_F(SettingsPage, SmallPictureIsShownAtItsOwnSizeWithTheBoxAtItsOffsets)
{
    show(files.Write("small.bmp", 300, 200));
    ASSERT_TRUE(preview->HasPicture());
    EXPECT_FLOAT_EQ(preview->Geometry().scale, 1.0f);
    const RECT i = pictureRect();
    EXPECT_EQ(i.right - i.left, 300);
    EXPECT_EQ(i.bottom - i.top, 200);
    const CaptionOffsets o = box().GetOffsets();
    EXPECT_EQ(box().GetPosition(),
              (RECT{i.left + int(o.left), i.top + int(o.top), i.left + int(o.right), i.top + int(o.bottom)}));
    EXPECT_EQ(control<QLineEdit>("resolution")->text(), QStringLiteral("300x200x16M"));
}

TEST_F(SettingsPage, DraggingTheBoxMovesItsOffsets)
{
    show(files.Write("move.bmp", 300, 200));
    const CaptionOffsets before = box().GetOffsets();
    const POINT c = center(box().GetPosition());
    drag(c, POINT{c.x + 30, c.y - 20});
    EXPECT_EQ(box().GetOffsets(),
              (CaptionOffsets{before.left + 30, before.top - 20, before.right + 30, before.bottom - 20}));
    EXPECT_TRUE(preview->IsSelected(&box()));
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::None);
    // Released outside the preview: the drag ends all the same.
    const POINT from = center(box().GetPosition());
    QTest::mousePress(preview, Qt::LeftButton, {}, qp(from));
    QTest::mouseMove(preview, qp(POINT{from.x + 5, from.y}));
    QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(-20, -20));
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
        const PreviewGeometry view = preview->Geometry();
        box().SetPosition(PreviewBox(start, box().GetAnchor(), view.picture, view.scale));
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
    const RECT p = previewRect();
    auto *edit = control<QPlainTextEdit>("text");
    const POINT corner{p.left + 3, p.top + 3};
    click(corner);
    EXPECT_TRUE(preview->Selection().empty());
    for (const char *name : {"text", "font", "backColor", "align", "anchor"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
    click(center(box().GetPosition()));
    EXPECT_TRUE(preview->IsSelected(&box()));
    for (const char *name : {"text", "font", "backColor", "align", "anchor"})
        EXPECT_TRUE(control<QWidget>(name)->isEnabled()) << name;

    // A second box made with the creation tool: a press and a drag.
    CBoxTool::State().shapeKey = kTextBoxToolKey;
    const RECT i = pictureRect();
    drag(POINT{i.left + 20, i.bottom - 60}, POINT{i.left + 10, i.bottom - 70});
    ASSERT_EQ(preview->Objects().size(), 2u);
    CDrawObj *second = preview->Objects().back().get();
    EXPECT_EQ(second->GetPosition(),
              (RECT{i.left + 10, i.bottom - 70, i.left + 20 + 300, i.bottom - 60 + 40}));
    EXPECT_EQ(CBoxTool::State().shapeKey, kPointerToolKey);
    ASSERT_EQ(preview->Selection().size(), 1u);
    EXPECT_EQ(preview->Selection().front(), second);
    EXPECT_TRUE(edit->isEnabled());

    // Without Shift a click replaces the selection, with Shift it adds.
    const POINT onFirst = POINT{box().GetPosition().left + 5, box().GetPosition().top + 5};
    ASSERT_EQ(preview->ObjectAt(onFirst), &box());
    click(onFirst, Qt::ShiftModifier);
    EXPECT_EQ(preview->Selection().size(), 2u);
    click(corner);
    click(onFirst);
    click(center(second->GetPosition()));
    ASSERT_EQ(preview->Selection().size(), 1u);
    EXPECT_EQ(preview->Selection().front(), second);
}

TEST_F(SettingsPage, DeleteKeyLeavesTheCaptionBox)
{
    show(files.Write("delete.bmp", 300, 200));
    click(center(box().GetPosition()));
    QTest::keyClick(preview, Qt::Key_Delete);
    ASSERT_EQ(preview->Objects().size(), 1u);
    EXPECT_TRUE(preview->IsSelected(&box()));
    EXPECT_TRUE(page.ExportCaption().has_value());
}

// At scale 1 the preview draws the caption exactly as the export stamps it.
TEST_F(SettingsPage, PreviewAtScaleOneShowsWhatTheExportWrites)
{
    const QString path = files.Write("agree.bmp", 300, 200);
    show(path);
    ASSERT_FLOAT_EQ(preview->Geometry().scale, 1.0f);
    for (COLORREF back : {RGB(30, 60, 90), kNoBackColor}) {
        CaptionSettings c = box().GetCaption();
        c.text = QStringLiteral("Agree 123\r\nsecond line");
        c.backColor = back;
        c.textColor = RGB(255, 240, 0);
        c.align = CaptionAlign::Right;
        c.anchor = CaptionAnchor::BottomRight;
        c.offsets = {260, 120, 40, 30};
        page.SetCaption(c);
        preview->Select(nullptr, false); // no handles over the box
        const QImage shot = grabPreview();

        ZvImage picture;
        ASSERT_TRUE(picture.Load(path.toLocal8Bit().constData(), ZV_TYPE_BMP));
        ASSERT_TRUE(StampCaption(picture, c));
        const RECT inPicture = CaptionBoxInPicture(c.offsets, c.anchor, 300, 200);
        const RECT i = pictureRect();
        int differing = 0, yellow = 0;
        for (int y = inPicture.top; y < inPicture.bottom; ++y) {
            for (int x = inPicture.left; x < inPicture.right; ++x) {
                const RGBQUAD e = picture.GetPixelColor(x, 199 - y, false);
                const QRgb v = shot.pixel(i.left + x, i.top + y);
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
    ASSERT_TRUE(preview->HasPicture());
    EXPECT_EQ(preview->PictureSize(), QSize(2000, 1000));
    const RECT i = pictureRect();
    const int iw = i.right - i.left, ih = i.bottom - i.top;
    EXPECT_EQ(iw, previewRect().right - previewRect().left - 2);
    EXPECT_EQ(ih, 1000 * iw / 2000);
    EXPECT_NEAR(preview->Geometry().scale, iw / 2000.0, 1e-6);

    CaptionSettings c = box().GetCaption();
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {400, 200, 100, 50}; // (1600, 800) to (1900, 950) in the picture
    page.SetCaption(c);
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
    auto *list = control<QComboBox>("anchor");
    list->setCurrentIndex(CaptionAnchor::BottomRight);
    emit list->activated(CaptionAnchor::BottomRight);
    EXPECT_EQ(box().GetAnchor(), CaptionAnchor::BottomRight);
    grabPreview();
    EXPECT_EQ(box().GetPosition(), before);
    const RECT i = pictureRect();
    EXPECT_EQ(box().GetOffsets().right, float(i.right - before.right));
    EXPECT_EQ(box().GetOffsets().bottom, float(i.bottom - before.bottom));
}

TEST_F(SettingsPage, TextAlignAndFontReachTheBox)
{
    show(files.Write("props.bmp", 300, 200));
    auto *edit = control<QPlainTextEdit>("text");
    edit->setPlainText(QStringLiteral("First\nSecond"));
    EXPECT_EQ(box().GetText(), QStringLiteral("First\r\nSecond"));
    edit->clear();
    EXPECT_TRUE(box().GetText().isEmpty());

    emit control<QComboBox>("align")->activated(CaptionAlign::Left);
    EXPECT_EQ(box().GetAlign(), CaptionAlign::Left);

    QPushButton *font = control<QPushButton>("font");
    const LOGFONT before = box().GetFont();
    CFontColorDialog::SetHandler(
        [](const LOGFONT &, COLORREF, QWidget *) { return std::optional<FontChoice>(); });
    font->click();
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
    font->click();
    EXPECT_EQ(LogFontFaceName(seen), LogFontFaceName(before));
    EXPECT_EQ(LogFontFaceName(box().GetFont()), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(box().GetFont().lfHeight, -40);
    EXPECT_EQ(box().GetTextColor(), RGB(200, 10, 20));

    // A face that is not installed is named in the Font button's tip with the one that draws it.
    QSignalSpy tips(&page, &CSettingsPage::markupTipChanged);
    CFontColorDialog::SetHandler([](const LOGFONT &, COLORREF, QWidget *) {
        FontChoice choice;
        SetLogFontFaceName(choice.font, QStringLiteral("No Such Face Zv"));
        return std::optional<FontChoice>(choice);
    });
    font->click();
    ASSERT_EQ(tips.count(), 1);
    EXPECT_EQ(tips.at(0).at(0).value<QWidget *>(), font);
    EXPECT_TRUE(
        tips.at(0).at(1).toString().contains(QStringLiteral("No Such Face Zv is not installed: drawn with")));
}

TEST_F(SettingsPage, BackColorFromThePickerFillsTheBox)
{
    show(files.Write("back.bmp", 300, 200));
    auto *picker = control<CColorPicker>("backColor");
    EXPECT_EQ(picker->GetColor(), kNoBackColor);
    picker->SetColor(RGB(0, 128, 0));
    emit picker->selEndOk(RGB(0, 128, 0));
    EXPECT_EQ(box().GetBackColor(), RGB(0, 128, 0));
    const QImage shot = grabPreview();
    const RECT b = box().GetPosition();
    EXPECT_EQ(shot.pixel(b.left + 10, b.top + 1), qRgb(0, 128, 0)); // clear of handles and text
    // Nothing selected: the picker is off and the box keeps its colour.
    const RECT p = previewRect();
    click(POINT{p.left + 3, p.top + 3});
    EXPECT_FALSE(picker->isEnabled());
}

TEST_F(SettingsPage, RotationButtonsTurnThePictureAndReportIt)
{
    QSignalSpy turned(&page, &CSettingsPage::rotationChanged);
    // Without a picture of the list there is nothing to turn.
    control<QRadioButton>("rotate90")->click();
    EXPECT_EQ(turned.count(), 0);
    EXPECT_TRUE(control<QRadioButton>("rotate0")->isChecked());

    const QString path = files.Write("turn.bmp", 300, 200);
    show(path);
    control<QRadioButton>("rotate90")->click();
    ASSERT_EQ(turned.count(), 1);
    EXPECT_EQ(turned.takeFirst().at(0).toInt(), 90);
    EXPECT_EQ(preview->PictureSize(), QSize(200, 300));
    // Bottom-right box keeps its distance from the turned picture's corner.
    CaptionSettings c = box().GetCaption();
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {110, 50, 10, 10};
    page.SetCaption(c);
    grabPreview();
    const RECT i = pictureRect();
    EXPECT_EQ(box().GetPosition(), (RECT{i.right - 110, i.bottom - 50, i.right - 10, i.bottom - 10}));

    // The list answering with the same file and the new rotation decodes nothing again.
    const int decoded = decodes.count();
    page.ShowImage(path, 90, 0, 1);
    page.ShowImage(path, 180, 0, 1);
    page.WaitForPicture();
    EXPECT_EQ(decodes.count(), decoded);
    EXPECT_TRUE(control<QRadioButton>("rotate180")->isChecked());
    EXPECT_EQ(preview->PictureSize(), QSize(300, 200));
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
    QPushButton *prevButton = control<QPushButton>("previous");
    QPushButton *nextButton = control<QPushButton>("next");

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
    EXPECT_EQ(preview->PictureSize(), QSize(100, 40));
    nextButton->click();
    EXPECT_EQ(next.count(), 3);
    EXPECT_EQ(list.row, 2);
    prevButton->click();
    EXPECT_EQ(list.row, 1);
    EXPECT_EQ(preview->PictureSize(), QSize(80, 40));
}

TEST_F(SettingsPage, BrokenOrMissingPictureShowsATextAndNoBox)
{
    show(files.Write("good.bmp", 300, 200));
    QSignalSpy view(&page, &CSettingsPage::viewRequested);
    control<QPushButton>("view")->click();
    EXPECT_EQ(view.count(), 1);

    show(files.WriteGarbage("broken.jpg"));
    EXPECT_FALSE(preview->HasPicture());
    EXPECT_FALSE(lastDecode().error.isEmpty());
    EXPECT_TRUE(control<QLineEdit>("resolution")->text().isEmpty());
    EXPECT_FLOAT_EQ(preview->Geometry().scale, 1.0f);
    control<QPushButton>("view")->click();
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
    EXPECT_EQ(preview->PictureSize(), QSize(120, 80));

    show(files.Path("gone.png"));
    EXPECT_FALSE(preview->HasPicture());
    EXPECT_TRUE(lastDecode().error.contains(QStringLiteral("missing")));
    // No row any more: nothing shown, nothing to turn.
    page.ShowImage(QString(), 0, -1, 0);
    EXPECT_TRUE(page.CurrentPath().isEmpty());
    EXPECT_TRUE(page.ExportCaption().has_value());
}

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

// The pointer over a box that is not selected outlines it; leaving the
// preview takes the outline away.
TEST_F(SettingsPage, HoverOutlinesAnUnselectedBox)
{
    show(files.Write("hover.bmp", 300, 200));
    const RECT p = previewRect();
    click(POINT{p.left + 3, p.top + 3});
    const RECT b = box().GetPosition();
    const QRgb outline = qRgb(0x77, 0x98, 0xEA); // COLORREF 0xEA9877
    EXPECT_NE(grabPreview().pixel(b.left, (b.top + b.bottom) / 2), outline);
    QTest::mouseMove(preview, qp(center(b)));
    EXPECT_EQ(grabPreview().pixel(b.left, (b.top + b.bottom) / 2), outline);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(preview, &leave);
    EXPECT_NE(grabPreview().pixel(b.left, (b.top + b.bottom) / 2), outline);
    QTest::mouseMove(preview, qp(center(b)));
    // Selected boxes show handles instead.
    click(center(b));
    QTest::mouseMove(preview, QPoint(center(b).x + 1, center(b).y));
    EXPECT_NE(grabPreview().pixel(b.left, (b.top + b.bottom) / 2 + 8), outline);
}

// The preview holds a reduced picture no larger than it shows, and decodes
// it again larger once when the page grows, not on every resize.
TEST_F(SettingsPage, ReducedPictureIsDecodedAgainWhenThePreviewGrows)
{
    page.resize(700, 500);
    show(files.Write("grow.jpg", 2000, 1000));
    const auto shownWidth = [this] { return pictureRect().right - pictureRect().left; };
    EXPECT_LE(lastDecode().image.width(), 1000);
    EXPECT_GE(lastDecode().image.width(), shownWidth() - 1);
    page.resize(1600, 1000);
    page.WaitForPicture();
    ASSERT_EQ(decodes.count(), 2);
    EXPECT_GE(lastDecode().image.width(), shownWidth() - 1);
    EXPECT_GT(lastDecode().image.width(), 1000 * 700 / 2000);
    page.resize(1601, 1000);
    page.resize(1600, 1000);
    page.WaitForPicture();
    EXPECT_EQ(decodes.count(), 2);
    EXPECT_EQ(preview->PictureSize(), QSize(2000, 1000));
}

// A quarter-turned picture is decoded for the turned fit: a tall picture in
// a wide preview needs far fewer pixels across than the same picture unturned.
TEST_F(SettingsPage, TurnedPictureIsDecodedAtTheTurnedFit)
{
    show(files.Write("tall.bmp", 1600, 1200), 90);
    const RECT p = previewRect();
    const QSize need = QSize(p.right - p.left - 2, p.bottom - p.top - 2) * 5 / 4;
    ASSERT_LT(need.height(), 1600); // larger than the preview: reduced
    const QSize turnedFit = QSize(1200, 1600).scaled(need, Qt::KeepAspectRatio);
    EXPECT_EQ(lastDecode().image.size(), turnedFit.transposed());
    EXPECT_EQ(preview->PictureSize(), QSize(1200, 1600));
    const RECT i = pictureRect();
    EXPECT_LE(i.bottom - i.top, turnedFit.height());
}

// The preview shows what the export writes: upright as the camera held the
// picture, the "Resolution" text giving the upright size; with the export's
// switch off, the stored pixels.
TEST_F(SettingsPage, CameraTurnedPicturesAreShownUprightUnlessSwitchedOff)
{
    const auto rgbOf = [](const QImage &image) {
        Rgb8 out{image.width(), image.height(), {}};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                out.rgb.insert(out.rgb.end(),
                               {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c))});
            }
        return out;
    };
    for (int o = 1; o <= 8; ++o) {
        const QString path = files.Path(QStringLiteral("tag%1.jpg").arg(o));
        ASSERT_TRUE(writeOrientedJpeg(path.toStdString(), 800, 600, o));
        show(path);
        const bool sideways = o >= 5;
        EXPECT_EQ(preview->PictureSize(), sideways ? QSize(600, 800) : QSize(800, 600)) << o;
        EXPECT_EQ(markedCorner(rgbOf(lastDecode().image)), uprightCorner(o)) << o;
        EXPECT_EQ(control<QLineEdit>("resolution")->text(),
                  sideways ? QStringLiteral("600x800x16M") : QStringLiteral("800x600x16M"));
    }
    // The user's turn on top of the camera's: tag 6 turned a quarter left is the stored picture.
    show(files.Path(QStringLiteral("tag6.jpg")), -90);
    EXPECT_EQ(preview->PictureSize(), QSize(800, 600));
    page.SetUpright(false);
    page.WaitForPicture();
    EXPECT_EQ(preview->PictureSize(), QSize(600, 800));
    EXPECT_EQ(markedCorner(rgbOf(lastDecode().image)), "top-left");
}

} // namespace

// The box a 12-megapixel picture made of the old 300 x 40 box: 31 x 4 on the
// screen. A press on the corner handle as drawn takes it and the drag resizes.
TEST_F(SettingsPage, TinyBoxOnScreenStillResizesFromItsHandle)
{
    show(files.Write("tiny.jpg", 1600, 1200));
    const PreviewGeometry view = preview->Geometry();
    const RECT i = pictureRect();
    box().Place(RECT{i.left + 50, i.top + 50, i.left + 81, i.top + 54}, &view);
    ASSERT_EQ(box().GetPosition(), (RECT{i.left + 50, i.top + 50, i.left + 81, i.top + 54}));
    // The last pixel of the bottom-right handle's drawn square, down and right.
    drag(POINT{i.left + 84, i.top + 57}, POINT{i.left + 124, i.top + 77});
    EXPECT_TRUE(preview->IsSelected(&box()));
    EXPECT_EQ(box().GetPosition(), (RECT{i.left + 50, i.top + 50, i.left + 124, i.top + 77}));
}

TEST_F(SettingsPage, FieldsMoveTheBoxInPixelsOrPerCentAndFollowADrag)
{
    show(files.Write("fields.bmp", 400, 300));
    auto *x = control<QDoubleSpinBox>("boxX");
    auto *width = control<QDoubleSpinBox>("boxWidth");
    auto *y = control<QDoubleSpinBox>("boxY");
    page.SetCaption([&] {
        CaptionSettings c = box().GetCaption();
        c.offsets = {20, 30, 120, 70};
        return c;
    }());
    x->setValue(50);
    EXPECT_EQ(box().GetOffsets(), (CaptionOffsets{50, 30, 150, 70})); // the width is kept
    EXPECT_EQ(box().GetPosition().left, pictureRect().left + 50);
    control<QComboBox>("unit")->setCurrentIndex(1);
    EXPECT_DOUBLE_EQ(width->value(), 25); // 100 of 400 pixels
    y->setValue(50);
    EXPECT_EQ(box().GetOffsets(), (CaptionOffsets{50, 150, 150, 190}));
    control<QComboBox>("unit")->setCurrentIndex(0);
    const POINT c = center(box().GetPosition());
    drag(c, POINT{c.x + 10, c.y - 20});
    EXPECT_DOUBLE_EQ(x->value(), 60);
    EXPECT_DOUBLE_EQ(y->value(), 130);
    // From a right anchor X is the distance of the right edges.
    auto *anchor = control<QComboBox>("anchor");
    anchor->setCurrentIndex(CaptionAnchor::TopRight);
    emit anchor->activated(CaptionAnchor::TopRight);
    EXPECT_DOUBLE_EQ(x->value(), 400 - 160);
    control<QPushButton>("centre")->click();
    EXPECT_EQ(box().GetOffsets(), (CaptionOffsets{250, 130, 150, 170}));
}

TEST_F(SettingsPage, UndoAndRedoATypedWordADragAndAStyle)
{
    show(files.Write("undo.bmp", 400, 300));
    EXPECT_TRUE(box().GetStyle().wordWrap); // a box made on the page wraps
    auto *text = control<QPlainTextEdit>("text");
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, "abc");
    EXPECT_EQ(box().GetText(), kDefaultCaptionText + "abc");
    const CaptionOffsets before = box().GetOffsets();
    const RECT shown = box().GetPosition();
    const POINT c = center(shown);
    drag(c, POINT{c.x + 30, c.y + 20});
    control<QCheckBox>("wordWrap")->click();
    EXPECT_FALSE(box().GetStyle().wordWrap);
    // Ctrl+Z in the text field undoes the page's steps, not the field's own.
    QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(box().GetStyle().wordWrap);
    EXPECT_TRUE(control<QCheckBox>("wordWrap")->isChecked());
    EXPECT_TRUE(page.Undo());
    EXPECT_EQ(box().GetOffsets(), before); // the whole drag was one step
    EXPECT_EQ(box().GetPosition(), shown);
    EXPECT_TRUE(page.Undo());
    EXPECT_EQ(box().GetText(), kDefaultCaptionText); // the typing was one step
    EXPECT_EQ(text->toPlainText(), kDefaultCaptionText);
    EXPECT_FALSE(page.Undo());
    QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box().GetText(), kDefaultCaptionText + "abc");
    QTest::keyClick(text, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(box().GetOffsets().left, before.left + 30);
}

TEST_F(SettingsPage, SizeWithThePictureKeepsTheBoxThenFollowsEachPicture)
{
    show(files.Write("small.bmp", 400, 300));
    const RECT shown = box().GetPosition();
    control<QCheckBox>("sizeWithPicture")->click();
    EXPECT_FLOAT_EQ(box().GetStyle().referenceSide, 300);
    grabPreview();
    EXPECT_EQ(box().GetPosition(), shown);
    // A new box on this picture: a fifth of its width, two lines high.
    control<QPushButton>("resetBox")->click();
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>("boxWidth")->value(), 80);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>("boxHeight")->value(), 65);
    const CaptionOffsets design = box().GetOffsets();
    // On a picture of half the size (still shown at scale 1) everything halves.
    show(files.Write("half.bmp", 200, 150));
    EXPECT_EQ(box().GetOffsets(), design);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>("boxWidth")->value(), 40);
    grabPreview();
    const RECT half = box().GetPosition();
    EXPECT_NEAR(half.right - half.left, 40, 1);
    // Dragging there keeps the offsets in design pixels: 10 shown are 20
    // designed (give or take the shown box's rounding).
    const POINT c = center(half);
    drag(c, POINT{c.x + 10, c.y});
    EXPECT_NEAR(box().GetOffsets().left, design.left + 20, 1.0);
    // Off: the design becomes this picture's pixels, the box stays put.
    const RECT moved = box().GetPosition();
    control<QCheckBox>("sizeWithPicture")->click();
    EXPECT_FLOAT_EQ(box().GetStyle().referenceSide, 0);
    grabPreview();
    EXPECT_EQ(box().GetPosition(), moved);
}
