// tests/collection/thumb_obj_test.cpp
#include "collection/thumb_cache_file.h"
#include "collection/thumb_geometry.h"
#include "collection/thumb_obj.h"
#include "tests/caption/picture_files.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/dng_builder.h"
#include "tests/support/oriented_picture.h"
#include "tests/support/pictures.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

struct ReductionCase
{
    int width, height;
    ThumbSize expected;
};

class Reduction : public ::testing::TestWithParam<ReductionCase>
{
};

TEST_P(Reduction, FitsTheLimitsAlongTheTighterAxis)
{
    const ReductionCase c = GetParam();
    EXPECT_EQ(ThumbReducedSize(c.width, c.height), c.expected) << c.width << "x" << c.height;
}

INSTANTIATE_TEST_SUITE_P(Table, Reduction,
                         ::testing::Values(ReductionCase{640, 480, {95, 71}},
                                           ReductionCase{480, 640, {71, 95}}, ReductionCase{90, 60, {90, 60}},
                                           ReductionCase{95, 95, {95, 95}}, ReductionCase{96, 96, {95, 95}},
                                           ReductionCase{96, 95, {95, 94}},
                                           ReductionCase{4000, 3000, {95, 71}},
                                           ReductionCase{3000, 4000, {71, 95}},
                                           ReductionCase{100, 20, {95, 19}}, ReductionCase{5000, 1, {95, 1}},
                                           ReductionCase{1, 5000, {1, 95}}));

TEST(DrawRect, ShrinksIntoASmallerTargetAndCentresInALargerOne)
{
    // 90 x 60 in 106 x 95 at (10, 20): centred at its own size.
    EXPECT_EQ(ThumbDrawRect(90, 60, RECT{10, 20, 116, 115}), (RECT{18, 37, 108, 97}));
    // 95 x 71 in 50 x 50: the width limits, the height is centred.
    EXPECT_EQ(ThumbDrawRect(95, 71, RECT{0, 0, 50, 50}), (RECT{0, 7, 50, 43}));
    // 71 x 95 in 50 x 50: the height limits.
    EXPECT_EQ(ThumbDrawRect(71, 95, RECT{0, 0, 50, 50}), (RECT{7, 0, 43, 50}));
    // An empty picture is a point at the centre.
    EXPECT_EQ(ThumbDrawRect(0, 0, RECT{0, 0, 10, 10}), (RECT{5, 5, 5, 5}));
}

TEST(MakeThumbnail, GeneratedPicturesOfEachKind)
{
    const QString folder = freshFolder("thumb-make");
    struct Case
    {
        const char *name;
        int width, height;
        int expectW, expectH;
    };
    const Case cases[] = {
        {"wide.png", 640, 480, 95, 71},  {"tall.bmp", 480, 640, 71, 95}, {"small.tga", 90, 60, 90, 60},
        {"photo.jpg", 800, 600, 95, 71}, {"scan.TIF", 200, 400, 47, 95},
    };
    for (const Case &c : cases) {
        const QString path = folder + c.name;
        savePicture(path, c.width, c.height);
        CThumbObj thumb(path);
        EXPECT_EQ(thumb.FileName(), QString::fromUtf8(c.name));
        EXPECT_TRUE(thumb.MakeThumbnail()) << c.name;
        EXPECT_EQ(thumb.Made(), 1);
        ASSERT_TRUE(thumb.Picture() && thumb.Picture()->IsValid()) << c.name;
        EXPECT_EQ(int(thumb.Picture()->GetWidth()), c.expectW) << c.name;
        EXPECT_EQ(int(thumb.Picture()->GetHeight()), c.expectH) << c.name;
        // The facts stay those of the whole picture, also for a JPEG decoded reduced.
        EXPECT_EQ(int(thumb.Picture()->GetOrignWidth()), c.width) << c.name;
        EXPECT_EQ(int(thumb.Picture()->GetOrignHeight()), c.height) << c.name;
        EXPECT_NE(thumb.Modified(), 0u);
    }
}

TEST(MakeThumbnail, ReducedJpegLooksLikeTheFullDecode)
{
    const QString path = freshFolder("thumb-jpeg") + "big.jpg";
    // Smooth content, so that the DCT reduction and the full decode agree closely.
    ZvImage picture = makePattern24(1600, 1200);
    ASSERT_TRUE(picture.Save(path.toUtf8().constData(), ZV_TYPE_JPG));
    CThumbObj thumb(path);
    ASSERT_TRUE(thumb.MakeThumbnail());
    ZvImage full;
    ASSERT_TRUE(full.Load(path.toUtf8().constData(), ZV_TYPE_JPG));
    ASSERT_TRUE(full.Resample(95, 71, 0));
    ASSERT_EQ(thumb.Picture()->GetWidth(), 95u);
    EXPECT_LE(maxDifference(toRgb(*thumb.Picture()), toRgb(full)), 48);
    EXPECT_EQ(thumb.Picture()->GetOrignBpp(), 24u);
}

