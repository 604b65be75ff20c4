// tests/imagelib/codec_wmf_test.cpp
#include "imagelib/codec_wmf.h"
#include "imagelib/metafile_charset.h"
#include "platform/font_map.h"
#include "tests/imagelib/codec_roundtrip.h"
#include "tests/imagelib/metafile_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>

namespace {

constexpr std::uint32_t kRed = 0x0000FF;     // colour references: 0x00BBGGRR
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;

ZvImage decodeOk(const std::string &bytes)
{
    ZvImage image;
    EXPECT_TRUE(decodeBytes(bytes, ZV_TYPE_WMF, image)) << image.GetLastError();
    return image;
}

std::string decodeError(const std::string &bytes)
{
    ZvImage image;
    EXPECT_FALSE(decodeBytes(bytes, ZV_TYPE_WMF, image));
    EXPECT_FALSE(image.IsValid());
    return image.GetLastError();
}

// The colour at x, y counted from the top row, as 0xRRGGBB.
std::uint32_t at(const ZvImage &image, int x, int y)
{
    const RGBQUAD c = image.GetPixelColor(x, int(image.GetHeight()) - 1 - y, false);
    return (std::uint32_t(c.rgbRed) << 16) | (std::uint32_t(c.rgbGreen) << 8) | c.rgbBlue;
}

// Pixels that are not white.
std::size_t inked(const ZvImage &image)
{
    const Rgb8 rgb = toRgb(image);
    std::size_t n = 0;
    for (std::size_t i = 0; i < rgb.rgb.size(); i += 3)
        n += rgb.rgb[i] != 255 || rgb.rgb[i + 1] != 255 || rgb.rgb[i + 2] != 255;
    return n;
}

double meanDifference(const Rgb8 &a, const Rgb8 &b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.empty())
        return 256;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / double(a.rgb.size());
}

// A 100 x 100 picture: bounds of 100 units at 96 units per inch.
std::string placeable100(const WmfBuilder &b)
{
    return b.placeable(0, 0, 100, 100, 96);
}

// The four edges of a filled rectangle from (left, top) to (right, bottom),
// exclusive: inside pixels have the colour, the ones just outside are white.
void expectFilledRect(const ZvImage &image, int left, int top, int right, int bottom, std::uint32_t rgb)
{
    const int midX = (left + right) / 2;
    const int midY = (top + bottom) / 2;
    EXPECT_EQ(at(image, left, top), rgb);
    EXPECT_EQ(at(image, right - 1, bottom - 1), rgb);
    EXPECT_EQ(at(image, midX, midY), rgb);
    EXPECT_EQ(at(image, left - 1, midY), 0xFFFFFFu);
    EXPECT_EQ(at(image, right, midY), 0xFFFFFFu);
    EXPECT_EQ(at(image, midX, top - 1), 0xFFFFFFu);
    EXPECT_EQ(at(image, midX, bottom), 0xFFFFFFu);
}

WmfBuilder redNoPen()
{
    WmfBuilder b;
    b.solidBrush(kRed).select(0).nullPen().select(1);
    return b;
}

} // namespace

TEST(WmfCorpus, EveryDrawingRendersToAPictureOfItsFrame)
{
    ZV_REQUIRE_CORPUS("wmf-emf");
    // Sizes at 96 dpi: placeable bounds, the first window of a plain WMF in
    // twips, an EMF frame.
    const std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> sizes = {
        {"2doorvan.wmf", {318, 116}},  {"fjftest.wmf", {794, 1123}},
        {"formula1.wmf", {222, 41}},   {"p0000001.wmf", {320, 119}},
        {"test_libuemf_ref.wmf", {1122, 794}}, {"test_libuemf_ref.emf", {1122, 794}},
        {"test_mm_lometric_ref.emf", {1122, 794}},
    };
    std::size_t checked = 0;
    for (const std::string &path : listFiles(corporaDir() + "/wmf-emf", "", true)) {
        const std::string name = path.substr(path.rfind('/') + 1);
        const std::string ext = name.substr(name.size() - 4);
        if (ext != ".wmf" && ext != ".emf")
            continue;
        ZvImage image;
        ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_WMF)) << name << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_WMF));
        EXPECT_EQ(image.GetBpp(), 24u);
        EXPECT_GT(inked(image), image.GetWidth() * image.GetHeight() / 1000) << name << " is blank";
        if (const auto it = sizes.find(name); it != sizes.end()) {
            EXPECT_EQ(image.GetWidth(), it->second.first) << name;
            EXPECT_EQ(image.GetHeight(), it->second.second) << name;
            ++checked;
        }
    }
    EXPECT_EQ(checked, sizes.size());
}

