// tests/caption/caption_design_editor_test.cpp
// The caption design as one value: every kind of control on the Batch
// Settings page changes it through the editor as one undo step, filling the
// controls changes nothing, and undo brings back every field to the value,
// the box and the controls.
#include "caption/caption_design_editor.h"
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/font_color_dialog.h"
#include "caption/preview_view.h"
#include "caption/settings_page.h"
#include "platform/font_map.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// Every field away from its default and from the page's start.
CaptionSettings everyFieldSet()
{
    CaptionSettings c;
    c.text = QStringLiteral("Every\r\nfield");
    SetLogFontFaceName(c.font, QStringLiteral("DejaVu Serif"));
    c.font.lfHeight = -31;
    c.font.lfWeight = 700;
    c.font.lfItalic = 1;
    c.backColor = RGB(10, 20, 30);
    c.textColor = RGB(40, 50, 60);
    c.align = CaptionAlign::Right;
    c.anchor = CaptionAnchor::BottomLeft;
    c.offsets = {12.5f, 90.25f, 212.75f, 30.5f};
    c.style.referenceSide = 480;
    c.style.wordWrap = false;
    c.style.fitToBox = true;
    c.style.padding = 4.25f; // the spin boxes show one decimal: a fill must not round it

    c.style.effect = CaptionEffect::Shadow;
    c.style.effectColor = RGB(70, 80, 90);
    c.style.effectSize = 3.75f;
    c.style.backOpacity = 60;
    c.style.logoPath = QStringLiteral("/nowhere/logo.png");
    c.style.logoOpacity = 35;
    return c;
}

// Every field of b again different from a.
CaptionSettings everyFieldOtherwise()
{
    CaptionSettings c = everyFieldSet();
    c.text = QStringLiteral("Other");
    c.font.lfHeight = -17;
    c.font.lfWeight = 400;
    c.backColor = RGB(1, 2, 3);
    c.textColor = RGB(4, 5, 6);
    c.align = CaptionAlign::Left;
    c.anchor = CaptionAnchor::TopRight;
    c.offsets = {300, 10, 100, 50};
    c.style = CaptionStyle();
    return c;
}

void expectSameDesign(const CaptionSettings &a, const CaptionSettings &b, const char *where)
{
    EXPECT_EQ(a.text.toStdString(), b.text.toStdString()) << where;
    EXPECT_EQ(std::memcmp(&a.font, &b.font, sizeof(LOGFONT)), 0) << where;
    EXPECT_EQ(a.backColor, b.backColor) << where;
    EXPECT_EQ(a.textColor, b.textColor) << where;
    EXPECT_EQ(a.align, b.align) << where;
    EXPECT_EQ(a.anchor, b.anchor) << where;
    EXPECT_EQ(a.offsets, b.offsets) << where;
    EXPECT_TRUE(a.style == b.style) << where;
}

