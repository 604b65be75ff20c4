// tests/imagelib/codec_pcx_test.cpp
#include "imagelib/codecs/pcx/codec_pcx.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct PcxLayout
{
    int bpp = 8;
    int planes = 1;
    int width = 1;
    int height = 1;
    int bytesPerLine = 2;
    int encoding = 1;
    int manufacturer = 10;
    int dpi = 0;
};

std::string pcxHeader(const PcxLayout &l, const std::string &colourMap = {})
{
    std::string h(128, '\0');
    auto put16 = [&](int at, int v) {
        h[at] = char(v & 0xFF);
        h[at + 1] = char((v >> 8) & 0xFF);
    };
    h[0] = char(l.manufacturer);
    h[1] = 5;
    h[2] = char(l.encoding);
    h[3] = char(l.bpp);
    put16(8, l.width - 1);
    put16(10, l.height - 1);
    put16(12, l.dpi);
    put16(14, l.dpi);
    h.replace(16, colourMap.size(), colourMap);
    h[65] = char(l.planes);
    put16(66, l.bytesPerLine);
    return h;
}

std::string decodeError(const std::string &bytes)
{
    return decodeError(bytes, ZV_TYPE_PCX);
}

// ImageMagick shows a one-plane 1-bit PCX with 0 as white and 1 as black;
// the format's own convention, which we keep, is the reverse.
Rgb8 magickDecodePcx(const std::string &path, bool oneBit)
{
    Rgb8 rgb = magickDecode(path);
    if (oneBit)
        for (std::uint8_t &v : rgb.rgb)
            v = std::uint8_t(255 - v);
    return rgb;
}

std::string paletteTail(int entries)
{
    std::string tail(769, '\0');
    tail[0] = 12;
    for (int i = 0; i < entries * 3; ++i)
        tail[1 + i] = char(i * 5);
    return tail;
}

} // namespace

TEST(PcxDecode, ZigimgSuiteMatchesImageMagick)
{
    ZV_REQUIRE_CORPUS("zigimg-test-suite");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const std::string dir = corporaDir() + "/zigimg-test-suite/pcx/";
    for (auto [name, bpp] : {std::pair{"test-bpp1.pcx", 1u},
                             {"test-bpp4.pcx", 4u},
                             {"test-bpp8.pcx", 8u},
                             {"test-bpp24.pcx", 24u}}) {
        ZvImage image;
        const std::string path = dir + name;
        ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_PCX)) << name << ": " << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), bpp) << name;
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_PCX));
        EXPECT_EQ(maxDifference(toRgb(image), magickDecodePcx(path, bpp == 1)), 0) << name;
    }
}

TEST(PcxDecode, PlaneLayouts)
{
    // 1 bit x 4 planes, 10 pixels: plane p holds bit p of each index.
    const std::string map = std::string("\x00\x00\x00", 3) + std::string(45, '\x33');
    PcxLayout l{.bpp = 1, .planes = 4, .width = 10, .bytesPerLine = 2, .encoding = 0};
    std::string file = pcxHeader(l, map) + std::string("\xAA\x80\xCC\xC0\xF0\x00\xFF\x00", 8);
    ZvImage image;
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_PCX, image)) << image.GetLastError();
    ASSERT_EQ(image.GetBpp(), 4u);
    const int expect[10] = {15, 14, 13, 12, 11, 10, 9, 8, 3, 2};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.GetPixelIndex(x, 0), expect[x]) << x;

    // 2 bits packed: 4 colours from the header's map; a run crosses into row 2.
    l = PcxLayout{.bpp = 2, .planes = 1, .width = 5, .height = 2, .bytesPerLine = 2};
    file = pcxHeader(l, std::string("\0\0\0\xFF\0\0\0\xFF\0\0\0\xFF", 12)) + "\x1B\xC2\xE4\x39";
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_PCX, image)) << image.GetLastError();
    EXPECT_EQ(toRgb(image).rgb,
              std::vector<std::uint8_t>({0, 0, 0,   255, 0,   0, 0,   255, 0, 0, 0, 255, 0, 0, 255,
                                         0, 0, 255, 0,   255, 0, 255, 0,   0, 0, 0, 0,   0, 0, 0}));

    // 8 bits x 4 planes: red, green, blue, alpha.
    l = PcxLayout{.bpp = 8, .planes = 4, .width = 2, .bytesPerLine = 2, .encoding = 0};
    ASSERT_TRUE(
        decodeBytes(pcxHeader(l) + std::string("\x10\x11\x20\x21\x30\x31\x00\x80", 8), ZV_TYPE_PCX, image));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQUAD{0x31, 0x21, 0x11, 0x80}));
    EXPECT_EQ(image.GetPixelColor(0, 0), (RGBQUAD{0x30, 0x20, 0x10, 0x00}));
}

