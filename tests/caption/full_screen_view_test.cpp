// tests/caption/full_screen_view_test.cpp
// The full-screen viewer: stepping rules, keys and the wheel in both modes
// over a stand-in sequence of real picture files, the help's timeout, and
// the caption drawn at the picture's scale.
#include "caption/caption_geometry.h"
#include "caption/caption_source.h"
#include "collection/viewer/full_screen_view.h"
#include "collection/viewer/picture_sequence.h"
#include "tests/caption/picture_files.h"

#include <QPainter>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

TEST(ViewerSteps, BrowserStopsAtTheEndsAndNeedsAFocus)
{
    const ViewerMode b = ViewerMode::Browser;
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::Previous, 0, 5), -1);
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::Previous, 3, 5), 2);
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::Next, 3, 5), 4);
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::Next, 4, 5), -1);
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::First, 0, 5), 0); // again, even there
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::Last, 4, 5), 4);
    for (ViewerStep s : {ViewerStep::Previous, ViewerStep::Next, ViewerStep::First, ViewerStep::Last})
        EXPECT_EQ(ViewerStepTarget(b, s, -1, 5), -1);
    EXPECT_EQ(ViewerStepTarget(b, ViewerStep::Last, 0, 0), -1);
}

TEST(ViewerSteps, DesignModeStartsAtTheFirstRowWithoutASelection)
{
    const ViewerMode d = ViewerMode::Design;
    EXPECT_EQ(ViewerStepTarget(d, ViewerStep::Next, -1, 3), 0);
    EXPECT_EQ(ViewerStepTarget(d, ViewerStep::Previous, -1, 3), -1);
    EXPECT_EQ(ViewerStepTarget(d, ViewerStep::Last, -1, 3), 2);
    EXPECT_EQ(ViewerStepTarget(d, ViewerStep::Next, 2, 3), -1);
    EXPECT_EQ(ViewerStepTarget(d, ViewerStep::Previous, 1, 3), 0);
}

struct StandInSequence : PictureSequence
{
    QStringList paths;
    QList<int> rotations;
    int current = 0;
    int moves = 0;

    int Count() const override { return int(paths.size()); }
    QString PathAt(int i) const override { return paths.at(i); }
    int RotationAt(int i) const override { return rotations.value(i); }
    int Current() const override { return current; }
    void SetCurrent(int i) override
    {
        current = i;
        ++moves;
    }
};

struct FixedCaption : CaptionSource
{
    CaptionSettings caption;
    std::optional<CaptionSettings> ExportCaption() const override { return caption; }
};

class Viewer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        seq.paths = {files.Write("v0.bmp", 200, 100), files.Write("v1.png", 120, 90),
                     files.Write("v2.bmp", 64, 48)};
        seq.rotations = {0, 90, 0};
    }

    void press(CFullScreenView &view, Qt::Key key)
    {
        QTest::keyClick(&view, key);
        view.WaitForPicture();
    }

    PictureFiles files;
    StandInSequence seq;
};

TEST_F(Viewer, BrowserModeKeysAndWheelStepThroughTheSequence)
{
    seq.current = 1;
    CFullScreenView view(seq, nullptr);
    view.WaitForPicture();
    EXPECT_EQ(view.Mode(), ViewerMode::Browser);
    EXPECT_EQ(view.ShownPath(), seq.paths[1]);
    EXPECT_EQ(view.PictureSize(), QSize(90, 120)); // turned by its rotation
    press(view, Qt::Key_PageDown);
    EXPECT_EQ(seq.current, 2);
    EXPECT_EQ(view.ShownPath(), seq.paths[2]);
    press(view, Qt::Key_PageDown); // the last: nothing
    EXPECT_EQ(seq.moves, 1);
    press(view, Qt::Key_Home);
    EXPECT_EQ(view.ShownPath(), seq.paths[0]);
    press(view, Qt::Key_PageUp); // the first: nothing
    EXPECT_EQ(seq.current, 0);
    press(view, Qt::Key_End);
    EXPECT_EQ(seq.current, 2);

    // Towards the user is Page Down, away is Page Up.
    QWheelEvent away(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &away);
    view.WaitForPicture();
    EXPECT_EQ(view.ShownPath(), seq.paths[1]);
    QWheelEvent towards(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &towards);
    view.WaitForPicture();
    EXPECT_EQ(view.ShownPath(), seq.paths[2]);

    seq.current = -1; // no focused item: the keys do nothing
    const int moves = seq.moves;
    press(view, Qt::Key_End);
    EXPECT_EQ(seq.moves, moves);
}

