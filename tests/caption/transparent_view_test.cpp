// tests/caption/transparent_view_test.cpp
// The preview and the viewer show a half-transparent picture over the
// checkerboard, as an export that keeps the transparency writes it, not
// over black.
#include "caption/preview_view.h"
#include "collection/viewer/full_screen_view.h"
#include "collection/viewer/picture_sequence.h"
#include "tests/support/pictures.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct OnePicture : PictureSequence
{
    QString path;
    int Count() const override { return 1; }
    QString PathAt(int) const override { return path; }
    int RotationAt(int) const override { return 0; }
    int Current() const override { return 0; }
    void SetCurrent(int) override {}
};

class TransparentPicture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ZvImage picture = makeHalfClearRed(120, 90);
        ASSERT_TRUE(picture.Save(path.toUtf8().constData(), ZV_TYPE_PNG)) << picture.GetLastError();
    }

    // Light and dark squares from the picture's top left corner.
    static void expectSquares(const QImage &shot, QPoint corner)
    {
        EXPECT_TRUE(nearColour(shot.pixel(corner + QPoint(2, 2)), kHalfRedOverLight));
        EXPECT_TRUE(nearColour(shot.pixel(corner + QPoint(10, 2)), kHalfRedOverDark));
        EXPECT_TRUE(nearColour(shot.pixel(corner + QPoint(2, 10)), kHalfRedOverDark));
        EXPECT_TRUE(nearColour(shot.pixel(corner + QPoint(10, 10)), kHalfRedOverLight));
    }

    QTemporaryDir dir;
    QString path = dir.filePath("clear.png");
};

TEST_F(TransparentPicture, PreviewShowsTheSquaresThrough)
{
    CPreviewView preview;
    preview.resize(300, 200);
    preview.ShowPicture(path, 0);
    preview.WaitForPicture();
    ASSERT_TRUE(preview.HasPicture());
    const RECT at = preview.Geometry().picture;
    ASSERT_EQ(at.right - at.left, 120); // shown at its own size
    const QImage shot = preview.grab().toImage().convertToFormat(QImage::Format_RGB32);
    expectSquares(shot, QPoint(at.left, at.top));
}

TEST_F(TransparentPicture, ViewerShowsTheSquaresThrough)
{
    OnePicture sequence;
    sequence.path = path;
    CFullScreenView view(sequence, nullptr);
    view.WaitForPicture();
    for (int i = 0; i < 10; ++i)
        view.Tick();            // the help gone
    const QSize screen(60, 45); // the picture, halved, fills it
    QImage shot(screen, QImage::Format_RGB32);
    QPainter painter(&shot);
    view.PaintView(painter, screen);
    painter.end();
    expectSquares(shot, QPoint(0, 0));
}

} // namespace