TEST(PcxDecode, EightBitPaletteAndResolution)
{
    PcxLayout l{.bpp = 8, .width = 3, .bytesPerLine = 4, .dpi = 300};
    ZvImage image;
    ASSERT_TRUE(decodeBytes(pcxHeader(l) + "\x01\x02\xC2\x05" + paletteTail(256), ZV_TYPE_PCX, image))
        << image.GetLastError();
    EXPECT_EQ(image.GetPixelIndex(2, 0), 5);
    EXPECT_EQ(image.GetPaletteColor(2), (RGBQUAD{40, 35, 30, 0}));
    EXPECT_EQ(image.GetXDPI(), 300);
    EXPECT_EQ(image.GetYDPI(), 300);
}

TEST(PcxDecode, RefusesWithTheListedMessages)
{
    auto header = [](PcxLayout l) { return pcxHeader(l); };
    EXPECT_EQ(decodeError(header({.manufacturer = 5})), "Error: Not a PCX file");
    EXPECT_EQ(decodeError("\x0A\x05"), "Error: Not a PCX file");
    EXPECT_EQ(decodeError(header({.encoding = 2})), "PCX file has unknown encoding scheme");
    EXPECT_EQ(decodeError(header({.bpp = 8, .planes = 5})), "Can't handle image with more than 4 planes");
    EXPECT_EQ(decodeError(header({.bpp = 1, .planes = 5})), "Can't handle more than 4 planes");
    EXPECT_EQ(decodeError(header({.bpp = 4, .planes = 2})),
              "Can't handle packed pixels with more than 1 plane.");
    EXPECT_EQ(decodeError(header({.bpp = 16})), "Can't handle more than 1 bit per pixel");
    EXPECT_EQ(decodeError(header({.bpp = 8, .width = 9, .bytesPerLine = 8})), "corrupted PCX");
    EXPECT_EQ(decodeError(header({.bpp = 8, .width = 4, .height = 2, .bytesPerLine = 4}) + "\xC4\x01"),
              "Can't read PCX image");
    EXPECT_EQ(decodeError(header({.bpp = 8, .width = 2}) + "\xC5\x01" + paletteTail(256)),
              "repeat count spans end of image");
    EXPECT_EQ(decodeError(header({.bpp = 8, .width = 2}) + "\xC2\x01" + std::string(800, '\x05')),
              "bad color map signature");
    // A picture the file cannot fill, or past the size limit, is refused
    // before its pixels are allocated.
    const std::string huge =
        header({.bpp = 8, .planes = 3, .width = 65535, .height = 65536, .bytesPerLine = 65535});
    EXPECT_EQ(decodeError(huge + std::string(5000, '\xFF')), "Can't read PCX image");
    ZvImage image;
    EXPECT_FALSE(decodeUnsized(huge, ZV_TYPE_PCX, image));
    EXPECT_STREQ(image.GetLastError(), "ZvImage::Create size limit exceeded");
}

