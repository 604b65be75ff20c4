// tests/imagelib/codec_avif_test.cpp
#include "imagelib/codecs/avif/codec_avif.h"
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/core/photo_info.h"
#include "tests/imagelib/reference_codec.h"

#include <gtest/gtest.h>

#include <cmath>

// 10- and 12-bit samples are rounded to 8 bits, not cut: against the
// reference decoder's 16-bit output, our values sit on the nearest 8-bit
// level, with no bias downwards.
TEST(CodecAvif, DeepSamplesAreRounded)
{
    ZV_REQUIRE_TOOL("avifenc");
    const std::string dir = scratchDir();
    ASSERT_TRUE(run("convert -size 64x32 gradient:'#101010-#f0e0d0' -depth 16 " + dir + "/deep.png"));
    for (const char *depth : {"10", "12"}) {
        const std::string file = dir + "/deep" + depth + ".avif";
        ASSERT_TRUE(run("avifenc -l -d " + std::string(depth) + " " + dir + "/deep.png " + file));
        ASSERT_TRUE(run("avifdec -d 16 " + file + " " + file + ".16.png"));
        std::string out;
        ASSERT_EQ(runCommand("convert " + file + ".16.png -depth 16 -endian MSB rgb:-", &out), 0);
        const Rgb8 ours = toRgb(decodedFile(file, ZV_TYPE_AVIF));
        ASSERT_EQ(out.size(), ours.rgb.size() * 2);
        double bias = 0;
        int worst = 0;
        for (std::size_t i = 0; i < ours.rgb.size(); ++i) {
            const int v16 = std::uint8_t(out[2 * i]) << 8 | std::uint8_t(out[2 * i + 1]);
            const double exact = v16 * 255.0 / 65535.0;
            bias += ours.rgb[i] - exact;
            worst = std::max(worst, int(std::lround(std::abs(ours.rgb[i] - exact) * 100)));
        }
        EXPECT_LT(std::abs(bias / double(ours.rgb.size())), 0.15) << depth;
        EXPECT_LE(worst, 51) << depth; // within half a level, and a hair
    }
}

// The turn and mirror boxes are applied: the marked corner lands where the
// transformations put it, and the header gives the upright size.
TEST(CodecAvif, TurnAndMirrorBoxesAreApplied)
{
    ZV_REQUIRE_TOOL("avifenc");
    const std::string png = sourcePng("avif-turn", 24, 16, false);
    const std::string dir = scratchDir();
    struct Case
    {
        const char *options;
        std::uint32_t width;
        int x, y; // the marked corner's pixel, counted from the top left
    } cases[] = {
        {"--irot 1", 16, 0, 23},         // a quarter anticlockwise: bottom-left
        {"--irot 3", 16, 15, 0},         // a quarter clockwise: top-right
        {"--irot 2", 24, 23, 15},        // half a turn: bottom-right
        {"--imir 1", 24, 23, 0},         // left and right exchanged
        {"--imir 0", 24, 0, 15},         // top and bottom exchanged
        {"--irot 1 --imir 0", 16, 0, 0}, // turned, then top and bottom exchanged
    };
    for (const Case &c : cases) {
        const std::string file = dir + "/t.avif";
        ASSERT_TRUE(run("avifenc -l " + std::string(c.options) + " '" + png + "' " + file)) << c.options;
        const ZvImage image = decodedFile(file, ZV_TYPE_AVIF);
        ASSERT_EQ(image.GetWidth(), c.width) << c.options;
        const int h = int(image.GetHeight());
        EXPECT_EQ(image.GetPixelColor(c.x, h - 1 - c.y, false), (RGBQUAD{255, 255, 255, 0})) << c.options;
        ZvImage header;
        header.SetEscape(-1);
        ASSERT_TRUE(decodeBytes(readFile(file), ZV_TYPE_AVIF, header));
        EXPECT_EQ(header.GetWidth(), c.width) << c.options;
    }
}

// Our files: the alpha plane exactly, the colours close, the quality and
// the photo information honoured, and the reference decoder agrees.
TEST(CodecAvif, WritesWhatReadsBack)
{
    ZvImage source;
    sourcePng("avif-rt", 40, 30, true, &source);
    source.SetJpegQuality(90);
    source.SetCodecOption(ZvImageAVIF::kSpeedSet | 9);
    source.SetKeepPhotoInfo(true);
    auto info = std::make_shared<ZvPhotoInfo>();
    const std::string tiff = exifTiff(1);
    info->exif.assign({'E', 'x', 'i', 'f', 0, 0});
    info->exif.insert(info->exif.end(), tiff.begin(), tiff.end());
    source.SetPhotoInfo(info);
    const std::string file = encodedFile(source, ZV_TYPE_AVIF, "rt.avif");
    const ZvImage back = decodedFile(file, ZV_TYPE_AVIF, true);
    EXPECT_EQ(alphaTopDown(back), alphaTopDown(source));
    EXPECT_LT(meanDifference(toRgb(back), toRgb(source)), 3.0);
    ASSERT_NE(back.GetPhotoInfo(), nullptr);
    EXPECT_EQ(back.GetPhotoInfo()->exif, info->exif);
    if (haveTool("avifdec")) {
        EXPECT_LE(maxDifference(avifdec(file), toRgb(back)), 1);
    }

    ZvImage noisy = makeNoise(48, 32, 24, 3);
    noisy.SetCodecOption(ZvImageAVIF::kSpeedSet | 10);
    noisy.SetJpegQuality(95);
    const std::size_t fine = encodeBytes(noisy, ZV_TYPE_AVIF).size();
    noisy.SetJpegQuality(20);
    EXPECT_LT(encodeBytes(noisy, ZV_TYPE_AVIF).size(), fine);
    EXPECT_EQ(ZvImageAVIF::QuantizerOfQuality(100), 0);
    EXPECT_EQ(ZvImageAVIF::QuantizerOfQuality(0), 63);
}

TEST(CodecAvif, RefusesDamagedFilesAndOtherBrands)
{
    ZvImage source = makePattern24(16, 16);
    source.SetCodecOption(ZvImageAVIF::kSpeedSet | 10);
    const std::string bytes = encodeBytes(source, ZV_TYPE_AVIF);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(decodeError(bytes.substr(0, bytes.size() - 40), ZV_TYPE_AVIF), "");
    // A HEIC file's brands are not ours.
    std::string heic = bytes;
    heic.replace(8, 4, "heic");
    for (std::size_t at = 16; at + 4 <= 32; at += 4)
        heic.replace(at, 4, "mif1");
    EXPECT_EQ(decodeError(heic, ZV_TYPE_AVIF), "Not an AVIF file");
}
