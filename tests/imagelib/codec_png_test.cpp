// tests/imagelib/codec_png_test.cpp
#include "imagelib/codecs/png/codec_png.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"
#include "tests/imagelib/codec_roundtrip.h"
#include "tests/imagelib/magick_stored.h"
#include "tests/imagelib/peak_memory.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/short_file.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

const char *const kAsStored = "-set colorspace sRGB";

std::string suiteDir()
{
    return corporaDir() + "/pngsuite/png";
}

std::string baseName(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

std::uint32_t be32(const std::string &s, std::size_t at)
{
    return std::uint32_t(std::uint8_t(s[at])) << 24 | std::uint32_t(std::uint8_t(s[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(s[at + 2])) << 8 | std::uint8_t(s[at + 3]);
}

// The chunks of a PNG file in order: type and data.
std::vector<std::pair<std::string, std::string>> chunksOf(const std::string &png)
{
    std::vector<std::pair<std::string, std::string>> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = be32(png, at);
        if (at + 12 + length > png.size())
            break;
        chunks.emplace_back(png.substr(at + 4, 4), png.substr(at + 8, length));
        at += 12 + length;
    }
    return chunks;
}

std::uint32_t crc32(const std::string &bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string be32Bytes(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// A chunk as stored: length, type, data, CRC over type and data.
std::string chunk(const std::string &type, const std::string &data)
{
    return be32Bytes(std::uint32_t(data.size())) + type + data + be32Bytes(crc32(type + data));
}

std::string pngSignature()
{
    return std::string("\x89PNG\r\n\x1a\n", 8);
}

std::string ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType)
{
    return chunk("IHDR", be32Bytes(width) + be32Bytes(height) + char(depth) + char(colourType) +
                             std::string(3, '\0'));
}

// Signature, IHDR of a 1 x 1 grey picture, then a chunk header claiming
// 0x3FFFFFFF bytes of which 16 follow: 57 bytes in all.
std::string claimingAGigabyte(const std::string &type)
{
    return pngSignature() + ihdr(1, 1, 8, 0) + be32Bytes(0x3FFFFFFF) + type + std::string(16, 'a');
}

std::map<std::string, std::string> chunkMap(const std::string &png)
{
    std::map<std::string, std::string> map;
    for (const auto &[type, data] : chunksOf(png))
        map.emplace(type, data);
    return map;
}

ZvImage loadPng(const std::string &name)
{
    ZvImage image;
    image.Load((suiteDir() + "/" + name).c_str(), ZV_TYPE_PNG);
    return image;
}

// A 24-bit picture's alpha-keyed twin: the pixels equal to key become clear.
std::vector<std::uint8_t> keyedAlpha(const Rgb8 &rgb, RGBQUAD key)
{
    std::vector<std::uint8_t> alpha;
    for (std::size_t i = 0; i < rgb.rgb.size(); i += 3) {
        const bool clear =
            rgb.rgb[i] == key.rgbRed && rgb.rgb[i + 1] == key.rgbGreen && rgb.rgb[i + 2] == key.rgbBlue;
        alpha.push_back(clear ? 0 : 255);
    }
    return alpha;
}

} // namespace

TEST(PngSuite, EveryValidFileDecodesToImageMagicksPixels)
{
    ZV_REQUIRE_CORPUS("pngsuite/png");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    int checked = 0;
    for (const std::string &path : listFiles(suiteDir(), ".png")) {
        if (baseName(path)[0] == 'x')
            continue;
        SCOPED_TRACE(baseName(path));
        ZvImage image;
        ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_PNG)) << image.GetLastError();
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_PNG));
        // Colour channels as stored: neither side composites the alpha away.
        // Most suite files declare gamma 1.0, which ImageMagick would
        // convert to sRGB on output unless told the values are sRGB.
        EXPECT_EQ(maxDifference(toRgb(image), magickStored(path, kAsStored)), 0);
        if (image.AlphaIsValid()) {
            EXPECT_EQ(alphaTopDown(image), magickStoredAlpha(path, kAsStored));
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST(PngSuite, EveryCorruptFileIsRefusedWithAMessage)
{
    ZV_REQUIRE_CORPUS("pngsuite/png");
    int checked = 0;
    for (const std::string &path : listFiles(suiteDir(), ".png")) {
        if (baseName(path)[0] != 'x')
            continue;
        SCOPED_TRACE(baseName(path));
        ZvImage image;
        EXPECT_FALSE(image.Load(path.c_str(), ZV_TYPE_PNG));
        EXPECT_FALSE(image.IsValid());
        EXPECT_STRNE(image.GetLastError(), "");
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST(PngDecode, ColourTypesMapOntoTheDibLayouts)
{
    ZV_REQUIRE_CORPUS("pngsuite/png");
    struct Case
    {
        const char *file;
        std::uint32_t bpp;
        bool alpha;
    };
    for (const Case &c :
         {Case{"basn0g01.png", 1, false}, Case{"basn0g02.png", 4, false}, Case{"basn0g04.png", 4, false},
          Case{"basn0g16.png", 8, false}, Case{"basn3p02.png", 4, false}, Case{"basn3p08.png", 8, false},
          Case{"basn2c16.png", 24, false}, Case{"basn4a08.png", 24, true}, Case{"basn6a16.png", 24, true},
          Case{"basi0g02.png", 4, false}, Case{"tbwn0g16.png", 24, true}, Case{"tbrn2c08.png", 24, false}}) {
        SCOPED_TRACE(c.file);
        const ZvImage image = loadPng(c.file);
        ASSERT_TRUE(image.IsValid()) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), c.bpp);
        EXPECT_EQ(image.AlphaIsValid(), c.alpha);
    }
    // Grey stays greyscale, so that it can be saved as a grey JPEG.
    EXPECT_TRUE(loadPng("basn0g08.png").IsGrayScale());
    EXPECT_TRUE(loadPng("basn0g16.png").IsGrayScale());
}

TEST(PngDecode, TransparencyBecomesTheTransparentIndexOrColour)
{
    ZV_REQUIRE_CORPUS("pngsuite/png");
    // One clear palette entry: the transparent index, no alpha palette.
    const ZvImage palette = loadPng("tbbn3p08.png");
    ASSERT_TRUE(palette.IsValid());
    ASSERT_GE(palette.GetTransIndex(), 0);
    EXPECT_FALSE(palette.AlphaPaletteIsEnabled());
    // Graded palette alpha: kept in the palette's fourth bytes.
    const ZvImage graded = loadPng("tm3n3p02.png");
    ASSERT_TRUE(graded.IsValid());
    EXPECT_TRUE(graded.AlphaPaletteIsEnabled());
    EXPECT_EQ(graded.GetTransIndex(), 0);
    EXPECT_EQ(graded.GetPaletteColor(1).rgbReserved, 0x55);
    EXPECT_EQ(graded.GetPaletteColor(3).rgbReserved, 255);
    // A transparent grey level is the index of that level.
    const ZvImage grey = loadPng("tbbn0g04.png");
    ASSERT_TRUE(grey.IsValid());
    ASSERT_GE(grey.GetTransIndex(), 0);
    EXPECT_EQ(grey.GetPaletteColor(std::uint8_t(grey.GetTransIndex())).rgbRed, 255);
    // An RGB key colour.
    const ZvImage rgb = loadPng("tbrn2c08.png");
    ASSERT_TRUE(rgb.IsValid());
    EXPECT_EQ(rgb.GetTransIndex(), 0);
    const RGBQUAD key = rgb.GetTransColor();
    EXPECT_EQ(key.rgbRed, 255);
    EXPECT_EQ(key.rgbGreen, 255);
    EXPECT_EQ(key.rgbBlue, 255);
}

TEST(PngDecode, PixelsPerMetreBecomeDpi)
{
    ZV_REQUIRE_CORPUS("pngsuite/png");
    const ZvImage metric = loadPng("cdun2c08.png"); // 1000 pixels per metre
    EXPECT_EQ(metric.GetXDPI(), 25);
    EXPECT_EQ(metric.GetYDPI(), 25);
    const ZvImage aspect = loadPng("cdfn2c08.png"); // unit unknown: an aspect ratio only
    EXPECT_EQ(aspect.GetXDPI(), 96);
}

TEST(PngDecode, ShortAndForgedFilesFailWithoutAllocating)
{
    ZvImage source = makePattern24(40, 30);
    const std::string png = encodeBytes(source, ZV_TYPE_PNG);
    ASSERT_FALSE(png.empty());
    ZvImage image;
    EXPECT_FALSE(decodeBytes(png.substr(0, png.size() / 2), ZV_TYPE_PNG, image));
    EXPECT_STREQ(image.GetLastError(), "Read Error");

    // The same few bytes claiming 50000 x 50000 pixels, with a valid IHDR.
    std::string forged = png;
    const std::uint8_t size[] = {0, 0, 0xC3, 0x50, 0, 0, 0xC3, 0x50};
    forged.replace(16, 8, reinterpret_cast<const char *>(size), 8);
    const std::uint32_t crc = crc32(forged.substr(12, 17));
    for (int i = 0; i < 4; ++i)
        forged[29 + i] = char(crc >> (24 - 8 * i));
    EXPECT_FALSE(decodeBytes(forged, ZV_TYPE_PNG, image));
    EXPECT_STREQ(image.GetLastError(), "Not enough image data");

    EXPECT_FALSE(decodeBytes("not a png at all", ZV_TYPE_PNG, image));
    EXPECT_STRNE(image.GetLastError(), "");

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(png, ZV_TYPE_PNG, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

// libpng allocates and zeroes what a text chunk claims before it reads it;
// the decoder passes over chunks it does not use, typed or sniffing.
TEST(PngDecode, AChunkClaimingAGigabyteCostsNoMemory)
{
    for (const char *type : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "eXIf", "pHYs", "quUX"}) {
        const std::string file = claimingAGigabyte(type);
        ASSERT_EQ(file.size(), 57u);
        const std::int64_t grown = peakGrowthKb([&] {
            ZvImage typed, sniffed;
            decodeBytes(file, ZV_TYPE_PNG, typed);
            decodeBytes(file, ZV_TYPE_UNKNOWN, sniffed);
        });
        EXPECT_GE(grown, 0) << type;
        EXPECT_LT(grown, 64 * 1024) << type << ": peak grew by " << grown << " KB";
        ZvImage image;
        EXPECT_FALSE(decodeBytes(file, ZV_TYPE_PNG, image)) << type;
        EXPECT_STREQ(image.GetLastError(), "Read Error") << type;
    }
}

// libpng's own default refuses more than a million pixels a side; a strip
// that wide fits the picture limit and decodes.
TEST(PngDecode, AStripWiderThanAMillionPixelsDecodes)
{
    const std::uint32_t width = 1200000;
    const std::size_t rowBytes = width / 8;
    QByteArray rows;
    for (int y = 0; y < 2; ++y) {
        rows.append('\0'); // filter: none
        rows.append(QByteArray(qsizetype(rowBytes), y == 0 ? '\xF0' : '\x0F'));
    }
    const QByteArray zlib = qCompress(rows).mid(4); // without Qt's length prefix
    const std::string file = pngSignature() + ihdr(width, 2, 1, 0) +
                             chunk("IDAT", std::string(zlib.constData(), std::size_t(zlib.size()))) +
                             chunk("IEND", "");
    ZvImage image;
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_PNG, image)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), width);
    EXPECT_EQ(image.GetBpp(), 1u);
    EXPECT_EQ(image.GetBits(1)[0], 0xF0); // the top row is the last DIB row
    EXPECT_EQ(image.GetBits(0)[rowBytes - 1], 0x0F);
}