TEST(WmfCorpus, DrawingsWithoutTextLookLikeImageMagicksRendering)
{
    ZV_REQUIRE_CORPUS("wmf-emf");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    // ImageMagick draws at 72 dpi with its own anti-aliasing; ours is brought
    // to its size and compared on average, which catches misplaced, missing
    // or wrongly coloured shapes but not the rasteriser's differences. These
    // drawings fill their bounds; where they do not, ImageMagick fits the
    // drawing rather than the bounds the header gives, and the two differ.
    for (const char *name : {"2doorvan", "arrow01", "sample", "sample2"}) {
        const std::string path = corporaDir() + "/wmf-emf/libwmf-examples/" + name + ".wmf";
        const Rgb8 reference = magickDecode(path);
        ASSERT_GT(reference.width, 0) << name;
        ZvImage image;
        ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_WMF)) << name;
        ASSERT_TRUE(image.Resample(reference.width, reference.height, 0));
        EXPECT_LT(meanDifference(toRgb(image), reference), 12.0) << name;
    }
}

TEST(WmfCorpus, EveryMappingModeGivesTheSamePicture)
{
    ZV_REQUIRE_CORPUS("wmf-emf");
    // The same drawing in each mapping mode (metric, English, twips, text,
    // isotropic, anisotropic), with a frame to match.
    const std::string dir = corporaDir() + "/wmf-emf/libuemf-ref/";
    ZvImage text;
    ASSERT_TRUE(text.Load((dir + "test_mm_text_ref.emf").c_str(), ZV_TYPE_WMF));
    for (const char *mode : {"anisotropic", "hienglish", "himetric", "isotropic", "loenglish", "lometric", "twips"}) {
        ZvImage image;
        ASSERT_TRUE(image.Load((dir + "test_mm_" + mode + "_ref.emf").c_str(), ZV_TYPE_WMF)) << mode;
        EXPECT_LT(meanDifference(toRgb(image), toRgb(text)), 0.5) << mode;
    }
}

TEST(WmfRecords, WindowAndViewportPlaceAFilledRectangle)
{
    // Window 1000 units onto a viewport of 50 at (10, 20): the rectangle
    // (200, 200)-(600, 400) lands on pixels (20, 30)-(40, 40).
    WmfBuilder b = redNoPen();
    b.mapMode(8).windowOrg(0, 0).windowExt(1000, 1000).viewportOrg(10, 20).viewportExt(50, 50);
    b.rectangle(200, 200, 600, 400);
    const ZvImage image = decodeOk(placeable100(b));
    ASSERT_EQ(image.GetWidth(), 100u);
    ASSERT_EQ(image.GetHeight(), 100u);
    expectFilledRect(image, 20, 30, 40, 40, 0xFF0000);
}

TEST(WmfRecords, WindowWithUpwardYTurnsTheDrawingOver)
{
    // A window starting at y 100 with a negative height counts y upwards:
    // a rectangle low in logical units is high in the picture.
    WmfBuilder b = redNoPen();
    b.windowOrg(0, 100).windowExt(100, -100).rectangle(10, 20, 30, 10);
    const ZvImage image = decodeOk(placeable100(b));
    expectFilledRect(image, 10, 80, 30, 90, 0xFF0000);
}

