// tests/imagelib/codec_tif_test.cpp
#include "imagelib/codecs/tiff/codec_tif.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/io_file.h"
#include "imagelib/streams/mem_file.h"
#include "tests/imagelib/codec_roundtrip.h"
#include "tests/imagelib/magick_stored.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/short_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string picsDir()
{
    return corporaDir() + "/libtiff-pics-3.8.0";
}

std::string baseName(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

// The tags of a TIFF file's first directory: tag -> values (short and long
// values as numbers, rationals as numerator then denominator).
class TiffTags
{
  public:
    explicit TiffTags(const std::string &bytes)
        : mBytes(bytes)
        , mLittle(bytes.size() > 8 && bytes[0] == 'I')
    {
        if (bytes.size() < 8 || Get(2, 2) != 42)
            return;
        const std::uint32_t ifd = Get(4, 4);
        const std::uint32_t count = Get(ifd, 2);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t at = ifd + 2 + 12 * i;
            const std::uint32_t type = Get(at + 2, 2);
            const std::uint32_t n = Get(at + 4, 4);
            const std::uint32_t size = type == 3 ? 2 : type == 5 ? 8 : 4;
            const std::uint32_t values = n * size <= 4 ? at + 8 : Get(at + 8, 4);
            std::vector<std::uint32_t> &out = mTags[Get(at, 2)];
            for (std::uint32_t k = 0; k < n; ++k) {
                if (type == 5) {
                    out.push_back(Get(values + 8 * k, 4));
                    out.push_back(Get(values + 8 * k + 4, 4));
                } else {
                    out.push_back(Get(values + size * k, type == 3 ? 2 : 4));
                }
            }
        }
    }
    bool Has(std::uint32_t tag) const { return mTags.count(tag) != 0; }
    std::uint32_t operator[](std::uint32_t tag) const
    {
        return Has(tag) ? mTags.at(tag).front() : 0xFFFFFFFFu;
    }
    const std::vector<std::uint32_t> &All(std::uint32_t tag) const { return mTags.at(tag); }

    // Little-endian readers only: the encoder writes the host's order.
    std::uint32_t Get(std::size_t at, int size) const
    {
        std::uint32_t v = 0;
        for (int i = 0; i < size && at + i < mBytes.size(); ++i) {
            const std::uint32_t b = std::uint8_t(mBytes[at + i]);
            v |= mLittle ? b << (8 * i) : b << (8 * (size - 1 - i));
        }
        return v;
    }

  private:
    std::string mBytes;
    bool mLittle;
    std::map<std::uint32_t, std::vector<std::uint32_t>> mTags;
};

constexpr std::uint32_t kCompression = 259;
constexpr std::uint32_t kPhotometric = 262;
constexpr std::uint32_t kStripOffsets = 273;
constexpr std::uint32_t kSamples = 277;
constexpr std::uint32_t kBits = 258;
constexpr std::uint32_t kRowsPerStrip = 278;
constexpr std::uint32_t kXResolution = 282;
constexpr std::uint32_t kResolutionUnit = 296;
constexpr std::uint32_t kPredictor = 317;
constexpr std::uint32_t kColorMap = 320;
constexpr std::uint32_t kExtraSamples = 338;

std::string encodeTiff(ZvImage &image, std::uint32_t option = 0)
{
    image.SetCodecOption(option);
    return encodeBytes(image, ZV_TYPE_TIF);
}

ZvImage decodeTiff(const std::string &bytes)
{
    ZvImage image;
    decodeBytes(bytes, ZV_TYPE_TIF, image);
    return image;
}

ZvImage twoColour(RGBQUAD first, RGBQUAD second)
{
    ZvImage image(40, 9, 1);
    image.SetPaletteColor(0, first);
    image.SetPaletteColor(1, second);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 40; ++x)
            image.SetPixelIndex(x, y, std::uint8_t((x / 3 + y) % 2));
    return image;
}

// Largest difference over the pixels whose alpha is 255 on our side:
// premultiplied files lose colour precision where alpha is low.
int opaqueDifference(const ZvImage &image, const Rgb8 &reference)
{
    const Rgb8 ours = toRgb(image);
    if (ours.width != reference.width || ours.height != reference.height)
        return 256;
    const std::vector<std::uint8_t> alpha = alphaTopDown(image);
    int worst = 0;
    for (std::size_t i = 0; i < alpha.size(); ++i)
        for (std::size_t k = 0; alpha[i] == 255 && k < 3; ++k)
            worst = std::max(worst, std::abs(int(ours.rgb[3 * i + k]) - int(reference.rgb[3 * i + k])));
    return worst;
}

