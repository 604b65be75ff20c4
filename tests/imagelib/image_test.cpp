// tests/imagelib/image_test.cpp
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

TEST(Create, NormalisesBitCountAndSizesThePalette)
{
    struct Case
    {
        std::uint32_t asked, bpp, colors;
    };
    for (const Case &c : {Case{0, 1, 2}, Case{1, 1, 2}, Case{2, 4, 16}, Case{3, 4, 16}, Case{5, 8, 256},
                          Case{8, 8, 256}, Case{16, 24, 0}, Case{32, 24, 0}}) {
        ZvImage image;
        ASSERT_NE(image.Create(5, 3, c.asked, ZV_TYPE_PNG), nullptr) << c.asked;
        EXPECT_EQ(image.GetBpp(), c.bpp) << c.asked;
        EXPECT_EQ(image.GetNumColors(), c.colors) << c.asked;
        EXPECT_EQ(image.GetPaletteSize(), c.colors * 4);
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_PNG));
        EXPECT_EQ(image.GetSize(), 40 + c.colors * 4 + image.GetEffWidth() * 3);
    }
}

TEST(Create, RowsArePaddedToFourBytes)
{
    EXPECT_EQ(ZvImage(1, 1, 24).GetEffWidth(), 4u);
    EXPECT_EQ(ZvImage(3, 1, 8).GetEffWidth(), 4u);
    EXPECT_EQ(ZvImage(33, 1, 1).GetEffWidth(), 8u);
    EXPECT_EQ(ZvImage(9, 1, 4).GetEffWidth(), 8u);
    ZvImage image(7, 5, 24);
    EXPECT_EQ(image.GetBits(1) - image.GetBits(0), 24);
    EXPECT_EQ(image.GetBits(5), nullptr);
    const auto *header = static_cast<const BITMAPINFOHEADER *>(image.GetDIB());
    EXPECT_EQ(header->biSizeImage, 24u * 5);
    EXPECT_EQ(header->biXPelsPerMeter, 3780);
}

TEST(Create, RefusesPicturesBeyondTheMemoryLimit)
{
    ZvImage image;
    EXPECT_EQ(image.Create(60000, 60000, 24), nullptr);
    EXPECT_STREQ(image.GetLastError(), "ZvImage::Create size limit exceeded");
    EXPECT_FALSE(image.IsValid());
    // Products that would wrap 32 or 64 bits are refused, not wrapped.
    EXPECT_EQ(image.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 24), nullptr);
    EXPECT_EQ(image.Create(0x80000000u, 1, 1), nullptr);
    // Within the area limit but beyond what a 32-bit image size can hold.
    EXPECT_EQ(image.Create(100000, 50000, 24), nullptr);
    EXPECT_NE(image.Create(1000, 1000, 24), nullptr);
}

TEST(Resolution, DotsPerInchAndPixelsPerMetre)
{
    ZvImage image(4, 4, 24);
    for (auto [dpi, ppm] : {std::pair{96, 3780}, std::pair{72, 2835}, std::pair{300, 11811}}) {
        image.SetXDPI(dpi);
        image.SetYDPI(dpi);
        EXPECT_EQ(image.GetHeader().biXPelsPerMeter, ppm);
        EXPECT_EQ(image.GetHeader().biYPelsPerMeter, ppm);
        EXPECT_EQ(image.GetXDPI(), dpi);
    }
}

