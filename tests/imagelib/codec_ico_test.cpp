// tests/imagelib/codec_ico_test.cpp
#include "imagelib/codecs/ico/codec_ico.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string icoDir()
{
    return corporaDir() + "/image-rs-tests/images/ico/images/";
}

bool loadFrame(const std::string &path, int frame, ZvImage &image)
{
    image.SetFrame(frame);
    return image.Load(path.c_str(), ZV_TYPE_ICO);
}

bool isPngEntry(const std::string &path)
{
    const std::string bytes = readFile(path);
    const std::size_t at =
        bytes.size() >= 22 ? std::size_t(std::uint8_t(bytes[18])) | std::size_t(std::uint8_t(bytes[19])) << 8
                           : 0;
    return at + 4 <= bytes.size() && bytes.compare(at, 4, "\x89PNG") == 0;
}

// A 2 x 2 4-bit icon entry: the colour rows, then the mask rows.
std::string smallIcon(const std::string &mask)
{
    std::string entry = std::string("\x28\0\0\0\x02\0\0\0\x04\0\0\0\x01\0\x04\0", 16) + std::string(24, '\0');
    for (int i = 0; i < 16; ++i)
        entry += {char(i * 16), char(i * 8), char(255 - i), 0};
    entry += std::string("\x12\0\0\0\x34\0\0\0", 8);
    entry += mask;
    std::string file = std::string("\0\0\x01\0\x01\0\x02\x02\x10\0\x01\0\x04\0", 14);
    const std::size_t size = entry.size();
    file += {char(size & 0xFF), char(size >> 8), 0, 0, 22, 0, 0, 0};
    return file + entry;
}

// Colours of fully transparent pixels carry nothing; they are set to black.
Rgb8 visible(Rgb8 rgb, const std::vector<std::uint8_t> &alpha)
{
    for (std::size_t i = 0; i < alpha.size() && 3 * i + 2 < rgb.rgb.size(); ++i)
        if (alpha[i] == 0)
            rgb.rgb[3 * i] = rgb.rgb[3 * i + 1] = rgb.rgb[3 * i + 2] = 0;
    return rgb;
}

} // namespace

TEST(IcoDecode, ImageRsSuiteMatchesReferences)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    int skippedPng = 0;
    for (const std::string &reference :
         listFiles(corporaDir() + "/image-rs-tests/reference/ico/images", ".png")) {
        const std::string name = fs::path(reference).stem().string(); // "x.ico"
        const std::string path = icoDir() + name;
        const Rgb8 expect = magickDecode(reference);
        const std::vector<std::uint8_t> alpha = magickAlpha(reference);
        ZvImage image;
        if (!loadFrame(path, 0, image) && isPngEntry(path)) {
            ++skippedPng; // PNG entries need the PNG codec
            continue;
        }
        ASSERT_TRUE(image.IsValid()) << name << ": " << image.GetLastError();
        // The suite renders one entry of its choice; we decode the frame
        // asked for, so one of the entries must match.
        int best = 256;
        for (int frame = 0; frame < image.GetNumFrames() && best > 0; ++frame) {
            ASSERT_TRUE(loadFrame(path, frame, image))
                << name << " " << frame << ": " << image.GetLastError();
            EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_ICO));
            if (alphaTopDown(image) == alpha)
                best = std::min(best, maxDifference(visible(toRgb(image), alpha), visible(expect, alpha)));
        }
        EXPECT_EQ(best, 0) << name;
    }
    if (skippedPng > 0)
        GTEST_SKIP() << skippedPng << " PNG-compressed icons left out: the PNG codec does not decode yet";
}

TEST(IcoDecode, EntriesAndFrames)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    ZvImage image;
    ASSERT_TRUE(loadFrame(icoDir() + "multiple_entries_with_different_bit_depth.ico", 4, image));
    EXPECT_EQ(image.GetNumFrames(), 9);
    EXPECT_EQ(image.GetWidth(), 16u);
    EXPECT_EQ(image.GetBpp(), 8u);
    ASSERT_TRUE(loadFrame(icoDir() + "multiple_entries_with_different_bit_depth.ico", 0, image));
    EXPECT_EQ(image.GetBpp(), 4u);

    ZvImage missing;
    EXPECT_FALSE(loadFrame(icoDir() + "multiple_entries_with_different_bit_depth.ico", 9, missing));
    EXPECT_EQ(missing.GetNumFrames(), 9);
    EXPECT_STREQ(missing.GetLastError(), "icon entry not present");
}

