// tests/imagelib/codec_wmf_test.cpp
#include "imagelib/codecs/wmf/codec_wmf.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_charset.h"
#include "imagelib/metafile/metafile_mapping.h"
#include "imagelib/metafile/metafile_region.h"
#include "platform/font_map.h"
#include "tests/imagelib/codec_roundtrip.h"
#include "tests/imagelib/metafile_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <random>

namespace {

constexpr std::uint32_t kRed = 0x0000FF; // colour references: 0x00BBGGRR
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
    return decodeError(bytes, ZV_TYPE_WMF);
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

// Ink inside and outside a box (top-left inclusive, bottom-right exclusive).
std::pair<std::size_t, std::size_t> inkInBox(const ZvImage &image, int left, int top, int right, int bottom)
{
    std::size_t in = 0, out = 0;
    for (int y = 0; y < int(image.GetHeight()); ++y)
        for (int x = 0; x < int(image.GetWidth()); ++x)
            if (at(image, x, y) != 0xFFFFFF)
                (x >= left && x < right && y >= top && y < bottom ? in : out) += 1;
    return {in, out};
}

// The leftmost and rightmost columns with ink.
std::pair<int, int> inkColumns(const ZvImage &image)
{
    int first = -1, last = -1;
    for (int x = 0; x < int(image.GetWidth()); ++x)
        for (int y = 0; y < int(image.GetHeight()); ++y)
            if (at(image, x, y) != 0xFFFFFF) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
    return {first, last};
}

bool near(std::uint32_t rgb, std::uint32_t expected, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((rgb >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// EXTTEXTOUTW at (x, y): bounds, graphics mode, scales, then the text record
// with its string right after it.
std::string emfTextW(int x, int y, const std::u16string &text)
{
    std::string r;
    putLe(r, 0, 16);
    putLe(r, 1, 4);
    putLe(r, 0, 8);
    putLe(r, std::uint32_t(x), 4);
    putLe(r, std::uint32_t(y), 4);
    putLe(r, text.size(), 4);
    putLe(r, 76, 4); // string offset from the record's start
    putLe(r, 0, 4);  // options
    putLe(r, 0, 16);
    putLe(r, 0, 4); // no advances
    for (char16_t c : text)
        putLe(r, c, 2);
    while (r.size() % 4)
        r.push_back('\0');
    return r;
}

std::string emfFont(std::uint32_t handle, int height, const std::u16string &face)
{
    std::string r;
    putLe(r, handle, 4);
    putLe(r, std::uint32_t(height), 4);
    putLe(r, 0, 12);
    putLe(r, 400, 4);
    putLe(r, 0, 8);
    for (std::size_t i = 0; i < 32; ++i)
        putLe(r, i < face.size() ? face[i] : 0, 2);
    return r;
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
        {"2doorvan.wmf", {318, 116}},
        {"fjftest.wmf", {794, 1123}},
        {"formula1.wmf", {222, 41}},
        {"p0000001.wmf", {320, 119}},
        {"test_libuemf_ref.wmf", {1122, 794}},
        {"test_libuemf_ref.emf", {1122, 794}},
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
    for (const char *mode :
         {"anisotropic", "hienglish", "himetric", "isotropic", "loenglish", "lometric", "twips"}) {
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
    b.rectangle(10, 10, 30, 30); // red, unshifted, unclipped
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
    b.saveDc()
        .intersectClip(10, 10, 50, 50)
        .excludeClip(20, 20, 30, 30)
        .rectangle(0, 0, 100, 100)
        .restoreDc(-1);
    b.solidBrush(kBlue).select(2).rectangle(60, 60, 80, 80); // after the restore: unclipped
    const ZvImage image = decodeOk(placeable100(b));
    EXPECT_EQ(at(image, 9, 30), 0xFFFFFFu);
    EXPECT_EQ(at(image, 10, 10), 0xFF0000u);
    EXPECT_EQ(at(image, 49, 49), 0xFF0000u);
    EXPECT_EQ(at(image, 50, 30), 0xFFFFFFu);
    EXPECT_EQ(at(image, 25, 25), 0xFFFFFFu); // excluded
    EXPECT_EQ(at(image, 31, 25), 0xFF0000u);
    expectFilledRect(image, 60, 60, 80, 80, 0x0000FF);
}

TEST(WmfRecords, ObjectsFillTheLowestFreeSlotAndBadIndicesAreIgnored)
{
    WmfBuilder b;
    b.solidBrush(kRed).solidBrush(kGreen).nullPen(); // 0, 1, 2
    b.deleteObject(0).solidBrush(kBlue);             // takes slot 0
    b.select(2).select(0).rectangle(10, 10, 30, 30);
    b.select(999).deleteObject(999).select(-1).rectangle(50, 10, 70, 30); // still blue
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
    putLe(params, 0x00CC0020, 4);                 // SRCCOPY
    for (int w : {0, 2, 2, 0, 0, 40, 40, 20, 20}) // usage, source h w y x, dest h w y x
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
    putLe(text, 10, 2); // y
    putLe(text, 10, 2); // x
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
    b.mapMode(8).windowExt(0, 0).windowExt(1, 32767).windowExt(100, 100); // a zero extent is refused
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

TEST(WmfRecords, ArcsRunCounterClockwiseOnThePicture)
{
    // A pie from the right (start) to the top (end): the upper right quarter.
    WmfBuilder up = redNoPen();
    up.record(0x081A, {20, 50, 50, 80, 80, 80, 20, 20});
    const ZvImage a = decodeOk(placeable100(up));
    EXPECT_EQ(at(a, 65, 35), 0xFF0000u);
    EXPECT_EQ(at(a, 35, 35), 0xFFFFFFu);
    EXPECT_EQ(at(a, 65, 65), 0xFFFFFFu);
    // With y counting upwards the end point lies at the bottom of the
    // picture; counter-clockwise from the right to the bottom leaves only
    // the lower right quarter empty.
    WmfBuilder flipped = redNoPen();
    flipped.windowOrg(0, 100).windowExt(100, -100).record(0x081A, {20, 50, 50, 80, 80, 80, 20, 20});
    const ZvImage b = decodeOk(placeable100(flipped));
    EXPECT_EQ(at(b, 65, 35), 0xFF0000u);
    EXPECT_EQ(at(b, 35, 35), 0xFF0000u);
    EXPECT_EQ(at(b, 35, 65), 0xFF0000u);
    EXPECT_EQ(at(b, 65, 65), 0xFFFFFFu);
    // Clockwise (EMF) from the right to the top: three quarters.
    EmfBuilder cw;
    cw.solidBrush(1, kRed).select(1).nullPen().record(57, {2}).record(47, {20, 20, 80, 80, 80, 50, 50, 20});
    const ZvImage c = decodeOk(cw.file(2540, 2540));
    EXPECT_EQ(at(c, 65, 35), 0xFFFFFFu);
    EXPECT_EQ(at(c, 35, 35), 0xFF0000u);
    EXPECT_EQ(at(c, 65, 65), 0xFF0000u);
}

TEST(WmfRecords, RasterOperationsOfPensAndBlits)
{
    // XOR drawing twice leaves the picture as it was; once, white turns to
    // the complement of red.
    WmfBuilder b = redNoPen();
    b.record(0x0104, {7}).rectangle(10, 10, 30, 30).rectangle(10, 10, 30, 30).rectangle(50, 10, 70, 30);
    b.record(0x0104, {13});
    // Pattern operations (rop, height, width, y, x): the brush, an inverted
    // destination, black.
    b.record(0x061D, {0x0021, 0x00F0, 20, 20, 50, 10}); // PATCOPY
    b.record(0x061D, {0x0009, 0x0055, 10, 10, 55, 15}); // DSTINVERT
    b.record(0x061D, {0x0042, 0x0000, 20, 20, 80, 50}); // BLACKNESS
    const ZvImage image = decodeOk(placeable100(b));
    EXPECT_EQ(at(image, 20, 20), 0xFFFFFFu);
    EXPECT_EQ(at(image, 60, 20), 0x00FFFFu);
    EXPECT_EQ(at(image, 12, 55), 0xFF0000u);
    EXPECT_EQ(at(image, 28, 67), 0xFF0000u); // beside the inversion
    EXPECT_EQ(at(image, 20, 57), 0x00FFFFu); // red inverted
    EXPECT_EQ(at(image, 60, 90), 0x000000u);

    // SRCAND of the 2 x 2 DIB over red: red and white keep red, blue and
    // green turn black.
    std::string params;
    putLe(params, 0x008800C6, 4);
    for (int w : {0, 2, 2, 0, 0, 40, 40, 20, 20})
        putLe(params, std::uint16_t(w), 2);
    WmfBuilder masked = redNoPen();
    masked.rectangle(0, 0, 100, 100).raw(0x0F43, params + dib2x2());
    const ZvImage m = decodeOk(placeable100(masked));
    EXPECT_EQ(at(m, 25, 25), 0xFF0000u);
    EXPECT_EQ(at(m, 55, 25), 0xFF0000u);
    EXPECT_EQ(at(m, 25, 55), 0x000000u);
    EXPECT_EQ(at(m, 55, 55), 0x000000u);
}

TEST(WmfRecords, RegionsFillAndClip)
{
    // A region of one scan (y 10..30) holding two spans: 10..20 and 40..50.
    std::string region;
    for (int w :
         {0, 6, 0, 0, 0, 1, 0, 10, 10, 50, 30}) // next, type, count (2 words), size, scans, max, bounds
        putLe(region, std::uint16_t(w), 2);
    for (int w : {4, 10, 30, 10, 20, 40, 50, 4})
        putLe(region, std::uint16_t(w), 2);
    WmfBuilder b;
    b.raw(0x06FF, region).solidBrush(kBlue).nullPen().select(2);      // region 0, brush 1
    b.record(0x0228, {0, 1});                                         // fill region 0 with brush 1
    b.solidBrush(kRed).select(3).select(0).rectangle(0, 50, 100, 80); // clipped to the region: nothing
    b.record(0x012C, {9}).rectangle(0, 85, 100, 95);                  // not a region: clipping ends
    const ZvImage image = decodeOk(placeable100(b));
    expectFilledRect(image, 10, 10, 20, 30, 0x0000FF);
    expectFilledRect(image, 40, 10, 50, 30, 0x0000FF);
    EXPECT_EQ(at(image, 30, 20), 0xFFFFFFu);
    EXPECT_EQ(at(image, 50, 60), 0xFFFFFFu);
    EXPECT_EQ(at(image, 50, 90), 0xFF0000u);

    // EMF: region data in device units, and a clip made by taking a hole out.
    std::string data;
    for (std::uint32_t v : {32u, 1u, 2u, 32u, 0u, 0u, 0u, 0u, 10u, 10u, 20u, 20u, 40u, 10u, 50u, 20u})
        putLe(data, v, 4);
    EmfBuilder e;
    e.solidBrush(1, kGreen).nullPen().record(71, {0, 0, 0, 0, std::int64_t(data.size()), 1});
    std::string fill;
    putLe(fill, 0, 16);
    putLe(fill, data.size(), 4);
    putLe(fill, 1, 4);
    e.raw(71, fill + data);
    std::string clip;
    putLe(clip, data.size(), 4);
    putLe(clip, 4, 4); // RGN_DIFF
    e.raw(75, clip + data).select(1).rectangle(0, 50, 96, 96).rectangle(0, 0, 96, 30);
    const ZvImage g = decodeOk(e.file(2540, 2540));
    EXPECT_EQ(at(g, 15, 15), 0x00FF00u);
    EXPECT_EQ(at(g, 45, 15), 0x00FF00u);
    EXPECT_EQ(at(g, 30, 25), 0x00FF00u);
    EXPECT_EQ(at(g, 30, 60), 0x00FF00u);
}

TEST(WmfRecords, HatchBackgroundFollowsTheBackgroundMode)
{
    // A blue cross hatch on green (opaque) leaves no white inside; drawn
    // transparently it leaves white between the lines.
    WmfBuilder b;
    b.record(0x02FC, {2, 0, 0xFF, 4}).select(0).nullPen().select(1).record(0x0201, {0xFF00, 0});
    b.record(0x0102, {2}).rectangle(10, 10, 40, 40).record(0x0102, {1}).rectangle(60, 10, 90, 40);
    const ZvImage image = decodeOk(placeable100(b));
    std::size_t whiteOpaque = 0, whiteClear = 0, blue = 0;
    for (int y = 12; y < 38; ++y)
        for (int x = 12; x < 38; ++x) {
            whiteOpaque += at(image, x, y) == 0xFFFFFF;
            whiteClear += at(image, x + 50, y) == 0xFFFFFF;
            blue += at(image, x + 50, y) == 0x0000FF;
        }
    EXPECT_EQ(whiteOpaque, 0u);
    EXPECT_GT(whiteClear, 300u);
    EXPECT_GT(blue, 50u);
}

TEST(WmfRecords, PaletteIndicesAndBitmapSourceRectangles)
{
    // A 1-bit DIB whose colour table names palette entries: a palette of
    // red and green, index 1 everywhere: green.
    std::string palette;
    for (int w : {0x0300, 2})
        putLe(palette, std::uint16_t(w), 2);
    palette += std::string("\xFF\x00\x00\x00\x00\xFF\x00\x00", 8);
    std::string dib;
    for (std::uint32_t v : {40u, 2u, 2u})
        putLe(dib, v, 4);
    putLe(dib, 1, 2);
    putLe(dib, 1, 2);
    putLe(dib, 0, 24);
    putLe(dib, 1, 2); // colour table: palette indices 1, 1
    putLe(dib, 1, 2);
    dib += std::string("\x00\x00\x00\x00\x00\x00\x00\x00", 8);
    std::string params;
    putLe(params, 0x00CC0020, 4);
    for (int w : {1, 2, 2, 0, 0, 20, 20, 10, 10})
        putLe(params, std::uint16_t(w), 2);
    WmfBuilder b;
    b.raw(0x00F7, palette).record(0x0234, {0}).raw(0x0F43, params + dib);
    // The bottom-left source pixel of the bottom-up 2 x 2 DIB (blue), from
    // the DIB's own origin, over (50, 50)-(70, 70).
    std::string one;
    putLe(one, 0x00CC0020, 4);
    for (int w : {0, 1, 1, 0, 0, 20, 20, 50, 50})
        putLe(one, std::uint16_t(w), 2);
    b.raw(0x0F43, one + dib2x2());
    const ZvImage image = decodeOk(placeable100(b));
    EXPECT_EQ(at(image, 20, 20), 0x00FF00u);
    expectFilledRect(image, 50, 50, 70, 70, 0x0000FF);
}

TEST(EmfRecords, IsotropicMappingKeepsTheAspect)
{
    // A window of 100 x 50 onto a 96 x 96 viewport: one scale, 0.96.
    EmfBuilder b;
    b.record(17, {7}).record(9, {100, 50}).record(11, {96, 96}).solidBrush(1, kRed).select(1).nullPen();
    b.rectangle(0, 0, 100, 50);
    const ZvImage image = decodeOk(b.file(2540, 2540));
    EXPECT_EQ(at(image, 90, 40), 0xFF0000u);
    EXPECT_EQ(at(image, 50, 50), 0xFFFFFFu);
}

TEST(EmfRecords, TextAlignmentAndCurrentPosition)
{
    EmfBuilder centred;
    centred.raw(82, emfFont(1, -30, u"Arial")).select(1).record(18, {1}).record(22, {6 | 24});
    centred.raw(84, emfTextW(48, 60, u"HH"));
    const ZvImage a = decodeOk(centred.file(2540, 2540));
    const auto [left, right] = inkColumns(a);
    EXPECT_NEAR((left + right) / 2.0, 48, 2);
    const auto [in, out] = inkInBox(a, 0, 30, 96, 61); // above the baseline (with its smoothed row)
    EXPECT_GT(in, 100u);
    EXPECT_EQ(out, 0u);

    // With the current position updated, the second run starts where the
    // first ended (and the reference points are ignored).
    EmfBuilder cp;
    cp.raw(82, emfFont(1, -20, u"Arial")).select(1).record(18, {1}).record(22, {1}).record(27, {5, 10});
    cp.raw(84, emfTextW(0, 0, u"II"));
    const ZvImage once = decodeOk(cp.file(2540, 2540));
    cp.raw(84, emfTextW(0, 0, u"II"));
    const ZvImage twice = decodeOk(cp.file(2540, 2540));
    EXPECT_GE(inkColumns(once).first, 5);
    EXPECT_GT(inkColumns(twice).second, inkColumns(once).second + 3);
    EXPECT_EQ(inkColumns(twice).first, inkColumns(once).first);
}

TEST(EmfRecords, AlphaBlendWithConstantAlpha)
{
    // Half of a red 2 x 2 DIB over white.
    std::string dib;
    for (std::uint32_t v : {40u, 2u, 2u})
        putLe(dib, v, 4);
    putLe(dib, 1, 2);
    putLe(dib, 24, 2);
    putLe(dib, 0, 24);
    for (int row = 0; row < 2; ++row)
        dib += std::string("\x00\x00\xFF\x00\x00\xFF\x00\x00", 8);
    std::string r;
    putLe(r, 0, 16);
    for (std::uint32_t v : {10u, 10u, 40u, 40u})
        putLe(r, v, 4);
    putLe(r, 0x00800000, 4); // AC_SRC_OVER, constant alpha 128
    putLe(r, 0, 8);
    r += EmfPlusRecords::f32({1, 0, 0, 1, 0, 0});
    for (std::uint32_t v : {0u, 0u, 108u, 40u, 148u, std::uint32_t(dib.size() - 40), 2u, 2u})
        putLe(r, v, 4);
    const ZvImage image = decodeOk(EmfBuilder().raw(114, r + dib).file(2540, 2540));
    EXPECT_TRUE(near(at(image, 30, 30), 0xFF7F7F, 3)) << std::hex << at(image, 30, 30);
    EXPECT_EQ(at(image, 60, 30), 0xFFFFFFu);
}

TEST(MetafileMapping, ModesScaleAndTurnTheAxes)
{
    MetaMapping m;
    m.setDeviceResolution(10, 10); // device units per millimetre
    m.setWindowOrg(QPointF(5, 5));
    m.setViewportOrg(QPointF(100, 200));
    EXPECT_EQ(m.toDevice().map(QPointF(15, 25)), QPointF(110, 220)); // text: units are device units
    m.setMapMode(2);                                                 // tenths of millimetres, y up
    EXPECT_EQ(m.toDevice().map(QPointF(15, 25)), QPointF(110, 180));
    m.setMapMode(8);
    m.setWindowExt(QSizeF(10, 10));
    m.setViewportExt(QSizeF(30, -20));
    EXPECT_EQ(m.toDevice().map(QPointF(15, 25)), QPointF(130, 160));
    m.setMapMode(7); // the smaller scale on both axes
    EXPECT_EQ(m.toDevice().map(QPointF(15, 25)), QPointF(120, 160));
    m.setWindowExt(QSizeF(0, 10)); // refused
    EXPECT_EQ(m.windowExt(), QSizeF(10, 10));
    m.setWorld(QTransform::fromScale(2, 2)); // before the mapping
    EXPECT_EQ(m.toDevice().map(QPointF(10, 15)), QPointF(130, 150));
}

TEST(MetafileRegion, ManyRectanglesMakeTheSameRegionAsTheirUnion)
{
    // Beyond the count that is merged pairwise the rectangles are painted;
    // both ways must give the plain union, clipped to the picture.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pos(-20, 120), len(1, 30);
    for (int count : {100, 3000}) {
        MetaCanvas canvas(QSize(100, 100));
        QList<QRect> rects;
        QRegion expected;
        for (int i = 0; i < count; ++i) {
            rects.append(QRect(pos(random), pos(random), len(random), len(random)));
            expected += rects.back();
        }
        expected &= QRect(0, 0, 100, 100);
        EXPECT_TRUE(metaRegionFromRects(canvas, rects).xored(expected).isEmpty()) << count;
    }
}

TEST(WmfDecode, RefusalsAndSize)
{
    EXPECT_EQ(decodeError(""), "empty WMF");
    EXPECT_EQ(decodeError("GIF89a and then some more bytes of a picture"), "corrupted WMF");
    EXPECT_EQ(decodeError(redNoPen().rectangle(0, 0, 10, 10).placeable(0, 0, 0, 100, 96)), "empty WMF");
    EXPECT_EQ(decodeError(WmfBuilder().plain()), "empty WMF"); // no records
    EXPECT_EQ(decodeError(WmfBuilder().placeable(0, 0, 100, 100, 96).substr(0, 30)), "corrupted WMF");

    // Absurd bounds are capped on the long side, keeping the aspect.
    const ZvImage big =
        decodeOk(redNoPen().rectangle(0, 0, 32767, 10000).placeable(-32768, 0, 32767, 16384, 1));
    EXPECT_EQ(big.GetWidth(), ZvImageWMF::GetMaxSide());
    EXPECT_EQ(big.GetHeight(), 1024u);

    ZvImage image = decodeOk(placeable100(redNoPen().rectangle(0, 0, 10, 10)));
    EXPECT_EQ(encodeBytes(image, ZV_TYPE_WMF), "");
    EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(placeable100(redNoPen().rectangle(0, 0, 10, 10)), ZV_TYPE_WMF, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");

    // Content sniffing finds each kind of metafile among the other formats.
    for (const std::string &bytes :
         {placeable100(redNoPen().rectangle(0, 0, 10, 10)), redNoPen().rectangle(0, 0, 10, 10).plain(),
          EmfBuilder().rectangle(0, 0, 10, 10).file(2540, 2540)}) {
        ZvImage sniffed;
        ASSERT_TRUE(decodeBytes(bytes, ZV_TYPE_UNKNOWN, sniffed));
        EXPECT_EQ(sniffed.GetType(), std::uint32_t(ZV_TYPE_WMF));
    }
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

// A triangle with a 4-pixel outline whose lower corners lie `reach` pixels
// away, and a dashed line coming in from the left `extra` pixels further out.
std::string farReachingDrawings(int reach, int extra)
{
    EmfBuilder b;
    b.solidBrush(1, kRed).select(1).record(38, {2, 0, 4, 0, kGreen}).select(2);
    b.record(3, {0, 0, 0, 0, 3, 48, 20, 48 - reach, 20 + reach, 48 + reach, 20 + reach});
    b.record(38, {3, 1, 2, 0, kBlue}).select(3);
    b.record(4, {0, 0, 0, 0, 2, -100 - extra, 80, 90, 80});
    return b.file(2540, 2540);
}

TEST(EmfRecords, DrawingsReachingFarOutShowAsTheirNearTwins)
{
    // Drawn as they are, the far corners cost the rasteriser seconds; cut to
    // the picture they must show the same: the same edges, the outline's
    // joins and the dashes' phase (720720 pen widths is a whole number of
    // periods of every dash pattern).
    const ZvImage near = decodeOk(farReachingDrawings(200, 0));
    const ZvImage far = decodeOk(farReachingDrawings(3'000'000, 2 * 720720));
    ASSERT_EQ(far.GetWidth(), near.GetWidth());
    int differing = 0;
    for (int y = 0; y < int(near.GetHeight()); ++y) {
        for (int x = 0; x < int(near.GetWidth()); ++x) {
            const std::uint32_t a = at(near, x, y);
            const std::uint32_t b = at(far, x, y);
            for (int shift : {0, 8, 16})
                differing += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 8;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(at(far, 48, 40), 0xFF0000u);
    EXPECT_EQ(at(far, 20, 20), 0xFFFFFFu);
}

TEST(EmfRecords, MetricModeCountsUpwardsFromTheViewport)
{
    // Hundredths of millimetres, y up: 2.54 mm are 9.6 pixels. The origin
    // sits at viewport (0, 96), so positive y goes up from the bottom.
    EmfBuilder b;
    b.record(17, {3}).record(12, {0, 96}).solidBrush(1, kGreen).select(1).nullPen();
    b.rectangle(254 * 2, 254 * 2, 254 * 4, 254 * 4); // x 19.2..38.4, y from bottom 19.2..38.4
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
    b.record(61, {}).record(60, {}).record(67, {5}); // RGN_COPY
    b.rectangle(0, 0, 96, 96);
    // Clip region data replaced by nothing: clipping ends.
    b.record(75, {0, 5});
    // StretchDIBits of the 2 x 2 DIB over (50, 50)-(90, 90).
    const std::string dib = dib2x2();
    std::string blit;
    putLe(blit, 0, 16);                // bounds
    for (int v : {50, 50, 0, 0, 2, 2}) // dest x y, source x y w h
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
    putLe(poly, 0xFFFFFFFF, 4); // four thousand million points in a few bytes
    putLe(poly, 0, 8);
    b.raw(3, poly).raw(86, poly);
    b.record(8, {0, 0, 0, 0, 0x40000000, 0x40000000, 3}); // poly-polygon with huge counts
    b.select(0x7FFFFFFF).record(40, {0xFFFFFFFF}).record(39, {70000, 0, 0, 0});
    b.record(34, {-100000}).record(34, {100000}); // restores beyond the saves
    b.record(75, {0xFFFFFF00, 1});                // region data past the record
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
    plus.record(0x4008, 0x0201,
                P::u32(0xDBC01002) + P::u32(0) + P::u32(0) + P::u32(0) + P::f32({4}) + P::u32(0xDBC01002) +
                    P::u32(0) + P::u32(0xFF0000FF));
    plus.record(0x400D, 0x0001, P::u32(2) + P::f32({50, 20, 90, 20}));
    std::string path = P::u32(0xDBC01002) + P::u32(4) + P::u32(0) + P::f32({0, 0, 40, 0, 40, 40, 0, 40});
    path += std::string("\x00\x01\x01\x81", 4);
    plus.record(0x4008, 0x0302, path);
    plus.record(0x402D, 0, P::f32({10, 50}));
    plus.record(0x4032, 0x0100, P::f32({0, 0, 20, 40})); // intersect
    plus.record(0x4014, 0x8002, P::u32(0xFF00FF00));
    const ZvImage image = decodeOk(EmfBuilder().bytes(plus.comment()).file(2540, 2540));
    expectFilledRect(image, 10, 10, 30, 30, 0xFF0000);
    EXPECT_EQ(at(image, 70, 20), 0x0000FFu);
    EXPECT_EQ(at(image, 70, 25), 0xFFFFFFu);
    EXPECT_EQ(at(image, 15, 70), 0x00FF00u);
    EXPECT_EQ(at(image, 35, 70), 0xFFFFFFu); // clipped away

    // A dual metafile with plain drawing is drawn by its plain records.
    EmfPlusRecords dual;
    dual.header(true).record(0x400A, 0x8000, P::u32(0xFFFF0000) + P::u32(1) + P::f32({10, 10, 20, 20}));
    EmfBuilder both;
    both.bytes(dual.comment()).solidBrush(1, kBlue).select(1).nullPen().rectangle(50, 50, 70, 70);
    const ZvImage plain = decodeOk(both.file(2540, 2540));
    EXPECT_EQ(at(plain, 15, 15), 0xFFFFFFu);
    expectFilledRect(plain, 50, 50, 70, 70, 0x0000FF);
}

TEST(EmfPlusRecords, ImagesAndStrings)
{
    using P = EmfPlusRecords;
    P plus;
    plus.header(false);
    // A 2 x 2 bitmap of 32-bit pixels, top row first: red, green; blue, white.
    std::string bitmap =
        P::u32(0xDBC01002) + P::u32(1) + P::u32(2) + P::u32(2) + P::u32(8) + P::u32(0x00022009) + P::u32(0);
    bitmap += std::string("\x00\x00\xFF\x00\x00\xFF\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\x00", 16);
    plus.record(0x4008, 0x0503, bitmap);
    plus.record(0x401A, 0x0003, P::u32(0) + P::u32(2) + P::f32({0, 0, 2, 2, 10, 10, 40, 40}));
    // A compressed picture (PNG, magenta) drawn over a parallelogram's
    // corners: a square.
    ZvImage magenta(2, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            magenta.SetPixelColor(x, y, RGBQUAD{255, 0, 255, 0});
    const std::string png = encodeBytes(magenta, ZV_TYPE_PNG);
    ASSERT_FALSE(png.empty());
    std::string compressed =
        P::u32(0xDBC01002) + P::u32(1) + P::u32(2) + P::u32(2) + P::u32(0) + P::u32(0) + P::u32(1) + png;
    while (compressed.size() % 4)
        compressed.push_back('\0');
    plus.record(0x4008, 0x0504, compressed);
    plus.record(0x401B, 0x0004,
                P::u32(0) + P::u32(2) + P::f32({0, 0, 2, 2}) + P::u32(3) + P::f32({60, 10, 90, 10, 60, 40}));
    // A font of 20 pixels and a string from the top-left of its em square.
    std::string font = P::u32(0xDBC01002) + P::f32({20}) + P::u32(2) + P::u32(0) + P::u32(0) + P::u32(5);
    for (char16_t c : std::u16string(u"Arial\0", 6))
        putLe(font, c, 2);
    plus.record(0x4008, 0x0605, font);
    std::string text = P::u32(0xFF0000FF) + P::u32(63) + P::u32(2) + P::f32({10, 60, 0, 0});
    putLe(text, u'H', 2);
    putLe(text, u'H', 2);
    plus.record(0x401C, 0x8005, text);
    const ZvImage image = decodeOk(EmfBuilder().bytes(plus.comment()).file(2540, 2540));
    EXPECT_EQ(at(image, 15, 15), 0xFF0000u);
    EXPECT_EQ(at(image, 45, 15), 0x00FF00u);
    EXPECT_EQ(at(image, 15, 45), 0x0000FFu);
    EXPECT_EQ(at(image, 45, 45), 0xFFFFFFu);
    expectFilledRect(image, 60, 10, 90, 40, 0xFF00FF);
    // The text's ink lies in its box, and is all there is below the images.
    const std::size_t ink = inkInBox(image, 10, 60, 45, 85).first;
    EXPECT_GT(ink, 60u);
    EXPECT_EQ(inkInBox(image, 0, 52, 96, 96).first, ink);
}

TEST(EmfPlusRecords, HostileRecordsAreSkipped)
{
    using P = EmfPlusRecords;
    P plus;
    plus.header(false);
    plus.record(0x400A, 0x8000, P::u32(0xFFFF0000) + P::u32(0xFFFFFFFF) + P::f32({0, 0, 96, 96}));
    plus.record(0x4008, 0x0340, P::u32(0));                      // object id past the table
    plus.record(0x4008, 0x8301, P::u32(0xF0000000) + P::u32(0)); // a piece of a vast object
    plus.record(0x4008, 0x0302, P::u32(0xDBC01002) + P::u32(0x7FFFFFFF) + P::u32(0)); // path of 2^31 points
    plus.record(0x4014, 0x8002, P::u32(0xFF00FF00)); // fills the missing path
    plus.record(0x402F, 0, P::f32({std::nanf("")})); // rotation by no angle
    plus.record(0x4030, 0x0002, P::f32({-1}));       // page scale below zero
    plus.record(0x400A, 0x8000, P::u32(0xFFFF0000) + P::u32(1) + P::f32({10, 10, 20, 20}));
    const ZvImage image = decodeOk(EmfBuilder().bytes(plus.comment()).file(2540, 2540));
    expectFilledRect(image, 10, 10, 30, 30, 0xFF0000);

    // A record whose data would run past it ends the comment's records.
    std::string lying;
    putLe(lying, 0x400A, 2);
    putLe(lying, 0x8000, 2);
    putLe(lying, 12, 4);
    putLe(lying, 1000, 4);
    P broken;
    broken.header(false).raw(lying).record(0x400A, 0x8000,
                                           P::u32(0xFFFF0000) + P::u32(1) + P::f32({50, 50, 20, 20}));
    EXPECT_EQ(inked(decodeOk(EmfBuilder().bytes(broken.comment()).file(2540, 2540))), 0u);
}

TEST(MetafileCharset, CodePagesAndTheSymbolFont)
{
    const std::uint8_t euro = 0x80;
    EXPECT_EQ(MetaDecodeAnsi(&euro, 1, 0), QString(QChar(0x20AC)));
    const std::uint8_t cyrillic[] = {0xC0, 0xE1};
    EXPECT_EQ(MetaDecodeAnsi(cyrillic, 2, 204), QString::fromUtf8("Аб"));
    EXPECT_EQ(metaSymbolToUnicode(QStringLiteral("abD")), QString::fromUtf8("αβΔ"));
    EXPECT_EQ(metaSymbolToUnicode(QString(QChar(0xF0B4))), QString(QChar(0x00D7))); // wide text's × sign
    LOGFONT lf;
    SetLogFontFaceName(lf, QStringLiteral("symbol"));
    EXPECT_TRUE(metaIsSymbolFont(lf));
}