TEST(Palette, GreyRampsAndNearestColours)
{
    ZvImage grey(2, 2, 4);
    grey.SetGrayPalette();
    EXPECT_EQ(grey.GetPaletteColor(1).rgbRed, 17);
    EXPECT_EQ(grey.GetPaletteColor(15).rgbGreen, 255);
    EXPECT_FALSE(grey.IsGrayScale()); // a 16-level ramp is not the identity ramp
    ZvImage ramp(2, 2, 8);
    ramp.SetGrayPalette();
    EXPECT_TRUE(ramp.IsGrayScale());
    EXPECT_FALSE(ZvImage(2, 2, 24).IsGrayScale());

    ZvImage image(2, 2, 8);
    const RGBQUAD exact{10, 20, 30, 0};
    image.SetPaletteColor(3, exact);
    image.SetPaletteColor(7, exact);
    EXPECT_EQ(image.GetNearestIndex(exact), 3);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{11, 21, 29, 0}), 3);
    // The cache is dropped when the palette changes.
    image.SetPaletteColor(3, RGBQUAD{200, 200, 200, 0});
    EXPECT_EQ(image.GetNearestIndex(exact), 7);
    EXPECT_EQ(image.GetPaletteColor(255).rgbRed, 0);
}

TEST(Pixels, IndicesLandAtTheirBitPositions)
{
    ZvImage one(9, 2, 1);
    std::memset(one.GetBits(0), 0, one.GetEffWidth() * 2); // new pixels are not initialised
    one.SetPixelIndex(0, 0, 1);
    one.SetPixelIndex(8, 1, 1);
    one.SetPixelIndex(9, 0, 1); // outside: ignored
    one.SetPixelIndex(-1, 0, 1);
    EXPECT_EQ(one.GetBits(0)[0], 0x80);
    EXPECT_EQ(one.GetBits(1)[1], 0x80);
    EXPECT_EQ(one.GetBits(0)[1], 0x00);

    ZvImage four(3, 1, 4);
    std::memset(four.GetBits(0), 0, 4);
    four.SetPixelIndex(0, 0, 0xA);
    four.SetPixelIndex(1, 0, 0x5);
    four.SetPixelIndex(2, 0, 0xF);
    EXPECT_EQ(four.GetBits(0)[0], 0xA5);
    EXPECT_EQ(four.GetBits(0)[1], 0xF0);
    EXPECT_EQ(four.GetPixelIndex(1, 0), 5);
}

TEST(Pixels, ColoursAreStoredBlueGreenRedAndAlphaIsOptional)
{
    ZvImage image(2, 2, 24);
    image.SetPixelColor(1, 0, RGB(10, 20, 30));
    const std::uint8_t *p = image.GetBits(0) + 3;
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[2], 10);
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbReserved, 0);
    ASSERT_TRUE(image.AlphaCreate());
    EXPECT_EQ(image.GetPixelColor(1, 0).rgbReserved, 255);
    image.SetPixelColor(1, 0, RGBQUAD{1, 2, 3, 77}, true);
    EXPECT_EQ(image.AlphaGet(1, 0), 77);
    EXPECT_EQ(image.GetPixelColor(1, 0, false).rgbReserved, 0);

    ZvImage indexed(2, 2, 8);
    indexed.SetPaletteColor(5, RGBQUAD{30, 20, 10, 0});
    indexed.SetPixelColor(0, 1, RGB(10, 20, 30));
    EXPECT_EQ(indexed.GetPixelIndex(0, 1), 5);
}