const RGBQUAD kWhite{255, 255, 255, 0};
const RGBQUAD kBlack{0, 0, 0, 0};

} // namespace

TEST(TiffPictures, EveryPictureDecodesLikeImageMagick)
{
    ZV_REQUIRE_CORPUS("libtiff-pics-3.8.0");
    // Pictures ImageMagick gets wrong (checked by eye; ours are right): it
    // reads 24-bit samples and uncompressed subsampled YCbCr as noise, gives
    // old-style JPEG false colours and flattens LogL.
    const std::set<std::string> misread = {
        "dscf0013.tif",
        "ycbcr-cat.tif",
        "smallliz.tif",
        "zackthecat.tif",
        "off_l16.tif",
        "flower-minisblack-24.tif",
        "flower-rgb-contig-24.tif",
        "flower-rgb-planar-24.tif",
    };
    // A corrupt picture in the set: its Thunderscan data ends early.
    const std::string truncated = "text.tif";
    int checked = 0;
    std::vector<std::string> files = listFiles(picsDir(), ".tif");
    for (const std::string &f : listFiles(picsDir() + "/depth", ".tif"))
        files.push_back(f);
    for (const std::string &path : files) {
        const std::string name = baseName(path);
        SCOPED_TRACE(name);
        ZvImage image;
        const bool ok = image.Load(path.c_str(), ZV_TYPE_TIF);
        if (name == truncated) {
            EXPECT_FALSE(ok);
            EXPECT_NE(std::string(image.GetLastError()).find("Corrupted TIFF file!"), std::string::npos);
            continue;
        }
        ASSERT_TRUE(ok) << image.GetLastError();
        ++checked;
        if (!haveImageMagick())
            continue;
        if (misread.count(name))
            continue;
        // One step of rounding apart at most: the reduction of deep samples.
        EXPECT_LE(opaqueDifference(image, magickStored(path)), 1);
    }
    EXPECT_GT(checked, 55);
}

TEST(TiffPictures, DeepSamplesMatchTheirEightBitTwin)
{
    ZV_REQUIRE_CORPUS("libtiff-pics-3.8.0");
    const std::string dir = picsDir() + "/depth/flower-";
    int checked = 0;
    for (const char *kind :
         {"minisblack", "rgb-contig", "rgb-planar", "separated-contig", "separated-planar"}) {
        ZvImage eight;
        ASSERT_TRUE(eight.Load((dir + kind + "-08.tif").c_str(), ZV_TYPE_TIF)) << kind;
        for (const char *depth : {"10", "12", "14", "16", "24", "32"}) {
            const std::string path = dir + kind + "-" + depth + ".tif";
            if (!std::filesystem::exists(path))
                continue;
            SCOPED_TRACE(path);
            ZvImage deep;
            ASSERT_TRUE(deep.Load(path.c_str(), ZV_TYPE_TIF)) << deep.GetLastError();
            // CMYK is converted after the reduction to 8 bits in one and before it in the other.
            const int rounding = std::string(kind).rfind("separated", 0) == 0 ? 2 : 1;
            EXPECT_LE(maxDifference(toRgb(deep), toRgb(eight)), rounding);
            ++checked;
        }
    }
    EXPECT_GE(checked, 20);
}

