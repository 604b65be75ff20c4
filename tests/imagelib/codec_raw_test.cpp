// tests/imagelib/codec_raw_test.cpp
// Camera RAW through tiny uncompressed DNG files written by the test
// (tests/support/dng_builder.h): no RAW encoder exists to make them.
#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/codecs/raw/codec_raw.h"
#include "imagelib/codecs/raw/raw_exif.h"
#include "imagelib/codecs/raw/raw_pixels.h"
#include "imagelib/core/photo_info.h"
#include "tests/imagelib/codec_roundtrip.h"
#include "tests/support/dng_builder.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace {

constexpr int kPreviewWidth = 16, kPreviewHeight = 12;
constexpr int kRawWidth = 64, kRawHeight = 48;

// A preview whose every pixel differs, and a grey mosaic with a bright
// block in its top-left corner.
DngSpec camera(int orientation)
{
    DngSpec spec;
    spec.orientation = orientation;
    spec.previewWidth = kPreviewWidth;
    spec.previewHeight = kPreviewHeight;
    for (int y = 0; y < kPreviewHeight; ++y) {
        for (int x = 0; x < kPreviewWidth; ++x) {
            spec.preview.push_back(std::uint8_t(x * 15));
            spec.preview.push_back(std::uint8_t(y * 20));
            spec.preview.push_back(std::uint8_t(255 - x * 7 - y * 5));
        }
    }
    spec.rawWidth = kRawWidth;
    spec.rawHeight = kRawHeight;
    for (int y = 0; y < kRawHeight; ++y)
        for (int x = 0; x < kRawWidth; ++x)
            spec.mosaic.push_back(x < 16 && y < 12 ? 60000 : 8000);
    return spec;
}

// The stored picture as a viewer shows it under an EXIF orientation, from
// the orientation's own definition: 2 mirrors, 3 turns half round, 4 flips,
// 5 transposes, 6 turns right, 7 transverses, 8 turns left.
Rgb8 upright(const Rgb8 &stored, int orientation)
{
    const int w = stored.width, h = stored.height;
    const bool sideways = orientation >= 5;
    Rgb8 out{sideways ? h : w, sideways ? w : h, {}};
    for (int Y = 0; Y < out.height; ++Y) {
        for (int X = 0; X < out.width; ++X) {
            int x = X, y = Y;
            switch (orientation) {
            case 2: x = w - 1 - X; break;
            case 3: x = w - 1 - X, y = h - 1 - Y; break;
            case 4: y = h - 1 - Y; break;
            case 5: x = Y, y = X; break;
            case 6: x = Y, y = h - 1 - X; break;
            case 7: x = w - 1 - Y, y = h - 1 - X; break;
            case 8: x = w - 1 - Y, y = X; break;
            }
            const std::size_t at = (std::size_t(y) * std::size_t(w) + std::size_t(x)) * 3;
            out.rgb.insert(out.rgb.end(), stored.rgb.begin() + std::ptrdiff_t(at),
                           stored.rgb.begin() + std::ptrdiff_t(at + 3));
        }
    }
    return out;
}

// Mean green of a quarter-sized block in one corner (0 top left, 1 top
// right, 2 bottom left, 3 bottom right) of the upright picture.
double cornerLevel(const ZvImage &image, int corner)
{
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    const int x0 = corner % 2 ? w - w / 4 : 0, top = corner / 2 ? h - h / 4 : 0;
    double sum = 0;
    for (int y = top; y < top + h / 4; ++y)
        for (int x = x0; x < x0 + w / 4; ++x)
            sum += image.GetPixelColor(x, h - 1 - y).rgbGreen;
    return sum / double((w / 4) * (h / 4));
}

} // namespace

TEST(RawCodec, PreviewReadBackExactlyInEveryOrientation)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const DngSpec spec = camera(orientation);
        ZvImage image;
        image.SetReducedDecode(12, 12); // 64 x 48 fitted is 12 x 9: the preview covers it
        ASSERT_TRUE(decodeBytes(makeDng(spec), ZV_TYPE_RAW, image)) << image.GetLastError();
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_RAW));
        const Rgb8 stored{kPreviewWidth, kPreviewHeight, spec.preview};
        EXPECT_EQ(toRgb(image), upright(stored, orientation)) << "orientation " << orientation;
        // The facts are the developed picture's, upright.
        const bool sideways = orientation >= 5;
        EXPECT_EQ(image.GetOrignWidth(), std::uint32_t(sideways ? kRawHeight : kRawWidth));
        EXPECT_EQ(image.GetOrignBpp(), 48u);
    }
    // A preview smaller than the size asked for leaves it to the full picture.
    ZvImage full;
    full.SetReducedDecode(40, 40);
    ASSERT_TRUE(decodeBytes(makeDng(camera(1)), ZV_TYPE_RAW, full));
    EXPECT_EQ(full.GetWidth(), std::uint32_t(kRawWidth));
}