TEST(Ownership, CopyTransferAndGhost)
{
    ZvImage source = makePatternIndexed(6, 4, 8);
    source.SetJpegQuality(55);
    source.AlphaCreate();
    source.AlphaSet(2, 2, 9);

    ZvImage copy(source, true);
    EXPECT_EQ(toRgb(copy), toRgb(source));
    EXPECT_EQ(copy.GetJpegQuality(), 55);
    EXPECT_EQ(copy.AlphaGet(2, 2), 9);
    EXPECT_NE(copy.GetDIB(), source.GetDIB());

    ZvImage noPixels(source, false, false, false);
    EXPECT_EQ(noPixels.GetPaletteColor(7).rgbBlue, source.GetPaletteColor(7).rgbBlue);
    EXPECT_FALSE(noPixels.AlphaIsValid());

    void *block = copy.GetDIB();
    ZvImage taken;
    ASSERT_TRUE(taken.Transfer(copy));
    EXPECT_EQ(taken.GetDIB(), block);
    EXPECT_FALSE(copy.IsValid());
    EXPECT_EQ(copy.GetWidth(), 0u);

    {
        ZvImage ghost;
        ASSERT_TRUE(ghost.Ghost(&taken));
        EXPECT_EQ(ghost.GetDIB(), block);
        EXPECT_FALSE(ghost.Destroy());
        EXPECT_EQ(ghost.Create(2, 2, 24), nullptr);
    }
    EXPECT_EQ(toRgb(taken), toRgb(source)); // the ghost freed nothing

    // A move carries the as-loaded header with the pixels; Transfer does not.
    EXPECT_EQ(taken.GetOrignWidth(), 0u);
    ZvImage fresh = makePattern24(6, 4);
    void *freshBlock = fresh.GetDIB();
    ZvImage moved(std::move(fresh));
    EXPECT_EQ(moved.GetDIB(), freshBlock);
    EXPECT_EQ(moved.GetOrignWidth(), 6u);
    EXPECT_FALSE(fresh.IsValid());
}

TEST(Ownership, CopyInfoOnlyIntoAnEmptyImage)
{
    ZvImage source(2, 2, 24);
    source.SetJpegQuality(12);
    ZvImage empty;
    empty.CopyInfo(source);
    EXPECT_EQ(empty.GetJpegQuality(), 12);
    ZvImage full(2, 2, 24);
    full.CopyInfo(source);
    EXPECT_EQ(full.GetJpegQuality(), 90);
}