TEST(TiffPictures, LayoutsFollowPhotometricAndDepth)
{
    ZV_REQUIRE_CORPUS("libtiff-pics-3.8.0");
    struct Case
    {
        const char *file;
        std::uint32_t bpp;
        std::uint32_t compression;
    };
    for (const Case &c :
         {Case{"fax2d.tif", 1, 3}, Case{"jim___ah.tif", 1, 1}, Case{"cramps.tif", 8, 32773},
          Case{"jello.tif", 8, 32773}, Case{"ladoga.tif", 8, 8}, Case{"quad-jpeg.tif", 24, 7},
          Case{"quad-tile.tif", 24, 5}, Case{"oxford.tif", 24, 5},
          Case{"depth/flower-minisblack-04.tif", 4, 1}, Case{"depth/flower-palette-04.tif", 4, 1},
          Case{"depth/flower-palette-16.tif", 24, 1}, Case{"strike.tif", 24, 5}}) {
        SCOPED_TRACE(c.file);
        ZvImage image;
        ASSERT_TRUE(image.Load((picsDir() + "/" + c.file).c_str(), ZV_TYPE_TIF)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), c.bpp);
        EXPECT_EQ(image.GetCodecOption(), c.compression);
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_TIF));
    }
    ZvImage grey;
    ASSERT_TRUE(grey.Load((picsDir() + "/jim___dg.tif").c_str(), ZV_TYPE_TIF)); // min-is-white
    EXPECT_TRUE(grey.IsGrayScale());
    ZvImage alpha;
    ASSERT_TRUE(alpha.Load((picsDir() + "/strike.tif").c_str(), ZV_TYPE_TIF));
    EXPECT_TRUE(alpha.AlphaIsValid());
    ZvImage fax;
    ASSERT_TRUE(fax.Load((picsDir() + "/fax2d.tif").c_str(), ZV_TYPE_TIF));
    EXPECT_EQ(fax.GetXDPI(), 204);
    EXPECT_EQ(fax.GetYDPI(), 98);
}

TEST(TiffPictures, PagesAreFrames)
{
    ZV_REQUIRE_CORPUS("libtiff-pics-3.8.0");
    const std::string path = picsDir() + "/dscf0013.tif";
    ZvImage image;
    ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_TIF)) << image.GetLastError();
    EXPECT_EQ(image.GetNumFrames(), 2);
    EXPECT_EQ(image.GetWidth(), 640u);
    ZvImage second;
    second.SetFrame(1);
    ASSERT_TRUE(second.Load(path.c_str(), ZV_TYPE_TIF)) << second.GetLastError();
    EXPECT_EQ(second.GetWidth(), 160u);
    EXPECT_EQ(second.GetHeight(), 120u);
    ZvImage missing;
    missing.SetFrame(2);
    ZvIOFile file;
    ASSERT_TRUE(file.Open(path.c_str(), "rb"));
    EXPECT_FALSE(missing.Decode(&file, ZV_TYPE_TIF));
    EXPECT_STREQ(missing.GetLastError(), "Error: page not present in TIFF file");
    EXPECT_EQ(missing.GetNumFrames(), 2);
}

TEST(TiffDecode, HeaderOnlyAndBadInput)
{
    ZvImage source = makePattern24(30, 20);
    const std::string tiff = encodeTiff(source);
    ASSERT_FALSE(tiff.empty()) << source.GetLastError();

    std::vector<std::uint8_t> copy(tiff.begin(), tiff.end());
    ZvMemFile file(copy.data(), copy.size());
    ZvImageTIF codec;
    codec.SetEscape(-1);
    EXPECT_FALSE(codec.Decode(&file));
    EXPECT_STREQ(codec.GetLastError(), "output dimensions returned");
    EXPECT_EQ(codec.GetWidth(), 30u);
    EXPECT_EQ(codec.GetHeight(), 20u);
    EXPECT_FALSE(codec.IsValid());

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(tiff, ZV_TYPE_TIF, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");

    ZvImage image;
    EXPECT_FALSE(decodeBytes("II*\0garbage", ZV_TYPE_TIF, image));
    EXPECT_NE(std::string(image.GetLastError()).find("Error encountered while opening TIFF file"),
              std::string::npos);
    EXPECT_FALSE(decodeBytes(tiff.substr(0, tiff.size() / 2), ZV_TYPE_TIF, image));
    EXPECT_STRNE(image.GetLastError(), "");
    EXPECT_FALSE(image.IsValid());
}

TEST(TiffDecode, PositionsBecomePixelOffsets)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    // XPosition and YPosition are stored in inches: 0.3 and 0.2 at 100 per inch.
    const std::string path = scratchDir() + "/placed.tif";
    ASSERT_EQ(runCommand("convert -size 40x30 gradient: -page +30+20 -density 100 -units PixelsPerInch '" +
                         path + "'"),
              0);
    ZvImage image;
    ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_TIF)) << image.GetLastError();
    std::int32_t x = 0, y = 0;
    image.GetOffset(&x, &y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 20);
    EXPECT_EQ(image.GetXDPI(), 100);
}

