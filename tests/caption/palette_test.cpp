// tests/caption/palette_test.cpp
// The colour palette: its table, keyboard walk, geometry and placement, and
// the picker and palette window driven by keys and the mouse.
#include "caption/caption_settings.h"
#include "caption/color_picker.h"
#include "caption/palette_drop_down.h"
#include "caption/palette_model.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int D = PaletteEntry::Default;
constexpr int C = PaletteEntry::Custom;

TEST(PaletteModel, TableHoldsTheNamedColoursInGridOrder)
{
    EXPECT_STREQ(kPaletteColors[0].name, "Black");
    EXPECT_EQ(kPaletteColors[1].color, RGB(165, 42, 0));
    EXPECT_STREQ(kPaletteColors[9].name, "Orange");
    EXPECT_EQ(kPaletteColors[9].color, RGB(255, 104, 32));
    EXPECT_STREQ(kPaletteColors[35].name, "Pale green ");
    EXPECT_EQ(kPaletteColors[37].color, RGB(104, 131, 139));
    EXPECT_STREQ(kPaletteColors[39].name, "White");
}

TEST(PaletteModel, KeyboardWalkWithBothButtons)
{
    const PaletteNavigator nav(true, true);
    // Down: None button -> first cell -> rows -> past the last row to Custom -> None.
    EXPECT_EQ(nav.Down(D), 0);
    EXPECT_EQ(nav.Down(3), 13);
    EXPECT_EQ(nav.Down(33), C);
    EXPECT_EQ(nav.Down(C), D);
    // Up: the reverse, but Custom goes to the last cell.
    EXPECT_EQ(nav.Up(D), C);
    EXPECT_EQ(nav.Up(C), 39);
    EXPECT_EQ(nav.Up(13), 3);
    EXPECT_EQ(nav.Up(3), D);
    // Right wraps into the next row and past the last cell to Custom.
    EXPECT_EQ(nav.Right(D), 0);
    EXPECT_EQ(nav.Right(9), 10);
    EXPECT_EQ(nav.Right(39), C);
    EXPECT_EQ(nav.Right(C), D);
    // Left wraps back and before the first cell to None.
    EXPECT_EQ(nav.Left(10), 9);
    EXPECT_EQ(nav.Left(0), D);
    EXPECT_EQ(nav.Left(D), C);
    EXPECT_EQ(nav.Left(C), 39);
    // From no entry at all the walk starts at an end of the grid.
    EXPECT_EQ(nav.Down(PaletteEntry::None), 0);
    EXPECT_EQ(nav.Left(PaletteEntry::None), 39);
}

TEST(PaletteModel, KeyboardWalkWithoutButtons)
{
    const PaletteNavigator noDefault(false, true);
    EXPECT_EQ(noDefault.Down(C), 0);
    EXPECT_EQ(noDefault.Up(5), C);
    EXPECT_EQ(noDefault.Left(0), C);
    EXPECT_EQ(noDefault.Right(C), 0);
    const PaletteNavigator none(false, false);
    EXPECT_EQ(none.Down(35), 0);
    EXPECT_EQ(none.Up(5), 39);
    EXPECT_EQ(none.Right(39), 0);
    EXPECT_EQ(none.Left(0), 39);
}

TEST(PaletteModel, ChosenEntryForTheOpeningColour)
{
    const PaletteNavigator nav(true, true);
    EXPECT_EQ(nav.ChosenEntry(kNoBackColor), D);
    EXPECT_EQ(nav.ChosenEntry(RGB(255, 0, 0)), 16);
    EXPECT_EQ(nav.ChosenEntry(RGB(1, 2, 3)), C);
    EXPECT_EQ(PaletteNavigator(false, false).ChosenEntry(RGB(1, 2, 3)), PaletteEntry::None);
    EXPECT_EQ(PaletteNavigator(false, true).ChosenEntry(kNoBackColor), C);
}