TEST(PngEncode, TrueColourRoundTripsWithPhysAndBackground)
{
    ZvImage source = makePattern24(67, 41);
    source.SetXDPI(300);
    source.SetYDPI(72);
    const std::string png = encodeBytes(source, ZV_TYPE_PNG);
    ASSERT_FALSE(png.empty()) << source.GetLastError();
    const auto chunks = chunkMap(png);
    const std::string &ihdr = chunks.at("IHDR");
    EXPECT_EQ(be32(ihdr, 0), 67u);
    EXPECT_EQ(be32(ihdr, 4), 41u);
    EXPECT_EQ(ihdr[8], 8);  // bit depth
    EXPECT_EQ(ihdr[9], 2);  // RGB
    EXPECT_EQ(ihdr[12], 0); // not interlaced
    const std::string &phys = chunks.at("pHYs");
    EXPECT_EQ(be32(phys, 0), 11811u);
    EXPECT_EQ(be32(phys, 4), 2835u);
    EXPECT_EQ(phys[8], 1);
    EXPECT_EQ(chunks.count("bKGD"), 1u);
    EXPECT_EQ(chunks.count("tRNS"), 0u);

    ZvImage back;
    ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, back)) << back.GetLastError();
    EXPECT_EQ(toRgb(back), toRgb(source));
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetYDPI(), 72);
    if (haveImageMagick()) {
        EXPECT_EQ(toRgb(source), magickDecode(scratchFile("rgb.png", png)));
    }
}

