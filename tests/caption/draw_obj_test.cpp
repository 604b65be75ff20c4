// tests/caption/draw_obj_test.cpp
#include "caption/draw_obj.h"
#include "caption/draw_text.h"
#include "platform/archive.h"
#include "tests/caption/test_page.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

TEST(DrawObj, CaptionBoxStartsWithItsDefaults)
{
    const CDrawText box(RECT{40, 40, 340, 80}, nullptr);
    EXPECT_FALSE(box.IsPenOn());
    EXPECT_FALSE(box.IsBrushOn());
    EXPECT_EQ(box.GetPen().lopnStyle, PS_NULL);
    EXPECT_EQ(box.GetBrush().lbColor, 0xC0C0C0u);
    EXPECT_EQ(box.GetShape(), DrawShape::Rectangle);
    EXPECT_EQ(box.GetRoundness(), (POINT{16, 16}));
    const CaptionSettings c = box.GetCaption();
    EXPECT_STREQ(c.font.lfFaceName, "Arial");
    EXPECT_EQ(c.font.lfHeight, -26);
    EXPECT_EQ(c.font.lfWeight, 400);
    EXPECT_EQ(c.font.lfQuality, 2);
    EXPECT_EQ(c.backColor, kNoBackColor);
    EXPECT_EQ(c.textColor, 0u);
    EXPECT_EQ(c.align, CaptionAlign::Middle);
    EXPECT_EQ(c.anchor, CaptionAnchor::TopLeft);
    EXPECT_FALSE(c.text.isEmpty());
    const CDrawObj plain(RECT{}, nullptr);
    EXPECT_TRUE(plain.IsPenOn());
    EXPECT_EQ(plain.GetPen().lopnStyle, PS_INSIDEFRAME);
}

TEST(DrawObj, HandlesGoClockwiseFromTopLeftWithHalvesTruncated)
{
    CDrawObj obj(RECT{10, 20, 111, 61}, nullptr);
    const POINT expected[8] = {{10, 20},  {60, 20}, {111, 20}, {111, 40},
                               {111, 61}, {60, 61}, {10, 61},  {10, 40}};
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(obj.HandlePoint(n), expected[n - 1]) << n;
    EXPECT_EQ(obj.HandlePoint(0), expected[0]);
    EXPECT_EQ(obj.HandlePoint(9), expected[0]);
    // Inverted: -91 / 2 is -45 (toward zero), not -46.
    obj.SetPosition(RECT{100, 0, 9, 0});
    EXPECT_EQ(obj.HandlePoint(2).x, 55);
}

TEST(DrawObj, HandleCursorsPairOppositeHandles)
{
    const CDrawObj obj(RECT{}, nullptr);
    EXPECT_EQ(obj.HandleCursor(1), Qt::SizeFDiagCursor);
    EXPECT_EQ(obj.HandleCursor(5), Qt::SizeFDiagCursor);
    EXPECT_EQ(obj.HandleCursor(2), Qt::SizeVerCursor);
    EXPECT_EQ(obj.HandleCursor(6), Qt::SizeVerCursor);
    EXPECT_EQ(obj.HandleCursor(3), Qt::SizeBDiagCursor);
    EXPECT_EQ(obj.HandleCursor(7), Qt::SizeBDiagCursor);
    EXPECT_EQ(obj.HandleCursor(4), Qt::SizeHorCursor);
    EXPECT_EQ(obj.HandleCursor(8), Qt::SizeHorCursor);
    EXPECT_EQ(obj.HandleCursor(42), Qt::SizeFDiagCursor);
}

TEST(DrawObj, HandleHitSquareIsTheDrawnSquareAndTheNearestHandleWins)
{
    const CDrawObj obj(RECT{100, 100, 200, 140}, nullptr);
    // Handle 5 at (200, 140): 3 pixels to every side, as drawn.
    EXPECT_EQ(obj.HitTest(POINT{197, 137}, nullptr, true), 5);
    EXPECT_EQ(obj.HitTest(POINT{203, 143}, nullptr, true), 5);
    EXPECT_EQ(obj.HitTest(POINT{204, 140}, nullptr, true), 0);
    EXPECT_EQ(obj.HitTest(POINT{150, 120}, nullptr, true), 0); // inside, but no handle
    EXPECT_EQ(obj.HitTest(POINT{150, 120}, nullptr, false), 1);
    EXPECT_EQ(obj.HitTest(POINT{200, 120}, nullptr, false), 0); // right edge is outside
    // A box 4 pixels high: the squares of 3, 4 and 5 overlap; the corner
    // pressed is the corner taken.
    const CDrawObj thin(RECT{100, 100, 131, 104}, nullptr);
    EXPECT_EQ(thin.HitTest(POINT{133, 105}, nullptr, true), 5);
    EXPECT_EQ(thin.HitTest(POINT{131, 99}, nullptr, true), 3);
    EXPECT_EQ(thin.HitTest(POINT{131, 102}, nullptr, true), 4);
    EXPECT_EQ(thin.HitTest(POINT{99, 102}, nullptr, true), 8);
    EXPECT_EQ(thin.HitTest(POINT{99, 103}, nullptr, true), 7); // as near to 7 as to 8: the lower number
}