TEST(TiffDecode, LibraryMessagesStayOffStderrAndApartBetweenThreads)
{
    ZV_REQUIRE_CORPUS("libtiff-pics-3.8.0");
    ZvImage source = makePattern24(64, 64);
    const std::string good = encodeTiff(source, 5);
    const std::string cut = good.substr(0, good.size() - 200); // the directory is at the end
    std::string scrambled = good;                              // LZW codes that make no sense
    for (std::size_t i = 40; i < 400; ++i)
        scrambled[i] = char(0xFF);
    testing::internal::CaptureStderr();
    ZvImage warned; // old-style LZW and unknown tags draw warnings from libtiff
    EXPECT_TRUE(warned.Load((picsDir() + "/quad-lzw.tif").c_str(), ZV_TYPE_TIF));
    EXPECT_TRUE(warned.Load((picsDir() + "/pc260001.tif").c_str(), ZV_TYPE_TIF));
    // Each thread's decodes report their own library text, never the other's.
    const std::string expected[2] = {
        "Error encountered while opening TIFF file (Failed to read directory at offset ",
        "Corrupted TIFF file! (Using code not yet in table)"};
    std::vector<std::thread> threads;
    std::vector<std::string> failures(2);
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                ZvImage image;
                const bool ok = decodeBytes(t == 0 ? cut : scrambled, ZV_TYPE_TIF, image);
                const std::string message = image.GetLastError();
                if (ok || message.rfind(expected[t], 0) != 0)
                    failures[t] = message;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[1], "");
}

TEST(TiffDecode, ForgedSampleCountsDoNotReachLibtiffsAllocator)
{
    // Found by fuzzing: 16 x 16136 pixels of 12801 16-bit samples, which
    // libtiff's RGBA reader would buffer whole (6.6 GB) for a 326-byte file.
    const std::string hex =
        "49492a0038000000803fdfe00824160d0784426086d6dc2a1d0f82b6d6d108a42492928ac660ab636c6a342424c7a329"
        "21248a4d2785404010000001030001000000100000000101030001000000083f00000201030001000000100000000301"
        "030001000000053300000000000000000000010000000a01030001000000010000001101040001000000080000001201"
        "030001000000010000001501030001000000013208000000000000000000160103000100000008000000170104000100"
        "0000300000001c01030001000000010000002901030002000000000001003d01030001000000020000003e0105000200"
        "00002e0100003f01050006000000fe0000000000000085eb510000008000c3f5a80000000002cdcc4c0000000001cdcc"
        "4c0000008000cdcc4c00000000028fc2f50000000010371aa000000000022b870a0000002000";
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
    ZvImage image;
    EXPECT_FALSE(decodeBytes(bytes, ZV_TYPE_TIF, image));
    // Without the cap the allocation would succeed on paper and fail later, with another text.
    EXPECT_STREQ(image.GetLastError(), "Corrupted TIFF file! (No space for strip buffer)");
}

TEST(TiffEncode, OneBitIsMinIsWhiteWithTheDarkerEntryAsOne)
{
    // (white, black): index 0 is already the white of min-is-white.
    ZvImage whiteFirst = twoColour(kWhite, kBlack);
    const std::string plain = encodeTiff(whiteFirst, 1);
    const TiffTags tags(plain);
    EXPECT_EQ(tags[kPhotometric], 0u);
    EXPECT_EQ(tags[kCompression], 1u);
    EXPECT_EQ(std::uint8_t(plain[tags[kStripOffsets]]), whiteFirst.GetBits(8)[0]);

    // (black, white): the bytes go out inverted, the picture unchanged.
    ZvImage blackFirst = twoColour(kBlack, kWhite);
    const std::string before(static_cast<const char *>(blackFirst.GetDIB()), blackFirst.GetSize());
    const std::string inverted = encodeTiff(blackFirst, 1);
    EXPECT_EQ(std::uint8_t(inverted[TiffTags(inverted)[kStripOffsets]]),
              std::uint8_t(~blackFirst.GetBits(8)[0]));
    EXPECT_EQ(std::string(static_cast<const char *>(blackFirst.GetDIB()), blackFirst.GetSize()), before);

    // By default: group 4, and the same look through both decoders.
    for (ZvImage *image : {&whiteFirst, &blackFirst}) {
        const std::string fax = encodeTiff(*image);
        EXPECT_EQ(TiffTags(fax)[kCompression], 4u);
        EXPECT_EQ(TiffTags(fax)[kPhotometric], 0u);
        EXPECT_EQ(toRgb(decodeTiff(fax)), toRgb(*image));
        if (haveImageMagick()) {
            EXPECT_EQ(magickStored(scratchFile("fax.tif", fax)), toRgb(*image));
        }
    }
}