TEST(PngEncode, IndexedPicturesKeepTheirDepthAndPalette)
{
    for (int bpp : {1, 4, 8}) {
        SCOPED_TRACE(bpp);
        ZvImage source = makePatternIndexed(300, 250, bpp);
        const std::string png = encodeBytes(source, ZV_TYPE_PNG);
        ASSERT_FALSE(png.empty()) << source.GetLastError();
        const auto chunks = chunkMap(png);
        EXPECT_EQ(chunks.at("IHDR")[8], bpp);
        EXPECT_EQ(chunks.at("IHDR")[9], 3);
        // Large pictures keep every palette entry.
        EXPECT_EQ(chunks.at("PLTE").size(), 3u * source.GetNumColors());
        EXPECT_EQ(chunks.at("bKGD"), std::string(1, '\0'));
        ZvImage back;
        ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, back));
        EXPECT_EQ(back.GetBpp(), std::uint32_t(bpp));
        EXPECT_EQ(toRgb(back), toRgb(source));
        if (haveImageMagick()) {
            EXPECT_EQ(toRgb(source), magickDecode(scratchFile("indexed.png", png)));
        }
    }
}

TEST(PngEncode, SmallPicturesWriteThePaletteUpToTheHighestIndexUsed)
{
    ZvImage source = makePatternIndexed(10, 10, 8);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            source.SetPixelIndex(x, y, std::uint8_t((x + y) % 7));
    const std::string png = encodeBytes(source, ZV_TYPE_PNG);
    EXPECT_EQ(chunkMap(png).at("PLTE").size(), 7u * 3);
    ZvImage back;
    ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, back));
    EXPECT_EQ(toRgb(back), toRgb(source));

    // Two-colour pictures are never cut.
    ZvImage mono = makePatternIndexed(10, 10, 1);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            mono.SetPixelIndex(x, y, 0);
    EXPECT_EQ(chunkMap(encodeBytes(mono, ZV_TYPE_PNG)).at("PLTE").size(), 6u);
}