TEST(WmfRecords, PlaceableBoundsScaleByTheirUnitsPerInch)
{
    // 1440 units per inch: 2880 units are 192 pixels; the window equals the
    // bounds, so a rectangle over its right half fills the picture's.
    WmfBuilder b = redNoPen();
    b.windowOrg(0, 0).windowExt(2880, 1440).rectangle(1440, 0, 2880, 1440);
    const ZvImage image = decodeOk(b.placeable(0, 0, 2880, 1440, 1440));
    ASSERT_EQ(image.GetWidth(), 192u);
    ASSERT_EQ(image.GetHeight(), 96u);
    EXPECT_EQ(at(image, 95, 48), 0xFFFFFFu);
    EXPECT_EQ(at(image, 96, 48), 0xFF0000u);
    EXPECT_EQ(at(image, 191, 95), 0xFF0000u);
}

TEST(WmfRecords, PlainMetafileTakesItsFirstWindowOrWhatItDraws)
{
    // A window in twips: 2880 x 1440 are 2 x 1 inches.
    WmfBuilder windowed = redNoPen();
    windowed.windowOrg(0, 0).windowExt(2880, 1440).rectangle(0, 0, 1440, 1440);
    const ZvImage a = decodeOk(windowed.plain());
    EXPECT_EQ(a.GetWidth(), 192u);
    EXPECT_EQ(a.GetHeight(), 96u);
    EXPECT_EQ(at(a, 10, 10), 0xFF0000u);
    EXPECT_EQ(at(a, 150, 10), 0xFFFFFFu);

    // No window: the picture is what is drawn, in pixels.
    WmfBuilder bare = redNoPen();
    bare.rectangle(50, 60, 90, 80).ellipse(70, 70, 130, 100);
    const ZvImage b = decodeOk(bare.plain());
    EXPECT_EQ(b.GetWidth(), 80u);
    EXPECT_EQ(b.GetHeight(), 40u);
    EXPECT_EQ(at(b, 0, 0), 0xFF0000u);
}

TEST(WmfRecords, SaveAndRestoreBringBackObjectsMappingAndClip)
{
    WmfBuilder b;
    b.solidBrush(kRed).solidBrush(kBlue).nullPen().select(2);
    b.select(0).saveDc().select(1).windowOrg(50, 0).intersectClip(0, 0, 1, 1).restoreDc(-1);
    b.rectangle(10, 10, 30, 30);   // red, unshifted, unclipped
    // Restoring to the first save by its number, and a restore beyond the
    // saves (refused, nothing changes).
    b.saveDc().select(1).saveDc().select(0).restoreDc(1).restoreDc(-5).rectangle(50, 10, 70, 30);
    const ZvImage image = decodeOk(placeable100(b));
    expectFilledRect(image, 10, 10, 30, 30, 0xFF0000);
    expectFilledRect(image, 50, 10, 70, 30, 0xFF0000);
}

TEST(WmfRecords, ClipRectanglesLimitDrawing)
{
    WmfBuilder b = redNoPen();
    b.saveDc().intersectClip(10, 10, 50, 50).excludeClip(20, 20, 30, 30).rectangle(0, 0, 100, 100).restoreDc(-1);
    b.solidBrush(kBlue).select(2).rectangle(60, 60, 80, 80);   // after the restore: unclipped
    const ZvImage image = decodeOk(placeable100(b));
    EXPECT_EQ(at(image, 9, 30), 0xFFFFFFu);
    EXPECT_EQ(at(image, 10, 10), 0xFF0000u);
    EXPECT_EQ(at(image, 49, 49), 0xFF0000u);
    EXPECT_EQ(at(image, 50, 30), 0xFFFFFFu);
    EXPECT_EQ(at(image, 25, 25), 0xFFFFFFu);   // excluded
    EXPECT_EQ(at(image, 31, 25), 0xFF0000u);
    expectFilledRect(image, 60, 60, 80, 80, 0x0000FF);
}