TEST(TiffEncode, PhotometricAndCompressionFollowThePicture)
{
    ZvImage ramp(64, 16, 8);
    ramp.SetGrayPalette();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            ramp.SetPixelIndex(x, y, std::uint8_t(x * 4 + y));
    const TiffTags grey(encodeTiff(ramp));
    EXPECT_EQ(grey[kPhotometric], 1u);
    EXPECT_EQ(grey[kCompression], 32773u);
    EXPECT_FALSE(grey.Has(kColorMap));

    ZvImage colour = makePatternIndexed(64, 16, 8);
    const TiffTags palette(encodeTiff(colour));
    EXPECT_EQ(palette[kPhotometric], 3u);
    EXPECT_EQ(palette[kCompression], 32773u);
    ASSERT_TRUE(palette.Has(kColorMap));
    EXPECT_EQ(palette.All(kColorMap).size(), 768u);
    EXPECT_EQ(palette.All(kColorMap)[1], colour.GetPaletteColor(1).rgbRed * 257u);

    ZvImage greyFour(64, 16, 4);
    greyFour.SetGrayPalette(); // steps of 17: the 4-bit grey ramp
    EXPECT_EQ(TiffTags(encodeTiff(greyFour))[kPhotometric], 1u);

    ZvImage four = makePatternIndexed(64, 16, 4);
    const TiffTags nibbles(encodeTiff(four));
    EXPECT_EQ(nibbles[kPhotometric], 3u);
    EXPECT_EQ(nibbles[kCompression], 1u);
    EXPECT_EQ(nibbles[kBits], 4u);

    ZvImage rgb = makePattern24(64, 20);
    rgb.SetXDPI(300);
    const std::string jpeg = encodeTiff(rgb);
    const TiffTags photo(jpeg);
    EXPECT_EQ(photo[kPhotometric], 2u);
    EXPECT_EQ(photo[kCompression], 7u);
    EXPECT_EQ(photo[kRowsPerStrip] % 8, 0u);
    EXPECT_EQ(photo[kXResolution], 300u);
    EXPECT_EQ(photo[kResolutionUnit], 2u);
    EXPECT_EQ(photo.All(kBits), (std::vector<std::uint32_t>{8, 8, 8}));
    rgb.SetJpegQuality(20);
    EXPECT_LT(encodeTiff(rgb).size(), jpeg.size());
}

TEST(TiffEncode, TheOptionChoosesTheSchemeWhenItFits)
{
    ZvImage rgb = makePattern24(50, 30);
    const TiffTags lzw(encodeTiff(rgb, 5));
    EXPECT_EQ(lzw[kCompression], 5u);
    EXPECT_EQ(lzw[kPredictor], 2u);
    EXPECT_EQ(TiffTags(encodeTiff(rgb, 8))[kCompression], 8u);
    // Group 4 cannot hold colour, and old-style JPEG cannot be written.
    EXPECT_EQ(TiffTags(encodeTiff(rgb, 4))[kCompression], 7u);
    EXPECT_EQ(TiffTags(encodeTiff(rgb, 6))[kCompression], 7u);
    ZvImage mono = twoColour(kBlack, kWhite);
    EXPECT_EQ(TiffTags(encodeTiff(mono, 3))[kCompression], 3u);
    EXPECT_FALSE(TiffTags(encodeTiff(mono, 5)).Has(kPredictor));
}

TEST(TiffEncode, RoundTripsThroughBothDecoders)
{
    struct Case
    {
        int bpp;
        std::uint32_t option;
    };
    for (const Case &c : {Case{1, 0}, Case{4, 0}, Case{4, 5}, Case{8, 0}, Case{8, 5}, Case{8, 8}, Case{24, 1},
                          Case{24, 5}, Case{24, 32773}, Case{24, 8}}) {
        SCOPED_TRACE(std::to_string(c.bpp) + " bits, option " + std::to_string(c.option));
        ZvImage source = c.bpp == 24 ? makePattern24(77, 45) : makePatternIndexed(77, 45, c.bpp);
        if (c.bpp == 1)
            source = twoColour(kBlack, kWhite);
        source.SetXDPI(150);
        source.SetYDPI(75);
        const std::string tiff = encodeTiff(source, c.option);
        ASSERT_FALSE(tiff.empty()) << source.GetLastError();
        const ZvImage back = decodeTiff(tiff);
        ASSERT_TRUE(back.IsValid());
        EXPECT_EQ(back.GetBpp(), source.GetBpp());
        EXPECT_EQ(toRgb(back), toRgb(source));
        EXPECT_EQ(back.GetXDPI(), 150);
        EXPECT_EQ(back.GetYDPI(), 75);
        if (haveImageMagick()) {
            EXPECT_EQ(magickStored(scratchFile("round.tif", tiff)), toRgb(source));
        }
    }
}