TEST(PngEncode, TheBackgroundEntryMovesToIndexZeroAsTransparent)
{
    for (int bpp : {1, 4, 8}) {
        SCOPED_TRACE(bpp);
        ZvImage source = makePatternIndexed(33, 17, bpp);
        const std::uint8_t back = bpp == 1 ? 1 : 5;
        source.SetTransIndex(back);
        const Rgb8 before = toRgb(source);
        const std::string pixelsBefore(static_cast<const char *>(source.GetDIB()), source.GetSize());
        const std::string png = encodeBytes(source, ZV_TYPE_PNG);
        ASSERT_FALSE(png.empty());
        // The caller's picture is not touched by the swap.
        EXPECT_EQ(std::string(static_cast<const char *>(source.GetDIB()), source.GetSize()), pixelsBefore);

        const auto chunks = chunkMap(png);
        const RGBQUAD moved = source.GetPaletteColor(back);
        const std::string &plte = chunks.at("PLTE");
        EXPECT_EQ(std::uint8_t(plte[0]), moved.rgbRed);
        EXPECT_EQ(std::uint8_t(plte[1]), moved.rgbGreen);
        EXPECT_EQ(std::uint8_t(plte[2]), moved.rgbBlue);
        EXPECT_EQ(chunks.at("tRNS"), std::string(1, '\0'));

        ZvImage decoded;
        ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, decoded));
        EXPECT_EQ(toRgb(decoded), before);
        EXPECT_EQ(decoded.GetTransIndex(), 0);
    }
}

