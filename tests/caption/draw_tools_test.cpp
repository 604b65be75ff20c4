// tests/caption/draw_tools_test.cpp
// The mouse tools driven through a page without a window.
#include "caption/caption_geometry.h"
#include "caption/pointer_tool.h"
#include "caption/text_box_tool.h"
#include "tests/caption/test_page.h"

#include <gtest/gtest.h>

namespace {

class DrawTools : public ::testing::Test
{
  protected:
    void SetUp() override { CBoxTool::State() = DrawToolState(); }

    TestPage page;
};

TEST_F(DrawTools, RegistryFindsBothToolsByKey)
{
    ASSERT_NE(FindTool(kPointerToolKey), nullptr);
    ASSERT_NE(FindTool(kTextBoxToolKey), nullptr);
    EXPECT_NE(dynamic_cast<CPointerTool *>(FindTool(0)), nullptr);
    EXPECT_NE(dynamic_cast<CTextBoxTool *>(FindTool(3)), nullptr);
    EXPECT_EQ(FindTool(1), nullptr);
}

TEST_F(DrawTools, StartCreatesOneSelectedBoxAndReturnsToThePointer)
{
    CDrawText *box = page.CreateCaptionBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(page.Objects().size(), 1u);
    EXPECT_EQ(box->GetPosition(), (RECT{40, 40, 340, 80}));
    EXPECT_EQ(box->GetAnchor(), CaptionAnchor::TopLeft);
    // No picture yet: distances from the preview area's corner at scale 1.
    EXPECT_EQ(box->GetOffsets(), (CaptionOffsets{30, 30, 330, 70}));
    EXPECT_TRUE(page.IsSelected(box));
    EXPECT_EQ(page.controlsEnabled, 1);
    EXPECT_EQ(page.shownInControls, box);
    EXPECT_EQ(CBoxTool::State().shapeKey, kPointerToolKey);
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::None);
    // A second start finds (40, 40) taken.
    EXPECT_EQ(page.CreateCaptionBox(), box); // the first object stays the caption box
    EXPECT_EQ(page.Objects().back()->GetPosition(), (RECT{50, 50, 350, 90}));
}

TEST_F(DrawTools, ClickWithoutDragMakesNoBox)
{
    CBoxTool::State().shapeKey = kTextBoxToolKey;
    page.Press(POINT{100, 100});
    EXPECT_EQ(page.Objects().size(), 1u);
    page.Release(POINT{100, 100});
    EXPECT_TRUE(page.Objects().empty());
    EXPECT_TRUE(page.Selection().empty());
    EXPECT_EQ(page.controlsEnabled, 0);
    EXPECT_EQ(CBoxTool::State().shapeKey, kPointerToolKey);
}

TEST_F(DrawTools, CreationDragMovesTheTopLeftCorner)
{
    CBoxTool::State().shapeKey = kTextBoxToolKey;
    page.Press(POINT{100, 100});
    page.Move(POINT{90, 95});
    EXPECT_EQ(page.cursor, Qt::CrossCursor);
    page.Release(POINT{90, 95});
    ASSERT_EQ(page.Objects().size(), 1u);
    EXPECT_EQ(page.Objects().front()->GetPosition(), (RECT{90, 95, 400, 140}));
}

TEST_F(DrawTools, PressInsideMovesTheBoxWithThePointer)
{
    page.ShowPicture(RECT{10, 10, 410, 310});
    CDrawText *box = page.CreateCaptionBox();
    page.Press(POINT{100, 60});
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::Move);
    // Several moves before any repaint: the box still follows the pointer.
    page.Move(POINT{105, 62});
    page.Move(POINT{115, 67});
    EXPECT_EQ(box->GetPosition(), (RECT{55, 47, 355, 87}));
    EXPECT_EQ(box->GetOffsets(), (CaptionOffsets{45, 37, 345, 77}));
    EXPECT_EQ(page.cursor, Qt::ArrowCursor);
    page.Release(POINT{115, 67});
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::None);
}