TEST(TiffEncode, JpegIsCloseAndAlphaIsAnExtraSample)
{
    ZvImage photo = makePattern24(96, 64);
    photo.SetJpegQuality(95);
    const ZvImage back = decodeTiff(encodeTiff(photo));
    EXPECT_LE(maxDifference(toRgb(back), toRgb(photo)), 24);

    ZvImage source = makePattern24(40, 24);
    ASSERT_TRUE(source.AlphaCreate());
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            source.AlphaSet(x, y, std::uint8_t(x * 6 + y));
    const std::string tiff = encodeTiff(source, 5);
    const TiffTags tags(tiff);
    EXPECT_EQ(tags[kSamples], 4u);
    EXPECT_EQ(tags[kExtraSamples], 2u);
    const ZvImage rgba = decodeTiff(tiff);
    EXPECT_EQ(toRgb(rgba), toRgb(source));
    EXPECT_EQ(alphaTopDown(rgba), alphaTopDown(source));
    if (haveImageMagick()) {
        EXPECT_EQ(magickStoredAlpha(scratchFile("alpha.tif", tiff)), alphaTopDown(source));
    }

    ZvImage grey(30, 10, 8);
    grey.SetGrayPalette();
    ASSERT_TRUE(grey.AlphaCreate());
    grey.AlphaSet(3, 3, 7);
    const TiffTags greyAlpha(encodeTiff(grey));
    EXPECT_EQ(greyAlpha[kSamples], 2u);
    EXPECT_EQ(greyAlpha[kPhotometric], 1u);
}

TEST(TiffEncode, PagesAppendToAnExistingTiff)
{
    ZvImage first = makePattern24(20, 10);
    ZvImage second = makePatternIndexed(12, 7, 8);
    ZvMemFile file;
    file.Open();
    ASSERT_TRUE(first.Encode(&file, ZV_TYPE_TIF)) << first.GetLastError();
    file.Seek(0, SEEK_FROM_START);
    ASSERT_TRUE(second.Encode(&file, ZV_TYPE_TIF)) << second.GetLastError();
    const std::string bytes(reinterpret_cast<const char *>(file.GetBuffer(false)), std::size_t(file.Size()));
    ZvImage page;
    page.SetFrame(1);
    ASSERT_TRUE(decodeBytes(bytes, ZV_TYPE_TIF, page)) << page.GetLastError();
    EXPECT_EQ(page.GetNumFrames(), 2);
    EXPECT_EQ(toRgb(page), toRgb(second));
}

TEST(TiffEncode, CentimetreResolutionAndWriteFailures)
{
    ZvImage source = makePattern24(8, 8);
    source.SetXDPI(118);
    source.SetYDPI(118);
    std::string tiff = encodeTiff(source, 1);
    // Rewrite the resolution unit to centimetres: 118 per cm is 300 per inch.
    const TiffTags tags(tiff);
    const std::uint32_t ifd = tags.Get(4, 4);
    for (std::uint32_t i = 0; i < tags.Get(ifd, 2); ++i) {
        const std::uint32_t at = ifd + 2 + 12 * i;
        if (tags.Get(at, 2) == kResolutionUnit)
            tiff[at + 8] = 3;
    }
    const ZvImage metric = decodeTiff(tiff);
    EXPECT_EQ(metric.GetXDPI(), 300);

    // A stream that takes nothing fails at the header, one that fills up later at the pixels.
    ShortFile none(0);
    EXPECT_FALSE(source.Encode(&none, ZV_TYPE_TIF));
    EXPECT_NE(std::string(source.GetLastError()).find("initialization fail"), std::string::npos);
    ZvImage big = makePattern24(200, 200);
    ShortFile some(1000);
    EXPECT_FALSE(big.Encode(&some, ZV_TYPE_TIF));
    EXPECT_NE(std::string(big.GetLastError()).find("Error saving TIFF file"), std::string::npos);
}