TEST(Dispatch, UnknownTypesAreRefusedWithTheirMessages)
{
    ZvImage image(4, 4, 24);
    std::uint8_t bytes[] = {1, 2, 3, 4};
    ZvMemFile in(bytes, sizeof bytes);
    EXPECT_FALSE(image.Decode(&in, ZV_MAX_TYPES));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_TRUE(image.IsValid()); // a failed decode keeps the old pixels

    EXPECT_FALSE(image.Decode(&in, ZV_TYPE_UNKNOWN));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");

    ZvMemFile out;
    out.Open();
    EXPECT_FALSE(image.Encode(&out, 0));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(image.Encode(static_cast<ZvFile *>(nullptr), ZV_TYPE_BMP));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    ZvImage empty;
    EXPECT_FALSE(empty.Encode(&out, ZV_TYPE_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
}

TEST(Save, AFailedSaveLeavesTheExistingFileAndNoDebris)
{
    const std::string dir = scratchDir() + "/save";
    fs::create_directories(dir);
    const std::string target = dir + "/photo.jpg";
    writeFile(target, "precious photograph");
    ZvImage image(4, 4, 24);
    EXPECT_FALSE(image.Save(target.c_str(), 0));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_EQ(readFile(target), "precious photograph");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    ZvImage empty;
    EXPECT_FALSE(empty.Save(target.c_str(), ZV_TYPE_BMP));
    EXPECT_EQ(readFile(target), "precious photograph");
}

TEST(Save, AnUnwritablePathFailsWithItsReasonAndKind)
{
    ZvImage image(4, 4, 24);
    image.SetLastError("");
    EXPECT_FALSE(image.Save("/nonexistent-folder/x.bmp", ZV_TYPE_BMP));
    EXPECT_STREQ(image.GetLastError(), "cannot write /nonexistent-folder/x.bmp: No such file or directory");
    EXPECT_EQ(image.GetErrorKind(), ZvErrorKind::NotFound);
}

TEST(Save, ReplacesTheTargetAndKeepsItsPermissions)
{
    const std::string dir = scratchDir() + "/perm";
    fs::create_directories(dir);
    const std::string target = dir + "/a.bmp";
    writeFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ZvImage image = makePattern24(5, 3);
    ASSERT_TRUE(image.Save(target.c_str(), ZV_TYPE_BMP)) << image.GetLastError();
    EXPECT_EQ(fs::file_size(target), 14 + image.GetSize());
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(Save, IntoMemoryOnlyWithAnEmptyBuffer)
{
    ZvImage image = makePattern24(5, 3);
    std::uint8_t *buffer = nullptr;
    std::int32_t size = 0;
    ASSERT_TRUE(image.Encode(buffer, size, ZV_TYPE_BMP)) << image.GetLastError();
    EXPECT_EQ(std::size_t(size), 14 + image.GetSize());
    ZvImage back;
    ASSERT_TRUE(back.Decode(buffer, std::uint32_t(size), ZV_TYPE_BMP));
    EXPECT_EQ(toRgb(back), toRgb(image));
    std::uint8_t *again = buffer;
    EXPECT_FALSE(image.Encode(again, size, ZV_TYPE_BMP));
    std::free(buffer);
}

TEST(Load, ATypedFailureFallsBackToTheContentAndKeepsTheTypedMessage)
{
    const std::string dir = scratchDir();
    const std::string named = dir + "/really-a-bmp.gif";
    ASSERT_TRUE(makePattern24(6, 5).Save(named.c_str(), ZV_TYPE_BMP));
    ZvImage image(3, 3, 8);
    ASSERT_TRUE(image.Load(named.c_str(), ZV_TYPE_GIF)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_BMP));
    EXPECT_EQ(image.GetWidth(), 6u);
    EXPECT_EQ(image.GetOrignWidth(), 6u);
    EXPECT_EQ(image.GetOrignHeight(), 5u);
    EXPECT_EQ(image.GetOrignBpp(), 24u);

    const std::string junk = dir + "/junk.gif";
    writeFile(junk, std::string(64, '\x7f'));
    ZvImage other;
    EXPECT_FALSE(other.Load(junk.c_str(), ZV_TYPE_GIF));
    EXPECT_STRNE(other.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(other.Load(junk.c_str(), ZV_TYPE_UNKNOWN));
    EXPECT_STREQ(other.GetLastError(), "Decode: Unknown or wrong format");
}

// A picture found by its content reports the size and depth it was stored
// with, whichever way the load reached the content.
TEST(Load, AMisnamedPictureKeepsItsAsLoadedHeader)
{
    const std::string dir = scratchDir();
    const std::string png = dir + "/really-a-png.jpg";
    ASSERT_TRUE(makePatternIndexed(7, 4, 8).Save(png.c_str(), ZV_TYPE_PNG));
    const std::string bmp = dir + "/no-extension";
    ASSERT_TRUE(makePatternIndexed(9, 2, 4).Save(bmp.c_str(), ZV_TYPE_BMP));

    struct Case
    {
        std::string path;
        std::uint32_t type, width, height, bpp;
    };
    const std::uint32_t byName = ImageTypeFromName(png); // JPEG, which fails and falls back
    ASSERT_EQ(byName, std::uint32_t(ZV_TYPE_JPG));
    for (const Case &c : {Case{png, byName, 7, 4, 8}, Case{png, ZV_TYPE_UNKNOWN, 7, 4, 8},
                          Case{bmp, ZV_TYPE_UNKNOWN, 9, 2, 4}}) {
        ZvImage image;
        ASSERT_TRUE(image.Load(c.path.c_str(), c.type)) << c.path << ": " << image.GetLastError();
        EXPECT_EQ(image.GetOrignWidth(), c.width) << c.path;
        EXPECT_EQ(image.GetOrignHeight(), c.height) << c.path;
        EXPECT_EQ(image.GetOrignBpp(), c.bpp) << c.path;
    }

    // Decoding bytes of unknown type takes the same path.
    std::string bytes = readFile(png);
    ZvImage image;
    ASSERT_TRUE(image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()), std::uint32_t(bytes.size()),
                             ZV_TYPE_UNKNOWN));
    EXPECT_EQ(image.GetOrignWidth(), 7u);
    EXPECT_EQ(image.GetOrignHeight(), 4u);
}

TEST(Interchange, StretchDrawsTheBottomRowAtTheBottom)
{
    for (int bpp : {1, 4, 8, 24}) {
        ZvImage image = bpp == 24 ? makePattern24(5, 4) : makePatternIndexed(5, 4, bpp);
        QImage canvas(10, 8, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        {
            QPainter painter(&canvas);
            EXPECT_EQ(image.Stretch(painter, 0, 0, 10, 8), 1);
        }
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                const RGBQUAD c = image.GetPixelColor(x, 3 - y, false);
                EXPECT_EQ(canvas.pixel(2 * x + 1, 2 * y + 1), qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue))
                    << bpp << " at " << x << "," << y;
            }
        }
    }
    QImage canvas(2, 2, QImage::Format_RGB32);
    QPainter painter(&canvas);
    EXPECT_EQ(ZvImage().Stretch(painter, 0, 0, 2, 2), 0);
}