TEST_F(DrawTools, RightAndBottomAnchorsCountBackwards)
{
    page.ShowPicture(RECT{10, 10, 410, 310});
    CDrawText *box = page.CreateCaptionBox();
    box->SetAnchor(CaptionAnchor::BottomRight);
    box->Place(box->GetPosition(), &page.view);
    const CaptionOffsets before = box->GetOffsets();
    EXPECT_EQ(box->GetPosition(), (RECT{40, 40, 340, 80})); // re-expressed, not moved
    EXPECT_EQ(before, (CaptionOffsets{370, 270, 70, 230}));
    page.Press(POINT{100, 60});
    page.Move(POINT{110, 65});
    const CaptionOffsets after = box->GetOffsets();
    EXPECT_EQ(after.left, before.left - 10);
    EXPECT_EQ(after.right, before.right - 10);
    EXPECT_EQ(after.top, before.top - 5);
    EXPECT_EQ(after.bottom, before.bottom - 5);
}

TEST_F(DrawTools, OffsetsFollowTheDisplayScale)
{
    page.ShowPicture(RECT{1, 75, 499, 324}, 0.249f);
    CDrawText *box = page.CreateCaptionBox();
    box->SetAnchor(CaptionAnchor::BottomLeft);
    box->Place(RECT{51, 125, 126, 135}, &page.view);
    const CaptionOffsets o = box->GetOffsets();
    EXPECT_NEAR(o.left, 50 / 0.249f, 1e-3);
    EXPECT_NEAR(o.top, (324 - 125) / 0.249f, 1e-3);
    EXPECT_EQ(box->GetPosition(), (RECT{51, 125, 126, 135}));
}

TEST_F(DrawTools, PressNearAHandleResizesEvenOutsideTheBox)
{
    CDrawText *box = page.CreateCaptionBox(); // (40, 40, 340, 80)
    page.Press(POINT{342, 82});               // 2 right and below handle 5
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::Size);
    EXPECT_EQ(CBoxTool::State().dragHandle, 5);
    page.Move(POINT{400, 100});
    EXPECT_EQ(box->GetPosition(), (RECT{40, 40, 400, 100}));
    EXPECT_EQ(page.cursor, Qt::SizeFDiagCursor);
    page.Release(POINT{400, 100});
    page.Press(POINT{37, 57}); // left of the box, no handle within reach
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::None);
    EXPECT_TRUE(page.Selection().empty());
}

TEST_F(DrawTools, SideHandleDraggedPastTheOtherSideStaysInverted)
{
    CDrawText *box = page.CreateCaptionBox();
    page.Press(POINT{340, 60}); // handle 4
    page.Move(POINT{20, 60});
    page.Release(POINT{20, 60});
    EXPECT_EQ(box->GetPosition(), (RECT{40, 40, 20, 80}));
    EXPECT_EQ(box->GetOffsets().right, 10); // 20 - preview left 10
}

TEST_F(DrawTools, HoverOverAHandleShowsItsCursor)
{
    page.CreateCaptionBox();
    page.Move(POINT{190, 40}, 0); // handle 2 at (190, 40)
    EXPECT_EQ(page.cursor, Qt::SizeVerCursor);
    page.Move(POINT{100, 60}, 0);
    EXPECT_EQ(page.cursor, Qt::ArrowCursor);
}

TEST_F(DrawTools, EmptySpotDeselectsAndBoxReselects)
{
    CDrawText *box = page.CreateCaptionBox();
    page.Press(POINT{300, 300});
    page.Release(POINT{300, 300});
    EXPECT_TRUE(page.Selection().empty());
    EXPECT_EQ(page.controlsEnabled, 0);
    page.shownInControls = nullptr;
    page.Press(POINT{100, 60});
    EXPECT_TRUE(page.IsSelected(box));
    EXPECT_EQ(page.controlsEnabled, 1);
    EXPECT_EQ(page.shownInControls, box);
}

