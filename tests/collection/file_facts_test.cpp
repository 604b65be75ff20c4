// tests/collection/file_facts_test.cpp
#include "collection/file_facts.h"
#include "collection/type_colours.h"

#include <gtest/gtest.h>

TEST(FileFacts, SizeTextGroupsThousands)
{
    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(999), "999");
    EXPECT_EQ(SizeText(1000), "1,000");
    EXPECT_EQ(SizeText(123456), "123,456");
    EXPECT_EQ(SizeText(1234567), "1,234,567");
    // From 2 GiB on the whole size, not a negative or wrapped number.
    EXPECT_EQ(SizeText(5000000000ull), "5,000,000,000");
}

TEST(FileFacts, ColourAndPropertiesTexts)
{
    EXPECT_EQ(ColourText(1), "2");
    EXPECT_EQ(ColourText(8), "256");
    EXPECT_EQ(ColourText(9), "512");
    EXPECT_EQ(ColourText(10), "1K");
    EXPECT_EQ(ColourText(16), "64K");
    EXPECT_EQ(ColourText(19), "512K");
    EXPECT_EQ(ColourText(20), "1M");
    EXPECT_EQ(ColourText(24), "16M");
    EXPECT_EQ(ColourText(32), "4096M");
    EXPECT_EQ(PropertiesText(640, 480, 24), "640x480x16M");
    EXPECT_EQ(PropertiesText(32, 32, 8), "32x32x256");
}

TEST(FileFacts, TooltipTextHasTheFactsInOrder)
{
    TooltipFacts f;
    f.path = "/pics/a.jpg";
    f.size = 1234567;
    f.typeName = "JPEG image";
    f.modified = QDateTime(QDate(2004, 7, 1), QTime(9, 5, 3));
    f.width = 1600;
    f.height = 1200;
    f.bpp = 24;
    f.resolution = 300;
    EXPECT_EQ(ThumbTooltipText(f), "/pics/a.jpg\r\n1,234,567 bytes\r\n1600x1200x16M\r\nResolution:300 DPI\r\n"
                                   "135.47x101.60 mm\r\nJPEG image\r\n2004-07-01 09:05:03");
    // No usable resolution counts as 72 dots per inch.
    EXPECT_EQ(ResolutionText(1, 720, 72, "x"), "Resolution:72 DPI\r\n254.00x25.40 mm\r\nx");
    EXPECT_EQ(ResolutionText(0, 720, 72, "x"), "Resolution:72 DPI\r\n254.00x25.40 mm\r\nx");
    EXPECT_EQ(ResolutionText(2, 10, 10, "x"), "Resolution:2 DPI\r\n127.00x127.00 mm\r\nx");
}

TEST(FileFacts, TypeColoursByExtensionIgnoringCase)
{
    EXPECT_EQ(TypeColour(".jpg"), QColor(239, 235, 206));
    EXPECT_EQ(TypeColour(".JPEG"), QColor(239, 235, 206));
    EXPECT_EQ(TypeColour(".tiff"), QColor(189, 203, 231));
    EXPECT_EQ(TypeColour(".wmf"), QColor(181, 182, 181));
    EXPECT_EQ(TypeColour(".png"), QColor(231, 223, 214));
    EXPECT_EQ(TypeColour(".HEIC"), TypeColour(".hif"));
    EXPECT_EQ(TypeColour(".nef"), TypeColour(".DNG"));
    EXPECT_NE(TypeColour(".heic"), TypeColour(".dng"));
    EXPECT_NE(TypeColour(".cr3"), QColor(255, 255, 255));
    EXPECT_EQ(TypeColour(".j2k"), QColor(255, 255, 255));
    EXPECT_EQ(TypeColour(""), QColor(255, 255, 255));
    // Today's formats each have a tint of their own, told apart from one another.
    const QColor webp = TypeColour(".WebP"), avif = TypeColour(".avif"), jxl = TypeColour(".JXL");
    for (const QColor &c : {webp, avif, jxl})
        EXPECT_NE(c, QColor(255, 255, 255));
    EXPECT_NE(webp, avif);
    EXPECT_NE(avif, jxl);
    EXPECT_NE(webp, jxl);
}
