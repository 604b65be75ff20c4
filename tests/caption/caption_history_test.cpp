// tests/caption/caption_history_test.cpp
// The design history's rules and the arithmetic of the box fields and
// actions.
#include "caption/box_fields.h"
#include "caption/caption_history.h"

#include <gtest/gtest.h>

namespace {

CaptionSettings withText(const QString &text)
{
    CaptionSettings design;
    design.text = text;
    return design;
}

} // namespace

TEST(CaptionHistory, StepsMergeRedoIsDroppedAndTheCapKeepsTheFirstReachable)
{
    CaptionHistory history(withText("a"), 3);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.Record(withText("a"))); // no change, no step
    // Typing runs into one step; a different kind of change starts another.
    EXPECT_TRUE(history.Record(withText("ab"), CaptionHistory::Merge::Text));
    EXPECT_TRUE(history.Record(withText("abc"), CaptionHistory::Merge::Text));
    CaptionSettings aligned = withText("abc");
    aligned.align = CaptionAlign::Left;
    history.Record(aligned);
    EXPECT_EQ(history.StepCount(), 3u);
    EXPECT_EQ(history.Undo()->text, QStringLiteral("abc"));
    EXPECT_EQ(history.Undo()->text, QStringLiteral("a"));
    EXPECT_FALSE(history.Undo());
    EXPECT_EQ(history.Redo()->text, QStringLiteral("abc"));
    // After undo, typing is a new step (no merge into the step undone to)
    // and redo has nothing left.
    EXPECT_TRUE(history.Record(withText("abcd"), CaptionHistory::Merge::Text));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undo()->text, QStringLiteral("abc"));
    EXPECT_TRUE(history.Redo());
    // The first merged edit after the first design is a step of its own.
    CaptionHistory fresh(withText("x"));
    fresh.Record(withText("xy"), CaptionHistory::Merge::Text);
    EXPECT_EQ(fresh.Undo()->text, QStringLiteral("x"));
    // Beyond the cap the oldest steps go; the newest stay in order.
    for (int i = 0; i < 10; ++i)
        history.Record(withText(QString::number(i)));
    EXPECT_EQ(history.StepCount(), 4u);
    EXPECT_EQ(history.Undo()->text, QStringLiteral("8"));
    EXPECT_EQ(history.Undo()->text, QStringLiteral("7"));
    EXPECT_EQ(history.Undo()->text, QStringLiteral("6"));
    EXPECT_FALSE(history.CanUndo());
}

TEST(BoxFields, PixelsAndPerCentFromEveryCornerRoundTrip)
{
    const QSizeF picture(400, 200);
    // Top left: X, Y are left, top.
    const CaptionOffsets topLeft{40, 20, 140, 60};
    EXPECT_EQ(FieldsFromOffsets(topLeft, CaptionAnchor::TopLeft, 1, picture, FieldUnit::Pixels),
              (BoxFields{40, 20, 100, 40}));
    EXPECT_EQ(FieldsFromOffsets(topLeft, CaptionAnchor::TopLeft, 1, picture, FieldUnit::Percent),
              (BoxFields{10, 10, 25, 20}));
    // Bottom right: the near edges are right and bottom; a design twice as
    // small as the picture shows doubled pixels.
    const CaptionOffsets bottomRight{70, 30, 20, 10};
    EXPECT_EQ(FieldsFromOffsets(bottomRight, CaptionAnchor::BottomRight, 2, picture, FieldUnit::Pixels),
              (BoxFields{40, 20, 100, 40}));
    for (std::int32_t anchor : {CaptionAnchor::TopLeft, CaptionAnchor::TopRight, CaptionAnchor::BottomLeft,
                                CaptionAnchor::BottomRight}) {
        for (FieldUnit unit : {FieldUnit::Pixels, FieldUnit::Percent}) {
            const BoxFields f = FieldsFromOffsets(bottomRight, anchor, 2, picture, unit);
            EXPECT_EQ(OffsetsFromFields(f, anchor, 2, picture, unit), bottomRight) << anchor;
        }
    }
    EXPECT_EQ(WithField(BoxFields{1, 2, 3, 4}, BoxField::Height, 9), (BoxFields{1, 2, 3, 9}));
}

TEST(BoxFields, CentreResetAndSizeWithThePicture)
{
    const QSizeF picture(4000, 3000);
    // Centred: the size kept, the middle on the picture's middle, from a right anchor too.
    EXPECT_EQ(CentredOffsets(CaptionOffsets{500, 0, 100, 40}, CaptionAnchor::TopRight, 1, picture),
              (CaptionOffsets{2200, 1480, 1800, 1520}));
    // A plain design keeps the old new box; a relative one a fifth of the width.
    CaptionSettings design;
    EXPECT_EQ(DefaultBoxOffsets(design, picture), (CaptionOffsets{40, 40, 340, 80}));
    design.style.referenceSide = 1500; // the picture is twice the design
    const BoxFields fresh =
        FieldsFromOffsets(DefaultBoxOffsets(design, picture), design.anchor, 2, picture, FieldUnit::Pixels);
    EXPECT_DOUBLE_EQ(fresh.width, 800);
    EXPECT_DOUBLE_EQ(fresh.height, 2 * 1.25 * 26 * 2); // two lines of the 26-pixel font, doubled
    // On: nothing moves; off: the design's pixels become this picture's.
    design = CaptionSettings();
    design.offsets = CaptionOffsets{10, 20, 110, 60};
    design.style.padding = 3;
    const CaptionSettings on = WithSizeFollowingPicture(design, true, QSizeF(800, 600));
    EXPECT_FLOAT_EQ(on.style.referenceSide, 600);
    EXPECT_EQ(on.offsets, design.offsets);
    const CaptionSettings off = WithSizeFollowingPicture(on, false, QSizeF(1600, 1200));
    EXPECT_EQ(off.offsets, (CaptionOffsets{20, 40, 220, 120}));
    EXPECT_EQ(off.font.lfHeight, 2 * design.font.lfHeight);
    EXPECT_FLOAT_EQ(off.style.padding, 6);
    EXPECT_FLOAT_EQ(off.style.referenceSide, 0);
    // The preview places a relative box at the display scale times the factor.
    PreviewGeometry view{RECT{0, 0, 500, 400}, 0.25f, RECT{0, 25, 400, 325}, true}; // 1600 x 1200 shown
    EXPECT_FLOAT_EQ(DesignView(view, on.style).scale, 0.5f);
    EXPECT_FLOAT_EQ(DesignView(view, design.style).scale, 0.25f);
}