TEST(PcxDecode, HeaderOnlyAndCancel)
{
    const std::string file = pcxHeader({.bpp = 8, .planes = 3, .width = 6, .height = 4, .bytesPerLine = 6}) +
                             std::string(40, '\xC9');
    ZvImage probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_PCX, probe));
    EXPECT_FALSE(probe.IsValid());
    EXPECT_EQ(probe.GetWidth(), 6u);
    EXPECT_EQ(probe.GetHeight(), 4u);
    EXPECT_EQ(probe.GetBpp(), 24u);

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(file, ZV_TYPE_PCX, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(PcxEncode, HeadersByteForByte)
{
    struct Case
    {
        int bpp, bitsField, planes, bytesPerLine;
        bool alpha;
    };
    for (const Case &c : {Case{1, 1, 1, 2, false}, Case{4, 1, 4, 2, false}, Case{8, 8, 1, 10, false},
                          Case{24, 8, 3, 10, false}, Case{24, 8, 4, 10, true}}) {
        ZvImage image = c.bpp == 24 ? makePattern24(9, 7) : makePatternIndexed(9, 7, c.bpp);
        if (c.alpha)
            image.AlphaCreate();
        image.SetXDPI(300);
        image.SetYDPI(72);
        std::string map;
        if (c.bpp == 4) {
            for (int i = 0; i < 16; ++i) {
                const RGBQUAD q = image.GetPaletteColor(std::uint8_t(i));
                map += {char(q.rgbRed), char(q.rgbGreen), char(q.rgbBlue)};
            }
        } else if (c.bpp == 1) {
            map = std::string("\0\0\0\xFF\xFF\xFF", 6);
        }
        std::string expect = pcxHeader({.bpp = c.bitsField,
                                        .planes = c.planes,
                                        .width = 9,
                                        .height = 7,
                                        .bytesPerLine = c.bytesPerLine,
                                        .dpi = 300},
                                       map);
        expect[14] = 72;
        expect[15] = 0;
        const std::string bytes = encodeBytes(image, ZV_TYPE_PCX);
        EXPECT_EQ(bytes.substr(0, 128), expect) << c.bpp;
        if (c.bpp == 8) {
            EXPECT_EQ(std::uint8_t(bytes[bytes.size() - 769]), 12);
        }
    }
}

TEST(PcxEncode, RunLengthPerPlaneLine)
{
    ZvImage image(5, 2, 8);
    const std::uint8_t top[5] = {7, 7, 7, 0xC5, 9};
    const std::uint8_t bottom[5] = {1, 1, 1, 1, 1};
    std::memcpy(image.GetBits(1), top, 5);
    std::memcpy(image.GetBits(0), bottom, 5);
    const std::string bytes = encodeBytes(image, ZV_TYPE_PCX);
    // Top row first, padded to 6 bytes; runs stop at the end of each line.
    EXPECT_EQ(bytes.substr(128, 11), std::string("\xC3\x07\xC1\xC5\x09\x00\xC5\x01\x00\x0C\x00", 11));
    EXPECT_EQ(bytes.size(), 128u + 9u + 769u);
}

TEST(PcxEncode, OutputDecodesAlikeHereAndInImageMagick)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    ZvImage inverted = makePatternIndexed(45, 13, 1);
    inverted.SetPaletteColor(0, RGBQUAD{255, 255, 255, 0});
    inverted.SetPaletteColor(1, RGBQUAD{0, 0, 0, 0});
    ZvImage withAlpha = makePattern24(45, 13);
    withAlpha.AlphaCreate();
    for (int x = 0; x < 45; ++x)
        withAlpha.AlphaSet(x, x % 13, std::uint8_t(x * 5));
    ZvImage blackWhite = makePatternIndexed(45, 13, 1);
    blackWhite.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    blackWhite.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    ZvImage pictures[] = {std::move(blackWhite),         std::move(inverted),   makePatternIndexed(45, 13, 4),
                          makePatternIndexed(45, 13, 8), makePattern24(45, 13), std::move(withAlpha)};
    for (ZvImage &picture : pictures) {
        const std::string path = scratchFile("out.pcx", encodeBytes(picture, ZV_TYPE_PCX));
        ZvImage back;
        ASSERT_TRUE(back.Load(path.c_str(), ZV_TYPE_PCX)) << back.GetLastError();
        EXPECT_EQ(toRgb(back), toRgb(picture)) << picture.GetBpp();
        EXPECT_EQ(toRgb(back), magickDecodePcx(path, picture.GetBpp() == 1)) << picture.GetBpp();
        EXPECT_EQ(alphaTopDown(back), alphaTopDown(picture));
    }
}
