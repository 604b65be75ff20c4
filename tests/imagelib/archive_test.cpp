// tests/imagelib/archive_test.cpp
#include "imagelib/core/image.h"
#include "platform/archive.h"
#include "tests/imagelib/bmp_bytes.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <set>

namespace {

Bytes record(ZvImage &image)
{
    ArchiveWriter out;
    image.WriteToArchive(out);
    return out.bytes();
}

// Reads one record; the message of the error, or "" on success.
std::string readRecord(const Bytes &bytes, ZvImage &image, std::size_t *consumed = nullptr)
{
    ArchiveReader in(bytes.data(), bytes.size());
    try {
        image.ReadFromArchive(in);
    } catch (const ZvArchiveError &e) {
        return e.what();
    }
    if (consumed)
        *consumed = in.Position();
    return "";
}

Bytes dibOf(const ZvImage &image)
{
    const auto *p = static_cast<const std::uint8_t *>(image.GetDIB());
    return Bytes(p, p + image.GetSize());
}

// A record as another writer might have made it: a BMP file and an as-loaded header.
Bytes foreignRecord(const BmpSpec &s)
{
    Bytes out = bmpFile(s);
    BITMAPINFOHEADER asLoaded;
    asLoaded.biWidth = 640;
    asLoaded.biHeight = 480;
    asLoaded.biBitCount = 32;
    const auto *p = reinterpret_cast<const std::uint8_t *>(&asLoaded);
    out.insert(out.end(), p, p + sizeof(asLoaded));
    return out;
}

} // namespace

TEST(Archive, RecordLayoutIsTheBmpFileAndTheAsLoadedHeader)
{
    ZvImage image = makePatternIndexed(5, 3, 4);
    image.SetOrignWidth(50);
    image.SetOrignHeight(30);
    const Bytes bytes = record(image);
    ASSERT_EQ(bytes.size(), 14 + image.GetSize() + 40);
    const std::size_t total = image.GetSize() + 14;
    const std::size_t offset = 14 + 40 + 64;
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14),
              (Bytes{'B', 'M', std::uint8_t(total), std::uint8_t(total >> 8), 0, 0, 0, 0, 0, 0,
                     std::uint8_t(offset), 0, 0, 0}));
    EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.end() - 40), dibOf(image));
    BITMAPINFOHEADER asLoaded;
    std::memcpy(&asLoaded, bytes.data() + bytes.size() - 40, 40);
    EXPECT_EQ(asLoaded.biWidth, 50);
    EXPECT_EQ(asLoaded.biHeight, 30);
    EXPECT_EQ(asLoaded.biBitCount, 4);
}

TEST(Archive, EveryDepthRoundTrips)
{
    for (int bpp : {1, 4, 8, 24}) {
        ZvImage image = bpp == 24 ? makePattern24(13, 5) : makePatternIndexed(13, 5, bpp);
        image.SetXDPI(300);
        image.SetYDPI(72);
        image.SetOrignWidth(1300);
        image.SetOrignHeight(500);
        const Bytes bytes = record(image);
        ZvImage back;
        std::size_t consumed = 0;
        ASSERT_EQ(readRecord(bytes, back, &consumed), "") << bpp;
        EXPECT_EQ(consumed, bytes.size());
        EXPECT_EQ(back.GetBpp(), image.GetBpp());
        EXPECT_EQ(back.GetXDPI(), 300);
        EXPECT_EQ(back.GetYDPI(), 72);
        EXPECT_EQ(back.GetOrignWidth(), 1300u);
        EXPECT_EQ(back.GetOrignHeight(), 500u);
        EXPECT_EQ(back.GetOrignBpp(), image.GetOrignBpp());
        EXPECT_EQ(dibOf(back), dibOf(image)) << bpp;
        EXPECT_EQ(record(back), bytes) << bpp;
    }
}

TEST(Archive, RecordsFollowOneAnother)
{
    ZvImage a = makePatternIndexed(3, 3, 1);
    ZvImage b = makePattern24(2, 2);
    ArchiveWriter out;
    a.WriteToArchive(out);
    b.WriteToArchive(out);
    ArchiveReader in(out.bytes().data(), out.bytes().size());
    ZvImage first;
    ZvImage second;
    first.ReadFromArchive(in);
    second.ReadFromArchive(in);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(toRgb(first), toRgb(a));
    EXPECT_EQ(toRgb(second), toRgb(b));
}