TEST(DrawObj, DraggingASideHandlePastTheOtherSideInverts)
{
    CDrawObj obj(RECT{100, 100, 200, 140}, nullptr);
    obj.DragHandleTo(4, POINT{60, 999}, nullptr);
    EXPECT_EQ(obj.GetPosition(), (RECT{100, 100, 60, 140}));
    obj.DragHandleTo(2, POINT{-5, 150}, nullptr);
    EXPECT_EQ(obj.GetPosition(), (RECT{100, 150, 60, 140}));
    obj.DragHandleTo(7, POINT{1, 2}, nullptr);
    EXPECT_EQ(obj.GetPosition(), (RECT{1, 150, 60, 2}));
    obj.DragHandleTo(0, POINT{5, 6}, nullptr); // unknown handles act as handle 1
    EXPECT_EQ(obj.GetPosition(), (RECT{5, 6, 60, 2}));
    // Each handle moves its own edges and no other.
    const RECT start{100, 100, 200, 140};
    const RECT moved[8] = {{7, 9, 200, 140}, {100, 9, 200, 140}, {100, 9, 7, 140}, {100, 100, 7, 140},
                           {100, 100, 7, 9}, {100, 100, 200, 9}, {7, 100, 200, 9}, {7, 100, 200, 140}};
    for (int n = 1; n <= 8; ++n) {
        CDrawObj one(start, nullptr);
        one.DragHandleTo(n, POINT{7, 9}, nullptr);
        EXPECT_EQ(one.GetPosition(), moved[n - 1]) << "handle " << n;
    }
    EXPECT_TRUE(obj.IntersectsRect(RECT{0, 0, 10, 10}));
    EXPECT_FALSE(obj.IntersectsRect(RECT{61, 0, 70, 10}));
}

TEST(DrawObj, HandleCountFollowsTheShape)
{
    CDrawRect r(RECT{}, nullptr);
    EXPECT_EQ(r.HandleCount(), 8);
    r.SetShape(DrawShape::RoundRectangle);
    EXPECT_EQ(r.HandleCount(), 9);
    r.SetShape(DrawShape::Line);
    EXPECT_EQ(r.HandleCount(), 2);
}

TEST(DrawObj, PaintHandlesInvertsSevenPixelSquares)
{
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    const CDrawObj obj(RECT{10, 10, 50, 30}, nullptr);
    QPainter painter(&img);
    obj.PaintHandles(painter, TrackerState::Normal);
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 255, 255));
    obj.PaintHandles(painter, TrackerState::Selected);
    painter.end();
    EXPECT_EQ(img.pixel(7, 7), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(13, 13), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(14, 10), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(30, 30), qRgb(0, 0, 0)); // handle 6 at (30, 30)
    EXPECT_EQ(img.pixel(30, 20), qRgb(255, 255, 255));
    QPainter again(&img);
    obj.PaintHandles(again, TrackerState::Active);
    again.end();
    EXPECT_EQ(img.pixel(7, 7), qRgb(255, 255, 255)); // inverting twice restores
}

std::vector<std::uint8_t> streamOf(const CDrawObj &obj)
{
    ArchiveWriter out;
    obj.Serialize(out);
    return out.bytes();
}

TEST(DrawObj, StreamFormIsPositionPenBrushShapeRoundness)
{
    CDrawText box(RECT{1, -2, 0x01020304, 4}, nullptr);
    box.SetText("not in the stream");
    const std::vector<std::uint8_t> bytes = streamOf(box);
    ASSERT_EQ(bytes.size(), 16u + 2 + 16 + 2 + 12 + 2 + 8);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[4], 0xFE); // -2, little-endian
    EXPECT_EQ(bytes[8], 0x04);
    EXPECT_EQ(bytes[11], 0x01);
    EXPECT_EQ(bytes[16], 0); // pen off as a word
    EXPECT_EQ(bytes[18], PS_NULL);
    EXPECT_EQ(bytes[22], 1);    // pen width (1, 1)
    EXPECT_EQ(bytes[34], 0);    // brush off
    EXPECT_EQ(bytes[40], 0xC0); // brush colour
    EXPECT_EQ(bytes[48], 0);    // shape word
    EXPECT_EQ(bytes[50], 16);   // roundness x
}

TEST(DrawObj, StreamRoundTripsThroughTheClassName)
{
    // The pen and brush flags differ, so that each is read back from its own word.
    for (const bool penOn : {true, false}) {
        CDrawText box(RECT{5, 6, 7, 8}, nullptr);
        box.SetPenOn(penOn);
        box.SetBrushOn(!penOn);
        box.SetBrushColor(0x123456);
        box.SetOutlineColor(0x654321);
        box.SetShape(DrawShape::Ellipse);
        const std::vector<std::uint8_t> bytes = streamOf(box);
        std::unique_ptr<CDrawObj> back = CreateDrawObject(box.GetRuntimeClassName());
        ASSERT_TRUE(back);
        ArchiveReader in(bytes.data(), bytes.size());
        ASSERT_TRUE(back->Serialize(in));
        EXPECT_EQ(in.Remaining(), 0u);
        EXPECT_EQ(streamOf(*back), bytes);
        EXPECT_EQ(back->IsPenOn(), penOn);
        EXPECT_EQ(back->IsBrushOn(), !penOn);
        EXPECT_EQ(back->GetPen().lopnColor, 0x654321u);
        EXPECT_EQ(back->GetBrush().lbColor, 0x123456u);
        EXPECT_EQ(static_cast<CDrawText &>(*back).GetShape(), DrawShape::Ellipse);
    }
    EXPECT_TRUE(CreateDrawObject("CDrawObj"));
    EXPECT_TRUE(CreateDrawObject("CDrawRect"));
    EXPECT_FALSE(CreateDrawObject("CDrawPoly"));
    EXPECT_FALSE(CreateDrawObject(nullptr));
}

TEST(DrawObj, ShortStreamIsRefused)
{
    const CDrawText box(RECT{5, 6, 7, 8}, nullptr);
    const std::vector<std::uint8_t> bytes = streamOf(box);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        CDrawText target(RECT{}, nullptr);
        ArchiveReader in(bytes.data(), n);
        EXPECT_FALSE(target.Serialize(in)) << n;
    }
}

} // namespace