TEST(WmfRecords, ObjectsFillTheLowestFreeSlotAndBadIndicesAreIgnored)
{
    WmfBuilder b;
    b.solidBrush(kRed).solidBrush(kGreen).nullPen();   // 0, 1, 2
    b.deleteObject(0).solidBrush(kBlue);                // takes slot 0
    b.select(2).select(0).rectangle(10, 10, 30, 30);
    b.select(999).deleteObject(999).select(-1).rectangle(50, 10, 70, 30);   // still blue
    const ZvImage image = decodeOk(placeable100(b));
    expectFilledRect(image, 10, 10, 30, 30, 0x0000FF);
    expectFilledRect(image, 50, 10, 70, 30, 0x0000FF);
}

TEST(WmfRecords, PenOutlinesAndPolygonFillModes)
{
    // A 4-unit green pen around a red square; then a square gone round
    // twice, empty inside when filled alternately, full with winding fill.
    WmfBuilder b;
    b.solidBrush(kRed).select(0).pen(0, 4, kGreen).select(1).rectangle(10, 10, 40, 40);
    b.nullPen().select(2);
    b.record(0x0324, {8, 60, 10, 90, 10, 90, 40, 60, 40, 60, 10, 90, 10, 90, 40, 60, 40});
    b.record(0x0106, {2});
    b.record(0x0324, {8, 60, 60, 90, 60, 90, 90, 60, 90, 60, 60, 90, 60, 90, 90, 60, 90});
    const ZvImage image = decodeOk(placeable100(b));
    EXPECT_EQ(at(image, 10, 25), 0x00FF00u);
    EXPECT_EQ(at(image, 25, 25), 0xFF0000u);
    EXPECT_EQ(at(image, 5, 25), 0xFFFFFFu);
    EXPECT_EQ(at(image, 75, 25), 0xFFFFFFu);
    EXPECT_EQ(at(image, 75, 75), 0xFF0000u);
}

TEST(WmfRecords, StretchedDibKeepsItsRowOrder)
{
    // A 2 x 2 bottom-up DIB stretched over (20, 20)-(60, 60): red and white
    // on top, blue and green below.
    std::string params;
    putLe(params, 0x00CC0020, 4);   // SRCCOPY
    for (int w : {0, 2, 2, 0, 0, 40, 40, 20, 20})   // usage, source h w y x, dest h w y x
        putLe(params, std::uint16_t(w), 2);
    WmfBuilder b;
    b.raw(0x0F43, params + dib2x2());
    const ZvImage image = decodeOk(placeable100(b));
    EXPECT_EQ(at(image, 25, 25), 0xFF0000u);
    EXPECT_EQ(at(image, 55, 25), 0xFFFFFFu);
    EXPECT_EQ(at(image, 25, 55), 0x0000FFu);
    EXPECT_EQ(at(image, 55, 55), 0x00FF00u);
    EXPECT_EQ(at(image, 25, 65), 0xFFFFFFu);
}

TEST(WmfRecords, TextIsDrawnAtItsReferencePoint)
{
    // "H" of 40 units, top-left aligned at (10, 10) in a placeable picture.
    std::string font;
    for (int w : {-40, 0, 0, 0, 700})
        putLe(font, std::uint16_t(w), 2);
    font += std::string(8, '\0') + "Arial" + std::string(27, '\0');
    WmfBuilder b;
    b.raw(0x02FB, font).select(0).textColor(kBlue).record(0x0102, {1});
    std::string text;
    putLe(text, 1, 2);
    text += "H";
    text.push_back('\0');
    putLe(text, 10, 2);   // y
    putLe(text, 10, 2);   // x
    b.raw(0x0521, text);
    const ZvImage image = decodeOk(placeable100(b));
    std::size_t blue = 0, outside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool ink = at(image, x, y) != 0xFFFFFF;
            const bool inBox = x >= 10 && x < 45 && y >= 10 && y < 55;
            blue += ink && inBox && (at(image, x, y) & 0xFF) > 0xC0;
            outside += ink && !inBox;
        }
    EXPECT_GT(blue, 100u);
    EXPECT_EQ(outside, 0u);
}