// A camera's preview is red while its developed picture is grey: a red
// thumbnail shows the preview was taken; the facts stay the sensor's.
TEST(MakeThumbnail, CameraRawFromItsPreview)
{
    const DngSpec spec = redPreviewDng(6);
    const QString path = freshFolder("thumb-raw") + "IMG_0001.DNG";
    writeFile(path.toStdString(), makeDng(spec));
    CThumbObj thumb(path);
    ASSERT_TRUE(thumb.MakeThumbnail());
    ASSERT_TRUE(thumb.Picture() && thumb.Picture()->IsValid());
    EXPECT_EQ(thumb.Picture()->GetWidth(), 71u); // upright: the camera was turned
    EXPECT_EQ(thumb.Picture()->GetHeight(), 95u);
    const RGBQUAD c = thumb.Picture()->GetPixelColor(30, 40);
    EXPECT_GT(c.rgbRed, 200);
    EXPECT_LT(c.rgbGreen, 60);
    EXPECT_EQ(thumb.Picture()->GetOrignWidth(), 192u);
    EXPECT_EQ(thumb.Picture()->GetOrignHeight(), 256u);
    EXPECT_EQ(thumb.Picture()->GetOrignBpp(), 48u);
}

TEST(MakeThumbnail, UnknownTypesAndBrokenFiles)
{
    const QString folder = freshFolder("thumb-broken");
    for (const char *name : {"still.j2k", "still.jp2", "still.jbg", "noextension"}) {
        QFile(folder + name).open(QIODevice::WriteOnly);
        CThumbObj thumb(folder + name);
        EXPECT_FALSE(thumb.MakeThumbnail()) << name;
        ASSERT_NE(thumb.Picture(), nullptr); // the empty picture stays
        EXPECT_FALSE(thumb.Picture()->IsValid());
    }
    writeFile((folder + "broken.jpg").toStdString(), "\xFF\xD8\xFF\xE0 not really a jpeg");
    CThumbObj broken(folder + "broken.jpg");
    EXPECT_TRUE(broken.MakeThumbnail());
    EXPECT_EQ(broken.Picture(), nullptr);
    EXPECT_EQ(broken.Made(), 1);
    CThumbObj missing(folder + "missing.png");
    EXPECT_EQ(missing.Modified(), 0u);
    EXPECT_TRUE(missing.MakeThumbnail());
    EXPECT_EQ(missing.Picture(), nullptr);
}

TEST(MakeThumbnail, RealPicturesFromThePublicSuites)
{
    ZV_REQUIRE_CORPUS("libjpeg-turbo-testimages");
    int made = 0;
    for (const std::string &file : listFiles(corporaDir() + "/libjpeg-turbo-testimages")) {
        const QString path = QString::fromStdString(file);
        CThumbObj thumb(path);
        if (!thumb.MakeThumbnail() || !thumb.Picture())
            continue;
        ++made;
        EXPECT_LE(thumb.Picture()->GetWidth(), 95u) << file;
        EXPECT_LE(thumb.Picture()->GetHeight(), 95u) << file;
        ZvImage full;
        ASSERT_TRUE(full.Load(file.c_str(), ImageTypeFromName(file)));
        EXPECT_EQ(thumb.Picture()->GetOrignWidth(), full.GetWidth()) << file;
        EXPECT_EQ(thumb.Picture()->GetOrignHeight(), full.GetHeight()) << file;
    }
    EXPECT_GE(made, 8);
}

