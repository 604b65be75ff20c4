// tests/caption/preview_picture_test.cpp
#include "caption/preview_picture.h"
#include "tests/support/corpora.h"
#include "tests/support/dng_builder.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

// The preview page shows a camera's embedded preview (red here, while the
// developed picture is grey) when it covers the area, and still reports
// the developed picture's size, so the caption lands where the export puts it.
TEST(PreviewPicture, CameraRawShowsItsPreviewWithTheWholeSize)
{
    const DngSpec spec = redPreviewDng();
    const std::string path = scratchDir() + "/camera.dng";
    writeFile(path, makeDng(spec));

    const PreviewPicture shown = LoadPreviewPicture(QString::fromStdString(path), 90, QSize(96, 128));
    ASSERT_TRUE(shown.IsValid()) << shown.error.toStdString();
    EXPECT_EQ(shown.fullSize, QSize(256, 192));
    EXPECT_EQ(shown.image.size(), QSize(128, 96));
    EXPECT_EQ(qRed(shown.image.pixel(5, 5)), 250);
    EXPECT_EQ(qGreen(shown.image.pixel(5, 5)), 10);
    EXPECT_TRUE(shown.IsReduced());

    const PreviewPicture large = LoadPreviewPicture(QString::fromStdString(path), 0, QSize(200, 150));
    ASSERT_TRUE(large.IsValid());
    EXPECT_EQ(large.fullSize, QSize(256, 192));
    EXPECT_GT(qGreen(large.image.pixel(5, 5)), 60); // developed grey: the preview is too small
}