TEST(RawCodec, FullPictureIsDevelopedUpright)
{
    // The bright block starts top left; where each turn puts it.
    const std::pair<int, int> expected[] = {{1, 0}, {3, 3}, {6, 1}, {8, 2}};
    for (const auto &[orientation, corner] : expected) {
        ZvImage image;
        ASSERT_TRUE(decodeBytes(makeDng(camera(orientation)), ZV_TYPE_RAW, image)) << image.GetLastError();
        const bool sideways = orientation >= 5;
        EXPECT_EQ(image.GetWidth(), std::uint32_t(sideways ? kRawHeight : kRawWidth));
        EXPECT_EQ(image.GetHeight(), std::uint32_t(sideways ? kRawWidth : kRawHeight));
        for (int c = 0; c < 4; ++c) {
            if (c == corner)
                EXPECT_GT(cornerLevel(image, c), 200) << orientation;
            else
                EXPECT_LT(cornerLevel(image, c), 120) << orientation << " corner " << c;
        }
    }
    ZvImage header;
    header.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(makeDng(camera(6)), ZV_TYPE_UNKNOWN, header));
    EXPECT_EQ(header.GetType(), std::uint32_t(ZV_TYPE_RAW));
    EXPECT_EQ(header.GetWidth(), std::uint32_t(kRawHeight));
    EXPECT_FALSE(header.IsValid());
}

TEST(RawCodec, SixteenBitSamplesRoundToEightBits)
{
    // 386 is 1.502 levels (cutting the low byte gives 1), 129 is 0.502.
    const std::uint16_t samples[] = {386, 129, 127, 65535, 32896, 0};
    ZvImage image;
    const RawPlane plane{reinterpret_cast<const std::uint8_t *>(samples), 2, 1, 3, 16};
    ASSERT_TRUE(rawCopyPlane(plane, 0, image));
    const std::uint8_t *bgr = image.GetBits(0);
    EXPECT_EQ(bgr[2], 2);
    EXPECT_EQ(bgr[1], 1);
    EXPECT_EQ(bgr[0], 0);
    EXPECT_EQ(bgr[5], 255);
    EXPECT_EQ(bgr[4], 128);
}