TEST(WmfRecords, RecordsThatLieAreSkippedOrEndThePicture)
{
    // A polygon claiming 1000 points in a short record, a rectangle missing
    // parameters, an object index past the table: skipped; the drawing after
    // them still happens.
    WmfBuilder b = redNoPen();
    b.record(0x0324, {1000, 1, 2, 3, 4}).record(0x041B, {10}).select(40000).record(0x0538, {3, 2000});
    b.mapMode(8).windowExt(0, 0).windowExt(1, 32767).windowExt(100, 100);   // a zero extent is refused
    b.rectangle(10, 10, 30, 30);
    // Then a record claiming more words than the file has: the end.
    b.lying(0x041B, 0x7FFFFFFF, std::string(8, '\0'));
    const ZvImage image = decodeOk(placeable100(b));
    expectFilledRect(image, 10, 10, 30, 30, 0xFF0000);
}

TEST(WmfRecords, ManyLargeDrawingsAreBoundedWork)
{
    // 30000 thick ellipses over the whole of a large picture would take minutes;
    // the work budget ends the drawing well before.
    WmfBuilder b = redNoPen();
    b.pen(0, 2000, kBlue).select(2);
    for (int i = 0; i < 30000; ++i)
        b.ellipse(-30000, -30000, 30000, 30000);
    const auto start = std::chrono::steady_clock::now();
    const ZvImage image = decodeOk(b.placeable(0, 0, 2048, 2048, 96));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(image.GetWidth(), 2048u);
    EXPECT_LT(seconds, 60.0);
}

TEST(WmfDecode, RefusalsAndSize)
{
    EXPECT_EQ(decodeError(""), "empty WMF");
    EXPECT_EQ(decodeError("GIF89a and then some more bytes of a picture"), "corrupted WMF");
    EXPECT_EQ(decodeError(redNoPen().rectangle(0, 0, 10, 10).placeable(0, 0, 0, 100, 96)), "empty WMF");
    EXPECT_EQ(decodeError(WmfBuilder().plain()), "empty WMF");                       // no records
    EXPECT_EQ(decodeError(WmfBuilder().placeable(0, 0, 100, 100, 96).substr(0, 30)), "corrupted WMF");

    // Absurd bounds are capped on the long side, keeping the aspect.
    const ZvImage big = decodeOk(redNoPen().rectangle(0, 0, 32767, 10000).placeable(-32768, 0, 32767, 16384, 1));
    EXPECT_EQ(big.GetWidth(), ZvImageWMF::GetMaxSide());
    EXPECT_EQ(big.GetHeight(), 1024u);

    ZvImage image = decodeOk(placeable100(redNoPen().rectangle(0, 0, 10, 10)));
    EXPECT_EQ(encodeBytes(image, ZV_TYPE_WMF), "");
    EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(placeable100(redNoPen().rectangle(0, 0, 10, 10)), ZV_TYPE_WMF, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");

    // Content sniffing finds a metafile among the other formats.
    ZvImage sniffed;
    ASSERT_TRUE(decodeBytes(placeable100(redNoPen().rectangle(0, 0, 10, 10)), ZV_TYPE_UNKNOWN, sniffed));
    EXPECT_EQ(sniffed.GetType(), std::uint32_t(ZV_TYPE_WMF));
}

TEST(EmfRecords, FrameWorldTransformAndSixteenBitPolygons)
{
    EmfBuilder b;
    b.solidBrush(1, kRed).select(1).nullPen().rectangle(10, 10, 30, 20);
    // Scaled by 2 and moved by (40, 0): (10, 30)-(20, 40) lands on (60, 60)-(80, 80).
    const std::string xform = [] {
        std::string s;
        for (float f : {2.0f, 0.0f, 0.0f, 2.0f, 40.0f, 0.0f}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            putLe(s, bits, 4);
        }
        return s;
    }();
    b.raw(35, xform).solidBrush(2, kBlue).select(2).rectangle(10, 30, 20, 40);
    b.raw(35, [] {
        std::string s;
        for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            putLe(s, bits, 4);
        }
        return s;
    }());
    // A 16-bit polygon: a triangle with its right angle at (10, 50).
    std::string poly;
    putLe(poly, 0, 16);
    putLe(poly, 3, 4);
    for (int v : {10, 50, 40, 50, 10, 80})
        putLe(poly, std::uint16_t(v), 2);
    b.select(1).raw(86, poly);
    const ZvImage image = decodeOk(b.file(2540, 2540));
    ASSERT_EQ(image.GetWidth(), 96u);
    ASSERT_EQ(image.GetHeight(), 96u);
    expectFilledRect(image, 10, 10, 30, 20, 0xFF0000);
    expectFilledRect(image, 60, 60, 80, 80, 0x0000FF);
    EXPECT_EQ(at(image, 12, 52), 0xFF0000u);
    EXPECT_EQ(at(image, 35, 75), 0xFFFFFFu);
}