TEST(PaletteModel, GeometryStacksNoneGridAndCustom)
{
    const int m = 2;
    const PaletteGeometry g(QSize(70, 14), m, true, true);
    const QRect none = g.DefaultButton(), custom = g.CustomButton();
    EXPECT_EQ(none.top(), m);
    EXPECT_EQ(g.Cell(0).topLeft(), QPoint(m, none.height() + 2 * m));
    EXPECT_EQ(g.Cell(11).topLeft(), g.Cell(0).topLeft() + QPoint(18, 18));
    EXPECT_GT(custom.top(), g.Cell(39).bottom());
    EXPECT_EQ(g.WindowSize().width(), 10 * 18 + 2 * m);
    EXPECT_GE(g.WindowSize().height(), custom.bottom() + 1);
    EXPECT_EQ(g.EntryAt(g.Cell(27).center()), 27);
    EXPECT_EQ(g.EntryAt(none.center()), D);
    EXPECT_EQ(g.EntryAt(custom.center()), C);
    // A wide text widens the window and both buttons with it.
    const PaletteGeometry wide(QSize(300, 14), m, true, true);
    EXPECT_EQ(wide.WindowSize().width(), 300 + 2 * m);
    EXPECT_EQ(wide.DefaultButton().width(), 300);
}

TEST(PaletteModel, PlacementStaysOnTheScreen)
{
    const QRect screen(0, 0, 1024, 768);
    const QSize window(184, 150);
    EXPECT_EQ(PlacePalette(window, QRect(100, 100, 80, 24), screen), QPoint(100, 124));
    // Near the bottom it opens above the button.
    EXPECT_EQ(PlacePalette(window, QRect(100, 700, 80, 24), screen), QPoint(100, 724 - 24 - 150));
    // Near the right edge it moves left, past the left edge right.
    EXPECT_EQ(PlacePalette(window, QRect(1000, 100, 24, 24), screen).x(), 1024 - 184);
    EXPECT_EQ(PlacePalette(window, QRect(-30, 100, 24, 24), screen).x(), 0);
}

class PickerWidget : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        picker.resize(140, 30);
        picker.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    }
    void TearDown() override { CPaletteDropDown::SetColorDialogHandler({}); }

    CPaletteDropDown *open()
    {
        picker.click();
        CPaletteDropDown *down = dropDown();
        EXPECT_NE(down, nullptr);
        return down;
    }
    // The open palette, a child of the picker while it is open.
    CPaletteDropDown *dropDown() { return picker.findChild<CPaletteDropDown *>(); }
    void key(CPaletteDropDown *down, Qt::Key k) { QTest::keyClick(down, k); }
    void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    CColorPicker picker{QStringLiteral("Back Color")};
};

TEST_F(PickerWidget, KeysWalkAndReturnChooses)
{
    picker.SetColor(RGB(255, 0, 0)); // "Red", cell 16
    QSignalSpy dropped(&picker, &CColorPicker::dropDown);
    QSignalSpy changes(&picker, &CColorPicker::selChange);
    QSignalSpy ok(&picker, &CColorPicker::selEndOk);
    QSignalSpy closed(&picker, &CColorPicker::closeUp);
    CPaletteDropDown *down = open();
    EXPECT_EQ(dropped.count(), 1);
    EXPECT_EQ(down->ChosenEntry(), 16);
    key(down, Qt::Key_Right); // from nothing to the first cell
    key(down, Qt::Key_Down);
    key(down, Qt::Key_Right);
    EXPECT_EQ(down->CurrentEntry(), 11);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(changes.last().at(0).value<COLORREF>(), RGB(0, 147, 0));
    // Without tracking the picker keeps its colour until the choice ends.
    EXPECT_EQ(picker.GetColor(), RGB(255, 0, 0));
    key(down, Qt::Key_Return);
    settle();
    ASSERT_EQ(ok.count(), 1);
    EXPECT_EQ(ok.first().at(0).value<COLORREF>(), RGB(0, 147, 0));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(picker.GetColor(), RGB(0, 147, 0));
    EXPECT_EQ(dropDown(), nullptr);
}

TEST_F(PickerWidget, NoneGivesNoColourAndEscapeKeepsTheOldOne)
{
    picker.SetColor(RGB(0, 0, 255));
    QSignalSpy ok(&picker, &CColorPicker::selEndOk);
    QSignalSpy cancel(&picker, &CColorPicker::selEndCancel);
    CPaletteDropDown *down = open();
    key(down, Qt::Key_Down); // first cell
    key(down, Qt::Key_Up);   // above row 0: "None"
    EXPECT_EQ(down->CurrentEntry(), D);
    key(down, Qt::Key_Space);
    settle();
    ASSERT_EQ(ok.count(), 1);
    EXPECT_EQ(picker.GetColor(), kNoBackColor);

    down = open();
    EXPECT_EQ(down->ChosenEntry(), D);
    for (int i = 0; i < 5; ++i)
        key(down, Qt::Key_Right);
    key(down, Qt::Key_Escape);
    settle();
    ASSERT_EQ(cancel.count(), 1);
    EXPECT_EQ(cancel.first().at(0).value<COLORREF>(), kNoBackColor);
    EXPECT_EQ(picker.GetColor(), kNoBackColor);
}