TEST(RawCodec, RefusesPlainTiffsDamageAndGiants)
{
    // A plain TIFF stays the TIFF codec's, also when the content decides.
    const std::string tiff = encodeBytes(*std::make_unique<ZvImage>(makePattern24(8, 6)), ZV_TYPE_TIF);
    ASSERT_FALSE(tiff.empty());
    EXPECT_EQ(decodeError(tiff, ZV_TYPE_RAW), "Not a camera RAW file");
    ZvImage sniffed;
    ASSERT_TRUE(decodeBytes(tiff, ZV_TYPE_UNKNOWN, sniffed));
    EXPECT_EQ(sniffed.GetType(), std::uint32_t(ZV_TYPE_TIF));

    EXPECT_EQ(decodeError("II*\0garbage that is no directory at all", ZV_TYPE_RAW), "Not a camera RAW file");
    EXPECT_EQ(decodeError(std::string(64, 'x'), ZV_TYPE_RAW), "Not a camera RAW file");

    // A few kilobytes claiming a 60000 x 40000 sensor are refused at once.
    DngSpec giant = camera(1);
    giant.rawWidth = 60000;
    giant.rawHeight = 40000;
    const auto start = std::chrono::steady_clock::now();
    ZvImage image;
    EXPECT_FALSE(decodeBytes(makeDng(giant), ZV_TYPE_RAW, image));
    EXPECT_EQ(image.GetErrorKind(), ZvErrorKind::TooLarge) << image.GetLastError();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// What the shot's facts become in the EXIF block a RAW export keeps: read
// back by the EXIF reader and accepted whole by the editor, so a swapped
// tag, a wrong rational or a broken link shows.
TEST(RawCodec, ShotFactsBecomeASoundExifBlock)
{
    RawShotFacts f;
    f.make = "Zelventa";
    f.model = "Test Sensor";
    f.lens = "12-60mm F2.8";
    std::tm when{};
    when.tm_year = 2026 - 1900, when.tm_mon = 11, when.tm_mday = 7, when.tm_hour = 14, when.tm_min = 5;
    when.tm_isdst = -1;
    f.taken = std::mktime(&when);
    f.exposure = 1.0 / 250, f.aperture = 2.8, f.iso = 400, f.focal = 26;
    f.hasGps = true;
    f.latitude[0] = 48, f.latitude[1] = 51, f.latitude[2] = 30.24;
    f.longitude[0] = 2, f.longitude[1] = 17, f.longitude[2] = 40.2, f.longitudeRef = 'W';
    for (bool gps : {true, false}) {
        f.hasGps = gps;
        const std::vector<std::uint8_t> block = RawExifBlock(f);
        ZvExifInfo info;
        ASSERT_TRUE(info.ParseExif(block.data(), block.size())) << info.lastError;
        EXPECT_EQ(info.cameraMake, "Zelventa");
        EXPECT_EQ(info.cameraModel, "Test Sensor");
        EXPECT_EQ(info.dateTime, "2026:12:07 14:05:00");
        EXPECT_DOUBLE_EQ(info.exposureTime, 1.0 / 250);
        EXPECT_DOUBLE_EQ(info.fNumber, 2.8);
        EXPECT_EQ(info.isoEquivalent, 400);
        EXPECT_DOUBLE_EQ(info.focalLength, 26);
        EXPECT_EQ(info.orientation, 0) << "the pixels come upright";
        ZvExifEditor editor;
        EXPECT_TRUE(editor.Parse(block.data(), block.size())) << editor.Problem();
        const std::string bytes(block.begin(), block.end());
        EXPECT_NE(bytes.find("12-60mm F2.8"), std::string::npos);
        EXPECT_EQ(bytes.find(std::string("W\0", 2)) != std::string::npos, gps);
    }

    // Kept on decode: the test DNG's camera names come through.
    ZvImage image;
    image.SetKeepPhotoInfo(true);
    ASSERT_TRUE(decodeBytes(makeDng(camera(1)), ZV_TYPE_RAW, image)) << image.GetLastError();
    ASSERT_NE(image.GetPhotoInfo(), nullptr);
    ZvExifInfo kept;
    const std::vector<std::uint8_t> &exif = image.GetPhotoInfo()->exif;
    ASSERT_TRUE(kept.ParseExif(exif.data(), exif.size()));
    EXPECT_EQ(kept.cameraModel, "Test Sensor");
}

// Two grey fields, the second a quarter of the first's light, beside a
// bright block that LibRaw's automatic brightness takes for white. Whatever
// brightness LibRaw settles on, the sRGB curve fixes the second's level from
// the first's; the BT.709 curve LibRaw applies by default puts it about eight
// levels lower (43 instead of 51 here).
TEST(RawCodec, DevelopsWithTheSrgbCurve)
{
    DngSpec spec = camera(1);
    for (int y = 0; y < kRawHeight; ++y)
        for (int x = kRawWidth / 2; x < kRawWidth; ++x)
            spec.mosaic[std::size_t(y * kRawWidth + x)] = 2000;
    ZvImage image;
    ASSERT_TRUE(decodeBytes(makeDng(spec), ZV_TYPE_RAW, image)) << image.GetLastError();
    EXPECT_EQ(image.GetColourSpace(), nullptr);
    const int y = kRawHeight / 2;
    const double bright = image.GetPixelColor(kRawWidth / 4, y).rgbGreen;
    const double dim = image.GetPixelColor(3 * kRawWidth / 4, y).rgbGreen;
    ASSERT_GT(bright, 60);
    ASSERT_LT(bright, 250);
    auto toLinear = [](double level) {
        const double v = level / 255;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    auto toLevel = [](double linear) {
        return 255 * (linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055);
    };
    EXPECT_NEAR(dim, toLevel(toLinear(bright) / 4), 3) << "bright " << bright;
}