class DesignEditor : public ::testing::Test
{
  public:
    void SetUp() override
    {
        page.resize(900, 600);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override { CFontColorDialog::SetHandler({}); }

    template <class T> T *control(const char *name)
    {
        T *found = page.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }
    CaptionSettings design() const { return *page.ExportCaption(); }
    CaptionSettings onTheBox() const
    {
        return page.findChild<CPreviewView *>(QStringLiteral("preview"))->CaptionBox()->GetCaption();
    }

    CSettingsPage page;
    CCaptionDesignEditor *editor = page.findChild<CCaptionDesignEditor *>(QStringLiteral("designEditor"));
    QSignalSpy applied{editor, &CCaptionDesignEditor::designApplied};
};

struct ControlCase
{
    const char *control;
    int edits; // designs applied: typing two letters is two edits run into one step
    std::function<void(DesignEditor &)> act;
    std::function<bool(const CaptionSettings &before, const CaptionSettings &after)> changed;
};

void PrintTo(const ControlCase &c, std::ostream *os)
{
    *os << c.control;
}

class EachControl : public DesignEditor, public ::testing::WithParamInterface<ControlCase>
{
};

TEST_P(EachControl, EditsTheDesignThroughTheEditorAsOneStep)
{
    const ControlCase &c = GetParam();
    const CaptionSettings before = design();
    applied.clear();
    c.act(*this);
    EXPECT_EQ(applied.count(), c.edits);
    const CaptionSettings after = design();
    EXPECT_TRUE(c.changed(before, after));
    expectSameDesign(onTheBox(), after, "the box shows the design");
    EXPECT_TRUE(page.Undo());
    expectSameDesign(design(), before, "undone");
    expectSameDesign(onTheBox(), before, "the box undone");
    EXPECT_FALSE(page.Undo()) << "more than one step";
    EXPECT_TRUE(page.Redo());
    expectSameDesign(design(), after, "redone");
}

const ControlCase kControls[] = {
    {"text", 2,
     [](DesignEditor &t) {
         auto *text = t.control<QPlainTextEdit>("text");
         text->setFocus();
         text->moveCursor(QTextCursor::End);
         QTest::keyClicks(text, "ab");
     },
     [](const CaptionSettings &b, const CaptionSettings &a) { return a.text == b.text + "ab"; }},
    {"font", 1,
     [](DesignEditor &t) {
         CFontColorDialog::SetHandler([](const LOGFONT &, COLORREF, QWidget *) {
             FontChoice choice;
             SetLogFontFaceName(choice.font, QStringLiteral("DejaVu Serif"));
             choice.font.lfHeight = -40;
             choice.color = RGB(200, 10, 20);
             return std::optional<FontChoice>(choice);
         });
         t.control<QPushButton>("font")->click();
     },
     [](const CaptionSettings &, const CaptionSettings &a) {
         return a.font.lfHeight == -40 && a.textColor == RGB(200, 10, 20) &&
                LogFontFaceName(a.font) == QStringLiteral("DejaVu Serif");
     }},
    {"backColor", 1,
     [](DesignEditor &t) {
         auto *picker = t.control<CColorPicker>("backColor");
         picker->SetColor(RGB(0, 128, 0));
         emit picker->selEndOk(RGB(0, 128, 0));
     },
     [](const CaptionSettings &, const CaptionSettings &a) { return a.backColor == RGB(0, 128, 0); }},
    {"align", 1,
     [](DesignEditor &t) {
         auto *align = t.control<QComboBox>("align");
         align->setCurrentIndex(CaptionAlign::Left);
         emit align->activated(CaptionAlign::Left);
     },
     [](const CaptionSettings &, const CaptionSettings &a) { return a.align == CaptionAlign::Left; }},
    {"anchor", 1,
     [](DesignEditor &t) {
         auto *anchor = t.control<QComboBox>("anchor");
         anchor->setCurrentIndex(CaptionAnchor::BottomRight);
         emit anchor->activated(CaptionAnchor::BottomRight);
     },
     // Without a picture the offsets are measured from the preview's corner whatever the anchor.
     [](const CaptionSettings &, const CaptionSettings &a) {
         return a.anchor == CaptionAnchor::BottomRight;
     }},
    {"padding", 1, [](DesignEditor &t) { t.control<QDoubleSpinBox>("padding")->setValue(7.5); },
     [](const CaptionSettings &, const CaptionSettings &a) { return a.style.padding == 7.5f; }},
    {"effect", 1,
     [](DesignEditor &t) {
         auto *effect = t.control<QComboBox>("effect");
         effect->setCurrentIndex(int(CaptionEffect::Outline));
         emit effect->activated(int(CaptionEffect::Outline));
     },
     [](const CaptionSettings &, const CaptionSettings &a) {
         return a.style.effect == CaptionEffect::Outline;
     }},
    {"boxWidth", 1, [](DesignEditor &t) { t.control<QDoubleSpinBox>("boxWidth")->setValue(123); },
     [](const CaptionSettings &b, const CaptionSettings &a) {
         return a.offsets.right == a.offsets.left + 123 && a.offsets.left == b.offsets.left;
     }},
    {"centre", 1, [](DesignEditor &t) { t.control<QPushButton>("centre")->click(); },
     [](const CaptionSettings &b, const CaptionSettings &a) {
         return a.offsets.right - a.offsets.left == b.offsets.right - b.offsets.left &&
                a.offsets.left != b.offsets.left;
     }},
    {"setCaption", 1, [](DesignEditor &t) { t.page.SetCaption(everyFieldSet()); },
     [](const CaptionSettings &, const CaptionSettings &a) { return a.text == everyFieldSet().text; }},
};

INSTANTIATE_TEST_SUITE_P(Page, EachControl, ::testing::ValuesIn(kControls),
                         [](const ::testing::TestParamInfo<ControlCase> &info) {
                             return std::string(info.param.control);
                         });

// A field the copy between design, box and controls missed would come back
// from undo as the other design's.
TEST_F(DesignEditor, UndoAndRedoBringBackEveryFieldToTheBoxAndTheControls)
{
    const CaptionSettings first = everyFieldSet(), second = everyFieldOtherwise();
    page.SetCaption(first);
    page.SetCaption(second);
    expectSameDesign(design(), second, "set");
    ASSERT_TRUE(page.Undo());
    expectSameDesign(design(), first, "undone");
    expectSameDesign(onTheBox(), first, "the box undone");
    EXPECT_EQ(control<QPlainTextEdit>("text")->toPlainText(), QStringLiteral("Every\nfield"));
    EXPECT_EQ(control<CColorPicker>("backColor")->GetColor(), first.backColor);
    EXPECT_EQ(control<QComboBox>("align")->currentIndex(), first.align);
    EXPECT_EQ(control<QComboBox>("anchor")->currentIndex(), first.anchor);
    EXPECT_FALSE(control<QCheckBox>("wordWrap")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("fitToBox")->isChecked());
    EXPECT_NEAR(control<QDoubleSpinBox>("padding")->value(), 4.25, 0.051);
    EXPECT_EQ(control<QComboBox>("effect")->currentIndex(), int(CaptionEffect::Shadow));
    EXPECT_EQ(control<CColorPicker>("effectColor")->GetColor(), first.style.effectColor);
    EXPECT_NEAR(control<QDoubleSpinBox>("effectSize")->value(), 3.75, 0.051);
    EXPECT_EQ(control<QSpinBox>("backOpacity")->value(), 60);
    EXPECT_EQ(control<QSpinBox>("logoOpacity")->value(), 35);
    EXPECT_TRUE(control<QPushButton>("clearLogo")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("sizeWithPicture")->isChecked());
    ASSERT_TRUE(page.Redo());
    expectSameDesign(design(), second, "redone");
    expectSameDesign(onTheBox(), second, "the box redone");
    EXPECT_FALSE(control<QCheckBox>("sizeWithPicture")->isChecked());
    EXPECT_EQ(control<QComboBox>("align")->currentIndex(), second.align);
}

// Filling the controls sends no edit: undo, which fills every control with
// another design, leaves redo possible (an edit would have dropped it).
TEST_F(DesignEditor, FillingTheControlsIsNoEdit)
{
    page.SetCaption(everyFieldSet());
    page.SetCaption(everyFieldOtherwise());
    applied.clear();
    ASSERT_TRUE(page.Undo());
    EXPECT_EQ(applied.count(), 1);
    ASSERT_TRUE(page.Redo());
    ASSERT_TRUE(page.Undo());
    ASSERT_TRUE(page.Undo());
    EXPECT_EQ(applied.count(), 4);
    ASSERT_TRUE(page.Redo());
    ASSERT_TRUE(page.Redo());
    EXPECT_FALSE(page.Redo());
    expectSameDesign(design(), everyFieldOtherwise(), "after the fills");
}

// Nothing selected: the controls are off, and a change reaching the editor
// all the same (a program's setPlainText) changes no design.
TEST_F(DesignEditor, NoEditWhileTheCaptionBoxIsNotSelected)
{
    const CaptionSettings before = design();
    page.findChild<CPreviewView *>(QStringLiteral("preview"))->Select(nullptr, false);
    EXPECT_FALSE(control<QPlainTextEdit>("text")->isEnabled());
    control<QPlainTextEdit>("text")->setPlainText(QStringLiteral("lost"));
    EXPECT_EQ(design().text, before.text);
    EXPECT_FALSE(page.Undo());
}

// Choosing the corner the box already has changes nothing: measuring again
// from the screen position would round the offsets' fractions away.
TEST_F(DesignEditor, ChoosingTheSameCornerKeepsTheExactOffsets)
{
    CaptionSettings exact = design();
    exact.offsets = {10.25f, 20.5f, 210.75f, 60.25f};
    page.SetCaption(exact);
    auto *anchor = control<QComboBox>("anchor");
    emit anchor->activated(exact.anchor);
    EXPECT_EQ(design().offsets, exact.offsets);
    EXPECT_EQ(onTheBox().offsets, exact.offsets);
    ASSERT_TRUE(page.Undo());
    EXPECT_FALSE(page.Undo()) << "the same corner made a step";
}

} // namespace