TEST_F(Viewer, DesignModeStartsFromNoRowAndClosesOnEscapeOrDoubleClick)
{
    FixedCaption caption;
    seq.current = -1;
    {
        CFullScreenView view(seq, &caption);
        view.WaitForPicture();
        EXPECT_EQ(view.Mode(), ViewerMode::Design);
        EXPECT_TRUE(view.PictureSize().isEmpty());
        press(view, Qt::Key_PageUp);
        EXPECT_EQ(seq.moves, 0);
        press(view, Qt::Key_PageDown);
        EXPECT_EQ(seq.current, 0);
        EXPECT_EQ(view.ShownPath(), seq.paths[0]);
        view.show();
        QTest::keyClick(&view, Qt::Key_Escape);
        EXPECT_EQ(view.result(), QDialog::Rejected);
        EXPECT_FALSE(view.isVisible());
    }
    CFullScreenView view(seq, &caption);
    view.show();
    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(view.isVisible());
}

TEST_F(Viewer, HelpGoesAfterTenSeconds)
{
    CFullScreenView view(seq, nullptr);
    for (int i = 0; i < 9; ++i)
        view.Tick();
    EXPECT_TRUE(view.HelpShown());
    view.Tick();
    EXPECT_FALSE(view.HelpShown());
}

// A top-right caption keeps its distance, scaled, from the picture's corner
// when the picture is centred with margins.
TEST_F(Viewer, DesignModeDrawsTheCaptionAtThePictureScale)
{
    seq.current = 0; // 200 x 100
    FixedCaption caption;
    caption.caption.backColor = RGB(255, 0, 255);
    caption.caption.text.clear();
    caption.caption.anchor = CaptionAnchor::TopRight;
    caption.caption.offsets = {50, 10, 10, 30}; // (150, 10) to (190, 30) in the picture
    CFullScreenView view(seq, &caption);
    view.WaitForPicture();
    for (int i = 0; i < 10; ++i)
        view.Tick();
    const QSize screen(160, 120); // picture scaled to 160 x 80 (m = 0.8), centred at y 20
    QImage shot(screen, QImage::Format_RGB32);
    QPainter p(&shot);
    view.PaintView(p, screen);
    p.end();
    EXPECT_EQ(shot.pixel(2, 2), qRgb(192, 200, 192));
    // The box: (160 - 0.8 * 50, 20 + 0.8 * 10) to (160 - 0.8 * 10, 20 + 0.8 * 30).
    EXPECT_EQ(shot.pixel(120, 28), qRgb(255, 0, 255));
    EXPECT_EQ(shot.pixel(151, 43), qRgb(255, 0, 255));
    EXPECT_NE(shot.pixel(119, 28), qRgb(255, 0, 255));
    EXPECT_NE(shot.pixel(152, 43), qRgb(255, 0, 255));
    EXPECT_NE(shot.pixel(120, 27), qRgb(255, 0, 255));
    EXPECT_NE(shot.pixel(151, 44), qRgb(255, 0, 255));

    // Browser mode draws no caption.
    CFullScreenView browser(seq, nullptr);
    browser.WaitForPicture();
    QImage plain(screen, QImage::Format_RGB32);
    QPainter q(&plain);
    browser.PaintView(q, screen);
    q.end();
    EXPECT_NE(plain.pixel(120, 28), qRgb(255, 0, 255));
}

// A phone's Display P3 picture is shown in sRGB, and the undescribed one
// after it with exactly its numbers.
TEST_F(Viewer, ColoursAreShownInSrgb)
{
    const Rgb red = {200, 60, 60};
    seq.paths = {files.WriteColour("p3.png", 320, 240, red, testProfile(TestSpace::DisplayP3)),
                 files.WriteColour("plain.png", 320, 240, red, {})};
    seq.rotations = {0, 0};
    seq.current = 0;
    CFullScreenView view(seq, nullptr);
    view.WaitForPicture();
    auto centre = [&] {
        QImage shot(QSize(160, 120), QImage::Format_RGB32);
        QPainter p(&shot);
        view.PaintView(p, shot.size());
        p.end();
        return shot.pixel(80, 60);
    };
    const QRgb p3 = centre();
    EXPECT_NEAR(qRed(p3), 217, 2);
    EXPECT_NEAR(qGreen(p3), 41, 2);
    EXPECT_NEAR(qBlue(p3), 51, 2);
    press(view, Qt::Key_PageDown);
    ASSERT_EQ(view.ShownPath(), seq.paths[1]);
    EXPECT_EQ(centre(), qRgb(200, 60, 60));
}

TEST_F(Viewer, BrokenPictureLeavesOnlyTheBackground)
{
    seq.paths[1] = files.WriteGarbage("broken.png");
    seq.current = 1;
    CFullScreenView view(seq, nullptr);
    view.WaitForPicture();
    EXPECT_TRUE(view.PictureSize().isEmpty());
    press(view, Qt::Key_PageDown);
    EXPECT_EQ(view.PictureSize(), QSize(64, 48));
}

} // namespace