TEST(ThumbDraw, DrawsCentredAndRemembersWhere)
{
    const QString path = freshFolder("thumb-draw") + "red.bmp";
    ZvImage red(90, 60, 24);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            red.SetPixelColor(x, y, RGB(255, 0, 0));
    ASSERT_TRUE(red.Save(path.toUtf8().constData(), ZV_TYPE_BMP));
    CThumbObj thumb(path);
    ASSERT_TRUE(thumb.MakeThumbnail());
    QImage canvas(130, 120, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    EXPECT_EQ(thumb.Draw(painter, RECT{10, 20, 116, 115}), 1);
    painter.end();
    EXPECT_EQ(thumb.DrawnRect(), (RECT{18, 37, 108, 97}));
    EXPECT_EQ(canvas.pixel(18, 37), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(107, 96), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(17, 37), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(108, 96), qRgb(255, 255, 255));
}

// Decoded at a quarter (800 x 600 into the limits), turned upright, and the
// facts the browser shows are those of the upright picture, through the cache too.
TEST(MakeThumbnail, CameraTurnedPicturesStandUprightWithTheirUprightSize)
{
    const QString folder = freshFolder("thumb-orient");
    std::vector<std::unique_ptr<CThumbObj>> thumbs;
    for (int o = 1; o <= 8; ++o) {
        const QString path = folder + QStringLiteral("tag%1.jpg").arg(o);
        ASSERT_TRUE(writeOrientedJpeg(path.toStdString(), 800, 600, o));
        thumbs.push_back(std::make_unique<CThumbObj>(path));
        ASSERT_TRUE(thumbs.back()->MakeThumbnail());
    }
    std::vector<const CThumbObj *> made;
    for (const auto &t : thumbs)
        made.push_back(t.get());
    const std::vector<std::uint8_t> bytes = ThumbCacheBytes(folder, made);
    const CacheReadResult cached = ReadThumbCacheBytes(bytes.data(), bytes.size(), folder);
    ASSERT_EQ(cached.objects.size(), 8u);
    for (int o = 1; o <= 8; ++o) {
        for (const CThumbObj *thumb :
             {made[std::size_t(o - 1)],
              static_cast<const CThumbObj *>(cached.objects[std::size_t(o - 1)].get())}) {
            ASSERT_NE(thumb->Picture(), nullptr) << o;
            const bool sideways = o >= 5;
            const ZvImage &picture = *thumb->Picture();
            EXPECT_EQ(picture.GetWidth(), sideways ? 71u : 95u) << o;
            EXPECT_EQ(picture.GetOrignWidth(), sideways ? 600u : 800u) << o;
            EXPECT_EQ(picture.GetOrignHeight(), sideways ? 800u : 600u) << o;
            EXPECT_EQ(markedCorner(toRgb(picture)), uprightCorner(o)) << o;
        }
    }
}

// A half-transparent PNG shows its squares through, not black, and is
// cached as it is shown.
TEST(MakeThumbnail, TransparentPartsLieOverTheCheckerboard)
{
    const QString path = freshFolder("thumb-clear") + "clear.png";
    ZvImage picture = makeHalfClearRed(200, 100);
    ASSERT_TRUE(picture.Save(path.toUtf8().constData(), ZV_TYPE_PNG)) << picture.GetLastError();
    CThumbObj thumb(path);
    ASSERT_TRUE(thumb.MakeThumbnail());
    ASSERT_NE(thumb.Picture(), nullptr);
    const ZvImage &made = *thumb.Picture();
    EXPECT_EQ(made.GetWidth(), 95u);
    EXPECT_EQ(made.GetHeight(), 47u);
    EXPECT_EQ(made.GetOrignWidth(), 200u);
    EXPECT_FALSE(made.AlphaIsValid());
    const Rgb8 rgb = toRgb(made);
    auto at = [&](int x, int y) {
        const std::uint8_t *p = &rgb.rgb[std::size_t(y * rgb.width + x) * 3];
        return qRgb(p[0], p[1], p[2]);
    };
    EXPECT_TRUE(nearColour(at(2, 2), kHalfRedOverLight));
    EXPECT_TRUE(nearColour(at(10, 2), kHalfRedOverDark));
    EXPECT_TRUE(nearColour(at(10, 10), kHalfRedOverLight));
}

// A phone's Display P3 picture shows its colours in sRGB through each way a
// thumbnail is made (reduced, laid over the checkerboard, decoded at a JPEG
// scale); an undescribed picture shows exactly its numbers, as before.
TEST(MakeThumbnail, ColoursAreShownInSrgb)
{
    PictureFiles files;
    const std::vector<std::uint8_t> p3 = testProfile(TestSpace::DisplayP3);
    const Rgb red = {200, 60, 60};
    const Rgb redInSrgb = {217, 41, 51};
    const struct
    {
        const char *name;
        int width;
        bool described, clear;
    } cases[] = {
        {"p3.png", 400, true, false},     {"p3-small.png", 40, true, false},
        {"p3.jpg", 800, true, false},     {"p3-clear.png", 400, true, true},
        {"plain.png", 400, false, false}, {"plain-clear.png", 400, false, true},
    };
    for (const auto &c : cases) {
        const QString path = files.WriteColour(QString::fromLatin1(c.name), c.width, c.width * 3 / 4, red,
                                               c.described ? p3 : std::vector<std::uint8_t>(), c.clear);
        CThumbObj thumb(path);
        ASSERT_TRUE(thumb.MakeThumbnail()) << c.name;
        ASSERT_NE(thumb.Picture(), nullptr) << c.name;
        const ZvImage &made = *thumb.Picture();
        EXPECT_LE(made.GetWidth(), std::uint32_t(kThumbLimit)) << c.name;
        const Rgb8 rgb = toRgb(made);
        const std::uint8_t *centre = &rgb.rgb[std::size_t((rgb.height / 2) * rgb.width + rgb.width / 2) * 3];
        const Rgb &want = c.described ? redInSrgb : red;
        const int tolerance = c.described ? 2 : 0;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(centre[i], want[std::size_t(i)], tolerance) << c.name << " channel " << i;
    }
}