TEST(Interchange, CreateFromHBITMAPTakesTopRowFirst)
{
    QImage bitmap(3, 2, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    bitmap.setPixel(0, 0, qRgb(255, 0, 0));
    ZvImage image;
    ASSERT_TRUE(image.CreateFromHBITMAP(bitmap));
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetPixelColor(0, 1).rgbRed, 255);
    EXPECT_EQ(image.GetPixelColor(0, 1).rgbBlue, 0);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 255);

    QImage indexed(2, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
    indexed.fill(0);
    indexed.setPixel(1, 1, 1);
    ASSERT_TRUE(image.CreateFromHBITMAP(indexed));
    EXPECT_EQ(image.GetBpp(), 8u);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 4);

    EXPECT_FALSE(image.CreateFromHBITMAP(QImage()));
    EXPECT_STREQ(image.GetLastError(), "GetDIBits failed");
}

TEST(Types, NamesMapToTypesByTheirLastExtension)
{
    EXPECT_EQ(ImageTypeFromName("/a.b/photo"), ZV_TYPE_UNKNOWN);
    EXPECT_EQ(ImageTypeFromName("X.JPEG"), ZV_TYPE_JPG);
    EXPECT_EQ(ImageTypeFromName("scan.Tif"), ZV_TYPE_TIF);
    EXPECT_EQ(ImageTypeFromName("a.jpe"), ZV_TYPE_JPG);
    EXPECT_EQ(ImageTypeFromName("a.emf"), ZV_TYPE_WMF);
    EXPECT_EQ(ImageTypeFromName("a.wbmp"), ZV_TYPE_WBMP);
    EXPECT_EQ(ImageTypeFromName("noext"), ZV_TYPE_UNKNOWN);
    EXPECT_EQ(ImageTypeFromName("trailing."), ZV_TYPE_UNKNOWN);
    EXPECT_EQ(ImageTypeFromName("a.jp2"), ZV_TYPE_UNKNOWN);
}

// A 4-bit row of odd width ends in a half byte and padding that no decoder
// writes: a new picture holds zeros there, never what the memory held
// before (which a BMP or TGA save would copy into the file).
TEST(Create, NewPicturesHoldNoEarlierMemory)
{
    const std::size_t size = ZvImage(33, 9, 4).GetSize();
    void *dirty = std::malloc(size);
    ASSERT_NE(dirty, nullptr);
    std::memset(dirty, 0xAB, size);
    std::free(dirty);
    ZvImage picture(33, 9, 4);
    for (std::uint32_t y = 0; y < picture.GetHeight(); ++y)
        for (std::uint32_t x = 0; x < picture.GetEffWidth(); ++x)
            ASSERT_EQ(picture.GetBits(y)[x], 0) << "row " << y << " byte " << x;
}