TEST(EmfRecords, MetricModeCountsUpwardsFromTheViewport)
{
    // Hundredths of millimetres, y up: 2.54 mm are 9.6 pixels. The origin
    // sits at viewport (0, 96), so positive y goes up from the bottom.
    EmfBuilder b;
    b.record(17, {3}).record(12, {0, 96}).solidBrush(1, kGreen).select(1).nullPen();
    b.rectangle(254 * 2, 254 * 2, 254 * 4, 254 * 4);   // x 19.2..38.4, y from bottom 19.2..38.4
    const ZvImage image = decodeOk(b.file(2540, 2540));
    EXPECT_EQ(at(image, 25, 96 - 25), 0x00FF00u);
    EXPECT_EQ(at(image, 25, 25), 0xFFFFFFu);
    EXPECT_EQ(at(image, 17, 96 - 25), 0xFFFFFFu);
}

TEST(EmfRecords, PathsClipRegionsAndBitmaps)
{
    EmfBuilder b;
    b.solidBrush(1, kBlue).select(1).nullPen();
    // A path (a square) selected as the clip, then a large rectangle.
    b.record(59, {}).record(27, {10, 10}).record(54, {40, 10}).record(54, {40, 40}).record(54, {10, 40});
    b.record(61, {}).record(60, {}).record(67, {5});   // RGN_COPY
    b.rectangle(0, 0, 96, 96);
    // Clip region data replaced by nothing: clipping ends.
    b.record(75, {0, 5});
    // StretchDIBits of the 2 x 2 DIB over (50, 50)-(90, 90).
    const std::string dib = dib2x2();
    std::string blit;
    putLe(blit, 0, 16);                       // bounds
    for (int v : {50, 50, 0, 0, 2, 2})        // dest x y, source x y w h
        putLe(blit, std::uint32_t(v), 4);
    const std::uint32_t offBmi = 80, cbBmi = 40, offBits = 120, cbBits = std::uint32_t(dib.size() - 40);
    for (std::uint32_t v : {offBmi, cbBmi, offBits, cbBits, 0u, 0x00CC0020u, 40u, 40u})
        putLe(blit, v, 4);
    b.raw(81, blit + dib);
    const ZvImage image = decodeOk(b.file(2540, 2540));
    expectFilledRect(image, 10, 10, 40, 40, 0x0000FF);
    EXPECT_EQ(at(image, 55, 55), 0xFF0000u);
    EXPECT_EQ(at(image, 85, 85), 0x00FF00u);
}

TEST(EmfRecords, HostileRecordsAreSkipped)
{
    EmfBuilder b;
    b.solidBrush(1, kRed).select(1).nullPen();
    std::string poly;
    putLe(poly, 0, 16);
    putLe(poly, 0xFFFFFFFF, 4);   // four thousand million points in a few bytes
    putLe(poly, 0, 8);
    b.raw(3, poly).raw(86, poly);
    b.record(8, {0, 0, 0, 0, 0x40000000, 0x40000000, 3});   // poly-polygon with huge counts
    b.select(0x7FFFFFFF).record(40, {0xFFFFFFFF}).record(39, {70000, 0, 0, 0});
    b.record(34, {-100000}).record(34, {100000});   // restores beyond the saves
    b.record(75, {0xFFFFFF00, 1});                  // region data past the record
    b.rectangle(10, 10, 30, 30);
    const ZvImage image = decodeOk(b.file(2540, 2540));
    expectFilledRect(image, 10, 10, 30, 30, 0xFF0000);
}