TEST(PngEncode, AlphaIsWrittenAsRgba)
{
    ZvImage source = makePattern24(20, 12);
    ASSERT_TRUE(source.AlphaCreate());
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            source.AlphaSet(x, y, std::uint8_t(x * 13 + y));
    const std::string png = encodeBytes(source, ZV_TYPE_PNG);
    EXPECT_EQ(chunkMap(png).at("IHDR")[9], 6);
    ZvImage back;
    ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, back));
    EXPECT_EQ(toRgb(back), toRgb(source));
    EXPECT_EQ(alphaTopDown(back), alphaTopDown(source));
    if (haveImageMagick()) {
        EXPECT_EQ(magickAlpha(scratchFile("alpha.png", png)), alphaTopDown(source));
    }
}

TEST(PngEncode, AKeyedTrueColourPictureIsWrittenWithAlpha)
{
    ZvImage source = makePattern24(16, 9);
    const RGBQUAD key{10, 20, 30, 0};
    source.SetPixelColor(3, 4, key);
    source.SetPixelColor(15, 0, key);
    source.SetTransColor(key);
    source.SetTransIndex(0);
    const std::string png = encodeBytes(source, ZV_TYPE_PNG);
    const auto chunks = chunkMap(png);
    EXPECT_EQ(chunks.at("IHDR")[9], 6);
    const std::string &bkgd = chunks.at("bKGD"); // 16-bit red, green, blue
    EXPECT_EQ(bkgd, std::string("\0\x1e\0\x14\0\x0a", 6));
    ZvImage back;
    ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, back));
    EXPECT_EQ(alphaTopDown(back), keyedAlpha(toRgb(source), key));
}

TEST(PngEncode, AnEnabledAlphaPaletteIsWrittenAsTrns)
{
    ZvImage source = makePatternIndexed(300, 230, 8);
    RGBQUAD *pal = source.GetPalette();
    for (int i = 0; i < 256; ++i)
        pal[i].rgbReserved = i < 3 ? std::uint8_t(i * 100) : 255;
    source.AlphaPaletteEnable(true);
    const std::string png = encodeBytes(source, ZV_TYPE_PNG);
    EXPECT_EQ(chunkMap(png).at("tRNS"), std::string("\0\x64\xc8", 3));
    ZvImage back;
    ASSERT_TRUE(decodeBytes(png, ZV_TYPE_PNG, back));
    EXPECT_TRUE(back.AlphaPaletteIsEnabled());
    EXPECT_EQ(back.GetPaletteColor(1).rgbReserved, 100);
    EXPECT_EQ(back.GetTransIndex(), 0);
}

TEST(PngEncode, StreamFailuresAreReported)
{
    ZvImage source = makePattern24(64, 64);
    ShortFile file(100);
    EXPECT_FALSE(source.Encode(&file, ZV_TYPE_PNG));
    EXPECT_STREQ(source.GetLastError(), "Write Error");
    EXPECT_FALSE(source.Encode(static_cast<ZvFile *>(nullptr), ZV_TYPE_PNG));
    EXPECT_STREQ(source.GetLastError(), "null file handler");
}
