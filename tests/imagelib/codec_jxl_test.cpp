// tests/imagelib/codec_jxl_test.cpp
#include "imagelib/codecs/jxl/codec_jxl.h"
#include "imagelib/core/photo_info.h"
#include "tests/imagelib/reference_codec.h"

#include <gtest/gtest.h>

// Lossless gives back every pixel and alpha; the quality picks the
// distance; EXIF, XMP and the profile travel in the container and come back.
TEST(CodecJxl, WritesWhatReadsBack)
{
    ZvImage source;
    sourcePng("jxl-rt", 40, 30, true, &source);
    source.SetCodecOption(ZvImageJXL::kLossless);
    source.SetKeepPhotoInfo(true);
    auto info = std::make_shared<ZvPhotoInfo>();
    const std::string tiff = exifTiff(1);
    info->exif.assign({'E', 'x', 'i', 'f', 0, 0});
    info->exif.insert(info->exif.end(), tiff.begin(), tiff.end());
    const std::string xmp = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta/>";
    info->xmp.emplace_back(xmp.begin(), xmp.end());
    source.SetPhotoInfo(info);
    const std::string file = encodedFile(source, ZV_TYPE_JXL, "rt.jxl");
    const ZvImage back = decodedFile(file, ZV_TYPE_JXL, true);
    EXPECT_EQ(toRgb(back), toRgb(source));
    EXPECT_EQ(alphaTopDown(back), alphaTopDown(source));
    ASSERT_NE(back.GetPhotoInfo(), nullptr);
    EXPECT_EQ(back.GetPhotoInfo()->exif, info->exif);
    EXPECT_EQ(back.GetPhotoInfo()->xmp, info->xmp);
    if (haveTool("djxl")) {
        EXPECT_EQ(djxl(file), toRgb(source));
    }

    ZvImage smooth = makePattern24(64, 48);
    smooth.SetJpegQuality(95);
    const std::string fine = encodeBytes(smooth, ZV_TYPE_JXL);
    smooth.SetJpegQuality(20);
    EXPECT_LT(encodeBytes(smooth, ZV_TYPE_JXL).size(), fine.size());
    ZvImage fineBack;
    ASSERT_TRUE(decodeBytes(fine, ZV_TYPE_JXL, fineBack));
    EXPECT_LT(meanDifference(toRgb(fineBack), toRgb(smooth)), 6.0); // a swap or flip gives tens
    // The reference encoder's mapping: quality 90 is distance 1.
    EXPECT_NEAR(ZvImageJXL::DistanceOfQuality(90), 1.0f, 1e-4f);
    EXPECT_GT(ZvImageJXL::DistanceOfQuality(0), ZvImageJXL::DistanceOfQuality(29));
}

TEST(CodecJxl, RefusesDamagedFiles)
{
    ZvImage source = makeNoise(32, 32, 24, 9);
    const std::string bytes = encodeBytes(source, ZV_TYPE_JXL);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(decodeError(bytes.substr(0, bytes.size() / 2), ZV_TYPE_JXL), "Damaged JPEG XL file");
    EXPECT_EQ(decodeError("\xff\x0a", ZV_TYPE_JXL), "Damaged JPEG XL file");
    EXPECT_EQ(decodeError("not a picture", ZV_TYPE_JXL), "Not a JPEG XL file");
}

// A JPEG with EXIF orientation 6 recompressed by the reference encoder
// carries the turn in its codestream: libjxl applies it, and our picture is
// the reference decoder's, sides swapped, not turned a second time.
TEST(CodecJxl, CodestreamOrientationIsAppliedOnce)
{
    ZV_REQUIRE_TOOL("cjxl");
    ZvImage jpeg = makePattern24(40, 20);
    jpeg.SetKeepPhotoInfo(true);
    auto info = std::make_shared<ZvPhotoInfo>();
    const std::string tiff = exifTiff(6);
    info->exif.assign({'E', 'x', 'i', 'f', 0, 0});
    info->exif.insert(info->exif.end(), tiff.begin(), tiff.end());
    jpeg.SetPhotoInfo(info);
    const std::string jpg = encodedFile(jpeg, ZV_TYPE_JPG, "o6.jpg");
    const std::string jxl = scratchDir() + "/o6.jxl";
    ASSERT_TRUE(run("cjxl '" + jpg + "' '" + jxl + "'"));
    const ZvImage turned = decodedFile(jxl, ZV_TYPE_JXL);
    EXPECT_EQ(turned.GetWidth(), 20u);
    EXPECT_EQ(turned.GetHeight(), 40u);
    EXPECT_EQ(toRgb(turned), djxl(jxl));
    ZvImage header;
    header.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(readFile(jxl), ZV_TYPE_JXL, header));
    EXPECT_EQ(header.GetWidth(), 20u);
}