TEST(EmfPlusRecords, PlayedWhenThePlainRecordsDoNotDraw)
{
    using P = EmfPlusRecords;
    P plus;
    plus.header(false);
    // A red rectangle by colour; a pen object (id 1: 4 pixels, blue) drawing
    // lines; a path object (id 2) filled through a clip rectangle, moved
    // by a world translation.
    plus.record(0x400A, 0x8000, P::u32(0xFFFF0000) + P::u32(1) + P::f32({10, 10, 20, 20}));
    plus.record(0x4008, 0x0201, P::u32(0xDBC01002) + P::u32(0) + P::u32(0) + P::u32(0) + P::f32({4}) +
                                     P::u32(0xDBC01002) + P::u32(0) + P::u32(0xFF0000FF));
    plus.record(0x400D, 0x0001, P::u32(2) + P::f32({50, 20, 90, 20}));
    std::string path = P::u32(0xDBC01002) + P::u32(4) + P::u32(0) + P::f32({0, 0, 40, 0, 40, 40, 0, 40});
    path += std::string("\x00\x01\x01\x81", 4);
    plus.record(0x4008, 0x0302, path);
    plus.record(0x402D, 0, P::f32({10, 50}));
    plus.record(0x4032, 0x0100, P::f32({0, 0, 20, 40}));   // intersect
    plus.record(0x4014, 0x8002, P::u32(0xFF00FF00));
    const ZvImage image = decodeOk(EmfBuilder().bytes(plus.comment()).file(2540, 2540));
    expectFilledRect(image, 10, 10, 30, 30, 0xFF0000);
    EXPECT_EQ(at(image, 70, 20), 0x0000FFu);
    EXPECT_EQ(at(image, 70, 25), 0xFFFFFFu);
    EXPECT_EQ(at(image, 15, 70), 0x00FF00u);
    EXPECT_EQ(at(image, 35, 70), 0xFFFFFFu);   // clipped away

    // A dual metafile with plain drawing is drawn by its plain records.
    EmfPlusRecords dual;
    dual.header(true).record(0x400A, 0x8000, P::u32(0xFFFF0000) + P::u32(1) + P::f32({10, 10, 20, 20}));
    EmfBuilder both;
    both.bytes(dual.comment()).solidBrush(1, kBlue).select(1).nullPen().rectangle(50, 50, 70, 70);
    const ZvImage plain = decodeOk(both.file(2540, 2540));
    EXPECT_EQ(at(plain, 15, 15), 0xFFFFFFu);
    expectFilledRect(plain, 50, 50, 70, 70, 0x0000FF);
}

TEST(MetafileCharset, CodePagesAndTheSymbolFont)
{
    const std::uint8_t euro = 0x80;
    EXPECT_EQ(MetaDecodeAnsi(&euro, 1, 0), QString(QChar(0x20AC)));
    const std::uint8_t cyrillic[] = {0xC0, 0xE1};
    EXPECT_EQ(MetaDecodeAnsi(cyrillic, 2, 204), QString::fromUtf8("Аб"));
    EXPECT_EQ(MetaSymbolToUnicode(QStringLiteral("abD")), QString::fromUtf8("αβΔ"));
    EXPECT_EQ(MetaSymbolToUnicode(QString(QChar(0xF0B4))), QString(QChar(0x00D7)));   // wide text's × sign
    LOGFONT lf;
    SetLogFontFaceName(lf, QStringLiteral("symbol"));
    EXPECT_TRUE(MetaIsSymbolFont(lf));
}
