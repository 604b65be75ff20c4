// tests/imagelib/codec_webp_test.cpp
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/codecs/webp/codec_webp.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/geometry/orientation.h"
#include "tests/imagelib/reference_codec.h"

#include <gtest/gtest.h>

// Our files: lossless gives back every pixel and alpha, the quality is
// honoured, and the reference decoder reads what we write.
TEST(CodecWebp, WritesWhatReadsBack)
{
    ZvImage source;
    sourcePng("webp-rt", 40, 30, true, &source);
    source.SetCodecOption(ZvImageWEBP::kLossless);
    const std::string lossless = encodedFile(source, ZV_TYPE_WEBP, "rt-l.webp");
    const ZvImage back = decodedFile(lossless, ZV_TYPE_WEBP);
    EXPECT_EQ(toRgb(back), toRgb(source));
    EXPECT_EQ(alphaTopDown(back), alphaTopDown(source));

    ZvImage noisy = makeNoise(64, 48, 24, 7);
    noisy.SetJpegQuality(95);
    const std::string fine = encodedFile(noisy, ZV_TYPE_WEBP, "rt-95.webp");
    noisy.SetJpegQuality(10);
    const std::string coarse = encodedFile(noisy, ZV_TYPE_WEBP, "rt-10.webp");
    EXPECT_LT(readFile(coarse).size(), readFile(fine).size());
    if (haveTool("dwebp")) {
        EXPECT_EQ(dwebp(fine), toRgb(decodedFile(fine, ZV_TYPE_WEBP)));
    }

    // An indexed picture with a transparent index goes out with alpha.
    ZvImage indexed = makePatternIndexed(16, 8, 8);
    indexed.SetTransIndex(indexed.GetPixelIndex(0, 0));
    indexed.SetCodecOption(ZvImageWEBP::kLossless);
    const ZvImage fromIndexed = decodedFile(encodedFile(indexed, ZV_TYPE_WEBP, "idx.webp"), ZV_TYPE_WEBP);
    ASSERT_TRUE(fromIndexed.AlphaIsValid());
    EXPECT_EQ(fromIndexed.AlphaGet(0, 0), 0);
}

// WebP has no orientation of its own: the EXIF chunk's is handed on as a
// JPEG's is, with the pixels as stored, and turning by it stands the picture
// upright. The chunks we write come back.
TEST(CodecWebp, ExifOrientationIsHandedOn)
{
    ZV_REQUIRE_TOOL("webpmux");
    ZvImage source;
    const std::string png = sourcePng("webp-or", 30, 20, false, &source);
    const std::string dir = scratchDir();
    writeFile(dir + "/o6.exif", exifTiff(6));
    ASSERT_TRUE(run("cwebp -quiet -lossless '" + png + "' -o " + dir + "/plain.webp"));
    ASSERT_TRUE(run("webpmux -set exif " + dir + "/o6.exif " + dir + "/plain.webp -o " + dir + "/o6.webp"));

    const ZvImage stored = decodedFile(dir + "/o6.webp", ZV_TYPE_WEBP, true);
    ASSERT_EQ(stored.GetWidth(), 30u);
    EXPECT_EQ(stored.GetOrientation(), 6);
    ZvImage header;
    header.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(readFile(dir + "/o6.webp"), ZV_TYPE_WEBP, header));
    EXPECT_EQ(header.GetWidth(), 30u);
    EXPECT_EQ(header.GetOrientation(), 6);
    ASSERT_NE(stored.GetPhotoInfo(), nullptr);
    ZvExifInfo exif;
    ASSERT_TRUE(exif.ParseExif(stored.GetPhotoInfo()->exif.data(), stored.GetPhotoInfo()->exif.size()));
    EXPECT_EQ(exif.orientation, 6);

    ZvImage turned;
    turned.Copy(stored);
    ASSERT_TRUE(zvTurnUpright(turned, stored.GetOrientation()));
    ASSERT_EQ(turned.GetWidth(), 20u);
    ASSERT_EQ(turned.GetHeight(), 30u);
    // Turned a quarter clockwise: the marked corner is now top-right.
    EXPECT_EQ(turned.GetPixelColor(19, 29, false), (RGBQUAD{255, 255, 255, 0}));
    EXPECT_NE(turned.GetPixelColor(0, 29, false), (RGBQUAD{255, 255, 255, 0}));

    // Kept information goes into the chunks and comes back as it was.
    ZvImage again;
    again.Copy(stored);
    again.SetKeepPhotoInfo(true);
    auto info = std::make_shared<ZvPhotoInfo>(*stored.GetPhotoInfo());
    const std::string packet = "<x:xmpmeta/>";
    info->xmp.push_back(std::vector<std::uint8_t>());
    const std::string ns = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + packet;
    info->xmp.back().assign(ns.begin(), ns.end());
    again.SetPhotoInfo(info);
    const ZvImage reread = decodedFile(encodedFile(again, ZV_TYPE_WEBP, "info.webp"), ZV_TYPE_WEBP, true);
    ASSERT_NE(reread.GetPhotoInfo(), nullptr);
    EXPECT_EQ(reread.GetPhotoInfo()->exif, info->exif);
    EXPECT_EQ(reread.GetPhotoInfo()->xmp, info->xmp);
    EXPECT_EQ(reread.GetWidth(), 30u); // handed on, not turned
    EXPECT_EQ(reread.GetOrientation(), 6);
}

// Damaged and hostile files are refused with a reason, without the memory
// their headers claim.
TEST(CodecWebp, RefusesDamagedAndOversizedFiles)
{
    ZvImage source;
    sourcePng("webp-bad", 32, 32, false, &source);
    source.SetCodecOption(ZvImageWEBP::kLossless);
    std::string bytes = encodeBytes(source, ZV_TYPE_WEBP);
    EXPECT_NE(decodeError(bytes.substr(0, bytes.size() / 2), ZV_TYPE_WEBP), "");
    EXPECT_EQ(decodeError(std::string("RIFF\x10\0\0\0WEBPVP8X", 16), ZV_TYPE_WEBP), "Not a WebP file");
    EXPECT_EQ(decodeError(std::string(64, 'x'), ZV_TYPE_WEBP), "Not a WebP file");

    // A lossless header claiming 16000 x 16000 pixels over a few bytes.
    std::string huge("RIFF\0\0\0\0WEBPVP8L\0\0\0\0\x2f", 21);
    const std::uint32_t w = 16000 - 1, h = 16000 - 1;
    const std::uint32_t bits = w | (h << 14);
    for (int i = 0; i < 4; ++i)
        huge += char((bits >> (8 * i)) & 0xFF);
    huge += std::string(39, '\0'); // chunk sizes are even
    huge[16] = char(huge.size() - 20);
    huge[4] = char(huge.size() - 8);
    EXPECT_EQ(decodeError(huge, ZV_TYPE_WEBP), "Not enough image data for the picture size");
    ZvImage refused;
    EXPECT_FALSE(decodeBytes(huge, ZV_TYPE_WEBP, refused));
    EXPECT_EQ(refused.GetErrorKind(), ZvErrorKind::TooLarge);
}