TEST_F(DrawTools, ShiftAddsToTheSelection)
{
    CDrawObj *first = page.AddObject(std::make_unique<CDrawText>(RECT{20, 20, 100, 50}, &page.view));
    CDrawObj *second = page.AddObject(std::make_unique<CDrawText>(RECT{20, 100, 100, 150}, &page.view));
    page.Press(POINT{30, 30});
    page.Release(POINT{30, 30});
    page.Press(POINT{30, 120}, MK_LBUTTON | MK_SHIFT);
    page.Release(POINT{30, 120});
    EXPECT_EQ(page.Selection(), (std::vector<CDrawObj *>{first, second}));
    // Moving drags both.
    page.Press(POINT{30, 120});
    page.Move(POINT{35, 121});
    EXPECT_EQ(first->GetPosition(), (RECT{25, 21, 105, 51}));
    EXPECT_EQ(second->GetPosition(), (RECT{25, 101, 105, 151}));
    page.Release(POINT{35, 121});
    // Without Shift a press on an unselected object replaces the selection.
    page.Press(POINT{300, 300});
    page.Press(POINT{30, 30});
    page.Press(POINT{30, 120});
    EXPECT_EQ(page.Selection(), (std::vector<CDrawObj *>{second}));
}

TEST_F(DrawTools, HandlesWorkOnlyForOneSelectedBoxUnderThePointerTool)
{
    CDrawObj *first = page.AddObject(std::make_unique<CDrawText>(RECT{20, 20, 100, 50}, &page.view));
    page.AddObject(std::make_unique<CDrawText>(RECT{20, 100, 100, 150}, &page.view));
    page.Press(POINT{30, 30});
    page.Release(POINT{30, 30});
    page.Press(POINT{30, 120}, MK_LBUTTON | MK_SHIFT);
    page.Release(POINT{30, 120});
    // Two selected: just outside the first box's corner is an empty spot.
    page.Move(POINT{101, 51}, 0);
    EXPECT_EQ(page.cursor, Qt::ArrowCursor);
    page.Press(POINT{101, 51});
    EXPECT_EQ(CBoxTool::State().dragMode, DragMode::None);
    EXPECT_TRUE(page.Selection().empty());
    page.Move(POINT{120, 70});
    page.Release(POINT{120, 70});
    EXPECT_EQ(first->GetPosition(), (RECT{20, 20, 100, 50}));
    // One selected: the same spot is its handle 5, but not while a new box is being drawn.
    page.Press(POINT{30, 30});
    page.Release(POINT{30, 30});
    CBoxTool::State().shapeKey = kTextBoxToolKey;
    page.Move(POINT{101, 51}, 0);
    EXPECT_EQ(page.cursor, Qt::CrossCursor);
    CBoxTool::State().shapeKey = kPointerToolKey;
    page.Move(POINT{101, 51}, 0);
    EXPECT_EQ(page.cursor, Qt::SizeFDiagCursor);
}

TEST_F(DrawTools, TopmostObjectWinsAndSelectionRepaintsWithHandleRoom)
{
    CDrawObj *lower = page.AddObject(std::make_unique<CDrawText>(RECT{20, 20, 100, 50}, &page.view));
    CDrawObj *upper = page.AddObject(std::make_unique<CDrawText>(RECT{60, 30, 140, 70}, &page.view));
    EXPECT_EQ(page.ObjectAt(POINT{70, 40}), upper);
    EXPECT_EQ(page.ObjectAt(POINT{30, 25}), lower);
    EXPECT_EQ(page.ObjectAt(POINT{100, 25}), nullptr);
    page.invalidated.clear();
    page.Select(upper, false);
    ASSERT_EQ(page.invalidated.size(), 1u);
    EXPECT_EQ(page.invalidated[0], (RECT{55, 24, 146, 75}));
    page.invalidated.clear();
    page.InvalidateObject(lower);
    EXPECT_EQ(page.invalidated[0], (RECT{19, 19, 101, 51}));
    // Taking an object out drops it from the selection too.
    EXPECT_NE(page.RemoveObject(upper), nullptr);
    EXPECT_TRUE(page.Selection().empty());
    EXPECT_EQ(page.RemoveObject(upper), nullptr);
    page.Select(nullptr, false);
    EXPECT_EQ(page.controlsEnabled, 0);
}

} // namespace