TEST(IcoDecode, LenientAndDamagedEntries)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    ZvImage image;
    // A 124-byte bitmap header; a 32-bit entry whose mask is cut short.
    ASSERT_TRUE(loadFrame(icoDir() + "bmp_v5_with_icc.ico", 0, image)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 127u);
    EXPECT_EQ(image.GetHeight(), 64u);
    ASSERT_TRUE(loadFrame(icoDir() + "truncated_mask_32bpp.ico", 0, image)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 64u);
    // A 32-bit entry's own alpha wins over a mask that says otherwise.
    ASSERT_TRUE(loadFrame(icoDir() + "bmp-32bpp-conflicting-and-mask.ico", 0, image));
    if (haveImageMagick()) {
        EXPECT_EQ(alphaTopDown(image), magickAlpha(icoDir() + "bmp-32bpp-conflicting-and-mask.ico"));
    }

    // The directory gives the colour rows less room than they take.
    ZvImage bad;
    EXPECT_FALSE(
        loadFrame(corporaDir() + "/image-rs-tests/bad/ico/Bad_smile-incorrect-image-length.ico", 0, bad));
    EXPECT_STREQ(bad.GetLastError(), "corrupted ICO");
    for (const std::string &path : listFiles(corporaDir() + "/image-rs-tests/regression/ico")) {
        ZvImage any;
        if (!loadFrame(path, 0, any)) {
            EXPECT_STRNE(any.GetLastError(), "") << path;
        }
    }
}

TEST(IcoDecode, MaskBecomesAlphaAndMissingMaskRowsAreOpaque)
{
    ZvImage image;
    // Mask rows bottom-up: bottom row has its left pixel transparent.
    ASSERT_TRUE(decodeBytes(smallIcon(std::string("\x80\0\0\0\0\0\0\0", 8)), ZV_TYPE_ICO, image))
        << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 4u);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 4);
    EXPECT_EQ(image.AlphaGet(0, 0), 0);
    EXPECT_EQ(image.AlphaGet(1, 0), 255);
    ASSERT_TRUE(decodeBytes(smallIcon(""), ZV_TYPE_ICO, image));
    EXPECT_FALSE(image.AlphaIsValid());
}

TEST(IcoDecode, RefusesDamagedDirectoriesAndHonoursEscape)
{
    ZvImage image;
    EXPECT_FALSE(decodeBytes(std::string("\0\0\x03\0\x01\0", 6), ZV_TYPE_ICO, image));
    EXPECT_STREQ(image.GetLastError(), "Not an ICO");
    std::string pastEnd = smallIcon("");
    pastEnd[18] = char(0xF0); // the entry's offset beyond the file
    EXPECT_FALSE(decodeBytes(pastEnd, ZV_TYPE_ICO, image));
    EXPECT_STREQ(image.GetLastError(), "corrupted ICO");

    ZvImage probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(smallIcon(""), ZV_TYPE_ICO, probe));
    EXPECT_FALSE(probe.IsValid());
    EXPECT_EQ(probe.GetWidth(), 2u);
    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(smallIcon(""), ZV_TYPE_ICO, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(IcoEncode, DirectoryAndBitmapHeader)
{
    ZvImage image = makePatternIndexed(20, 10, 4);
    const std::string bytes = encodeBytes(image, ZV_TYPE_ICO);
    // 40 + 64 palette + 10 rows of 12 colour bytes + 10 rows of 4 mask bytes = 264.
    const std::string entry =
        std::string("\x14\x0A\x10\0\x01\0\x04\0", 8) + std::string("\x08\x01\0\0\x16\0\0\0", 8);
    EXPECT_EQ(bytes.substr(0, 22), std::string("\0\0\x01\0\x01\0", 6) + entry);
    EXPECT_EQ(bytes.size(), 22u + 264u);
    EXPECT_EQ(bytes.substr(22, 16), std::string("\x28\0\0\0\x14\0\0\0\x14\0\0\0\x01\0\x04\0", 16));
}

TEST(IcoEncode, RefusesPicturesLargerThan255)
{
    ZvImage fits = makePattern24(255, 255);
    EXPECT_FALSE(encodeBytes(fits, ZV_TYPE_ICO).empty());
    for (auto [w, h] : {std::pair{256, 10}, {10, 256}}) {
        ZvImage image = makePattern24(w, h);
        EXPECT_TRUE(encodeBytes(image, ZV_TYPE_ICO).empty());
        EXPECT_STREQ(image.GetLastError(), "Can't save this image as icon");
    }
}

TEST(IcoEncode, OutputDecodesAlikeHereAndInImageMagick)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    ZvImage withAlpha = makePattern24(33, 17);
    withAlpha.AlphaCreate();
    for (int x = 0; x < 33; ++x)
        withAlpha.AlphaSet(x, x % 17, std::uint8_t(x * 7));
    ZvImage transparentIndex = makePatternIndexed(33, 17, 8);
    transparentIndex.SetTransIndex(3);
    ZvImage pictures[] = {makePatternIndexed(33, 17, 1), makePatternIndexed(33, 17, 4),
                          std::move(transparentIndex), makePattern24(33, 17), std::move(withAlpha)};
    for (ZvImage &picture : pictures) {
        const std::string path = scratchFile("out.ico", encodeBytes(picture, ZV_TYPE_ICO));
        ZvImage back;
        ASSERT_TRUE(back.Load(path.c_str(), ZV_TYPE_ICO)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), picture.GetBpp());
        EXPECT_EQ(toRgb(back), toRgb(picture));
        EXPECT_EQ(maxDifference(magickDecode(path), toRgb(picture)), 0) << picture.GetBpp();
        EXPECT_EQ(magickAlpha(path), alphaTopDown(back)) << picture.GetBpp();
    }
}