TEST(Archive, AnEmptyPictureReadsBackEmpty)
{
    ZvImage empty;
    const Bytes bytes = record(empty);
    EXPECT_EQ(bytes.size(), 14u + 40 + 40);
    ZvImage back = makePattern24(2, 2);
    std::size_t consumed = 0;
    ASSERT_EQ(readRecord(bytes, back, &consumed), "");
    EXPECT_EQ(consumed, bytes.size());
    EXPECT_FALSE(back.IsValid());
    // An image that once held pixels writes no stale sizes either.
    ZvImage destroyed = makePattern24(8, 8);
    destroyed.Destroy();
    EXPECT_EQ(record(destroyed).size(), bytes.size());
}

TEST(Archive, ForeignRecordsAreReadByTheBmpRules)
{
    // Zero image size and zero colours are filled in; a top-down record is flipped.
    BmpSpec s;
    s.width = 2;
    s.height = -2;
    s.bitCount = 8;
    s.palette.assign(256, RGBQUAD{9, 9, 9, 0});
    s.palette[1] = RGBQUAD{1, 2, 3, 0};
    s.pixels = {1, 0, 0, 0, 0, 1, 0, 0};
    ZvImage image;
    ASSERT_EQ(readRecord(foreignRecord(s), image), "");
    EXPECT_EQ(image.GetPixelIndex(0, 1), 1);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.GetPixelColor(0, 1), (RGBQUAD{1, 2, 3, 0}));
    EXPECT_EQ(image.GetOrignBpp(), 32u);

    BmpSpec rle;
    rle.width = 4;
    rle.height = 1;
    rle.bitCount = 8;
    rle.compression = 1;
    rle.colorsUsed = 2;
    rle.palette = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    rle.pixels = {4, 1, 0, 1};
    rle.sizeImage = 4;
    ASSERT_EQ(readRecord(foreignRecord(rle), image), "");
    EXPECT_EQ(image.GetPixelIndex(3, 0), 1);

    BmpSpec wide;
    wide.bitCount = 16;
    wide.compression = 3;
    wide.masks = {0xF800, 0x07E0, 0x001F};
    wide.pixels = {0xFF, 0xFF, 0, 0};
    ASSERT_EQ(readRecord(foreignRecord(wide), image), "");
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetPixelColor(0, 0), (RGBQUAD{255, 255, 255, 0}));
}

TEST(Archive, DamagedRecordsRaiseTheirMessage)
{
    ZvImage source = makePatternIndexed(7, 4, 8);
    const Bytes bytes = record(source);
    const std::set<std::string> messages = {"Not a BMP", "Error reading BMP info", "corrupted BMP"};
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        ZvImage image = makePattern24(2, 2);
        const std::string message = readRecord(Bytes(bytes.begin(), bytes.begin() + long(n)), image);
        EXPECT_TRUE(messages.count(message)) << n << ": " << message;
        EXPECT_FALSE(image.IsValid()) << n;
        EXPECT_EQ(std::string(image.GetLastError()), message);
    }
    ZvImage image;
    EXPECT_EQ(readRecord({}, image), "Not a BMP");
    EXPECT_EQ(readRecord(Bytes(bytes.begin(), bytes.begin() + 20), image), "Error reading BMP info");

    // A huge picture announced by a small record is refused before allocation.
    BmpSpec huge;
    huge.width = 40000;
    huge.height = 40000;
    huge.pixels = Bytes(16, 0);
    EXPECT_EQ(readRecord(foreignRecord(huge), image), "corrupted BMP");
    huge.bitCount = 32;
    huge.compression = 2;
    EXPECT_EQ(readRecord(foreignRecord(huge), image), "unknown compression");
}

TEST(Archive, TheEscapeFieldCancels)
{
    ZvImage source = makePattern24(3, 3);
    ZvImage image;
    image.SetEscape(1);
    EXPECT_EQ(readRecord(record(source), image), "Cancelled");
    EXPECT_FALSE(image.IsValid());
}