TEST_F(PickerWidget, CustomAsksTheColourDialog)
{
    picker.SetColor(RGB(1, 2, 3));
    COLORREF asked = 0;
    CPaletteDropDown::SetColorDialogHandler([&asked](COLORREF initial, QWidget *) {
        asked = initial;
        return std::optional<COLORREF>(RGB(10, 20, 30));
    });
    QSignalSpy ok(&picker, &CColorPicker::selEndOk);
    QSignalSpy cancel(&picker, &CColorPicker::selEndCancel);
    CPaletteDropDown *down = open();
    EXPECT_EQ(down->ChosenEntry(), C); // not in the table
    key(down, Qt::Key_Up);             // from nothing to the last cell
    key(down, Qt::Key_Right);          // past it: "Custmize..."
    EXPECT_EQ(down->CurrentEntry(), C);
    key(down, Qt::Key_Return);
    settle();
    EXPECT_EQ(asked, RGB(1, 2, 3));
    ASSERT_EQ(ok.count(), 1);
    EXPECT_EQ(picker.GetColor(), RGB(10, 20, 30));

    // Cancelling the colour dialog cancels the choice with the initial colour.
    CPaletteDropDown::SetColorDialogHandler([](COLORREF, QWidget *) { return std::optional<COLORREF>(); });
    down = open();
    key(down, Qt::Key_Left); // from nothing to the last cell
    key(down, Qt::Key_Right);
    key(down, Qt::Key_Return);
    settle();
    EXPECT_EQ(ok.count(), 1);
    ASSERT_EQ(cancel.count(), 1);
    EXPECT_EQ(picker.GetColor(), RGB(10, 20, 30));
}

TEST_F(PickerWidget, MouseHoverAndReleaseChooseACell)
{
    picker.SetColor(kNoBackColor);
    picker.SetTrackSelection(true);
    QSignalSpy ok(&picker, &CColorPicker::selEndOk);
    CPaletteDropDown *down = open();
    const QPoint cell = down->Geometry().Cell(26).center(); // "Yellow"
    QTest::mouseMove(down, cell);
    EXPECT_EQ(down->CurrentEntry(), 26);
    EXPECT_EQ(picker.GetColor(), RGB(255, 255, 0)); // tracking
    QTest::mouseRelease(down, Qt::LeftButton, {}, cell);
    settle();
    ASSERT_EQ(ok.count(), 1);
    EXPECT_EQ(picker.GetColor(), RGB(255, 255, 0));
}

TEST_F(PickerWidget, TextModeKeepsTheColourApart)
{
    picker.SetColorMode(CColorPicker::ColorMode::Text);
    picker.SetColor(RGB(9, 9, 9));
    EXPECT_EQ(picker.GetColor(), RGB(9, 9, 9));
    picker.SetColorMode(CColorPicker::ColorMode::Background);
    EXPECT_NE(picker.GetColor(), RGB(9, 9, 9));
}

} // namespace

namespace {

TEST_F(PickerWidget, LosingActivationCancels)
{
    picker.SetColor(RGB(0, 0, 139));
    QSignalSpy cancel(&picker, &CColorPicker::selEndCancel);
    CPaletteDropDown *down = open();
    key(down, Qt::Key_Right);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    settle();
    ASSERT_EQ(cancel.count(), 1);
    EXPECT_EQ(picker.GetColor(), RGB(0, 0, 139));
    EXPECT_EQ(dropDown(), nullptr);
}

} // namespace

namespace {

// A click elsewhere closes a popup from outside: that is a cancel too.
TEST_F(PickerWidget, ClosedFromOutsideCancels)
{
    picker.SetColor(RGB(255, 215, 0));
    QSignalSpy ok(&picker, &CColorPicker::selEndOk);
    QSignalSpy cancel(&picker, &CColorPicker::selEndCancel);
    CPaletteDropDown *down = open();
    EXPECT_EQ(down->ChosenEntry(), 25); // "Gold"
    key(down, Qt::Key_Down);
    down->close();
    settle();
    EXPECT_EQ(ok.count(), 0);
    ASSERT_EQ(cancel.count(), 1);
    EXPECT_EQ(picker.GetColor(), RGB(255, 215, 0));
    EXPECT_EQ(dropDown(), nullptr);
}

} // namespace
