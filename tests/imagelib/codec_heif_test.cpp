// tests/imagelib/codec_heif_test.cpp
// HEIF pictures are made at test time with heif-enc and checked against
// heif-convert's decode of the same file.
#include "imagelib/codecs/heif/codec_heif.h"
#include "imagelib/codecs/heif/heif_brand.h"
#include "imagelib/codecs/heif/heif_pixels.h"
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/mem_file.h"
#include "tests/imagelib/codec_roundtrip.h"
#include "tests/imagelib/reference_codec.h"
#include "tests/support/tiff_builder.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool haveHeifTools()
{
    return runCommand("command -v heif-enc >/dev/null && command -v heif-convert >/dev/null") == 0 &&
           haveImageMagick();
}

#define ZV_REQUIRE_HEIF_TOOLS()                                                                              \
    do {                                                                                                     \
        if (!haveHeifTools())                                                                                \
            GTEST_SKIP() << "heif-enc, heif-convert or ImageMagick missing";                                 \
    } while (0)

// heif-enc's output for source (its extension says what it is), or "".
std::string heifEncode(const std::string &source, const std::string &name, const std::string &options = "")
{
    const std::string out = scratchDir() + "/" + name;
    if (runCommand("heif-enc " + options + " " + shellQuoted(source) + " -o " + shellQuoted(out) +
                   " >/dev/null 2>&1") != 0)
        return {};
    return out;
}

bool decodeHeif(const std::string &path, ZvImage &image)
{
    return decodeBytes(readFile(path), ZV_TYPE_HEIF, image);
}

// An EXIF block that says the camera was turned (orientation 6).
Bytes turnedExif()
{
    TiffBuilder t(true);
    const std::uint32_t make = t.Text("Zelcam Optics");
    t.Patch32(4, t.Directory({{0x010F, 2, 14, make}, {0x0112, 3, 1, 6}}));
    return t.Payload();
}

// The smallest profile header the library calls sound: size, "RGB ", "acsp".
Bytes tinyIcc()
{
    Bytes icc(132, 0);
    icc[3] = 132;
    std::memcpy(icc.data() + 12, "mntr", 4);
    std::memcpy(icc.data() + 16, "RGB ", 4);
    std::memcpy(icc.data() + 20, "XYZ ", 4);
    std::memcpy(icc.data() + 36, "acsp", 4);
    return icc;
}

} // namespace

TEST(HeifCodec, AlphaBecomesAlphaPlane)
{
    ZV_REQUIRE_HEIF_TOOLS();
    const std::string png =
        gradientPng("alpha.png", 48, 32, "-alpha set -channel A -fx 'i < w/2 ? 1 : 0.25' +channel");
    const std::string heic = heifEncode(png, "alpha.heic", "-q 95");
    ASSERT_FALSE(heic.empty());
    ZvImage image;
    ASSERT_TRUE(decodeHeif(heic, image)) << image.GetLastError();
    ASSERT_TRUE(image.AlphaIsValid());
    const std::vector<std::uint8_t> reference = magickAlpha(heifConvertPng(heic));
    const std::vector<std::uint8_t> ours = alphaTopDown(image);
    ASSERT_EQ(ours.size(), reference.size());
    int worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        worst = std::max(worst, std::abs(int(ours[i]) - int(reference[i])));
    EXPECT_LE(worst, 1);
    EXPECT_GT(image.AlphaGet(2, 2), 240);  // left half opaque
    EXPECT_LT(image.AlphaGet(45, 2), 100); // right half a quarter
    EXPECT_EQ(image.GetOrignBpp(), 40u);
}

// heif-enc carries a JPEG's EXIF block and ICC profile into the HEIF file.
TEST(HeifCodec, KeepsExifUprightAndIcc)
{
    ZV_REQUIRE_HEIF_TOOLS();
    ZvImage source = makePattern24(40, 30);
    auto info = std::make_shared<ZvPhotoInfo>();
    info->exif = turnedExif();
    info->icc = tinyIcc();
    source.SetKeepPhotoInfo(true);
    source.SetPhotoInfo(info);
    const std::string jpeg = scratchFile("camera.jpg", encodeBytes(source, ZV_TYPE_JPG));
    const std::string heic = heifEncode(jpeg, "camera.heic", "-q 90");
    ASSERT_FALSE(heic.empty());

    ZvImage plain;
    ASSERT_TRUE(decodeHeif(heic, plain));
    EXPECT_EQ(plain.GetPhotoInfo(), nullptr); // only when asked

    ZvImage kept;
    kept.SetKeepPhotoInfo(true);
    ASSERT_TRUE(decodeHeif(heic, kept)) << kept.GetLastError();
    ASSERT_NE(kept.GetPhotoInfo(), nullptr);
    EXPECT_TRUE(kept.GetPhotoInfo()->icc == info->icc);
    // Written into a JPEG, the block still names the camera and says upright.
    ZvImageJPG reread;
    std::string out = encodeBytes(kept, ZV_TYPE_JPG);
    ASSERT_FALSE(out.empty());
    ZvMemFile file(reinterpret_cast<std::uint8_t *>(out.data()), out.size());
    ASSERT_TRUE(reread.DecodeExif(&file));
    EXPECT_EQ(reread.GetExifInfo().orientation, 1);
    EXPECT_EQ(reread.GetExifInfo().cameraMake, "Zelcam Optics");
}

TEST(HeifCodec, ReducedDecodeTakesTheThumbnail)
{
    ZV_REQUIRE_HEIF_TOOLS();
    const std::string heic = heifEncode(gradientPng("big.png", 256, 192), "thumb.heic", "-q 80 -t 64");
    ASSERT_FALSE(heic.empty());

    ZvImage small;
    small.SetReducedDecode(60, 60); // fits as 60 x 45 inside the 64 x 48 thumbnail
    ASSERT_TRUE(decodeHeif(heic, small)) << small.GetLastError();
    EXPECT_EQ(small.GetWidth(), 64u);
    EXPECT_EQ(small.GetHeight(), 48u);
    EXPECT_EQ(small.GetOrignWidth(), 256u); // the facts stay the file's
    EXPECT_EQ(small.GetOrignHeight(), 192u);
    ZvImage full;
    ASSERT_TRUE(decodeHeif(heic, full));
    // The thumbnail shows the same picture: a green corner top left.
    const RGBQUAD corner = small.GetPixelColor(1, 46);
    EXPECT_GT(corner.rgbGreen, 150);
    EXPECT_LT(corner.rgbBlue, 120);

    ZvImage tooBig;
    tooBig.SetReducedDecode(80, 80); // 80 x 60 needs more than the thumbnail
    ASSERT_TRUE(decodeHeif(heic, tooBig));
    EXPECT_EQ(tooBig.GetWidth(), 256u);

    ZvImage header;
    header.SetEscape(-1);
    ASSERT_TRUE(decodeHeif(heic, header));
    EXPECT_EQ(header.GetWidth(), 256u);
    EXPECT_FALSE(header.IsValid());
}

TEST(HeifCodec, BrandsDecideTheOwner)
{
    auto ftyp = [](const char *major, const char *minor, std::vector<const char *> compatible) {
        Bytes b(8);
        b.insert(b.end(), major, major + 4);
        b.insert(b.end(), minor, minor + 4);
        for (const char *c : compatible)
            b.insert(b.end(), c, c + 4);
        b[3] = std::uint8_t(b.size());
        std::memcpy(b.data() + 4, "ftyp", 4);
        return b;
    };
    auto ours = [](const Bytes &b) { return heifIsOurBrand(b.data(), b.size()); };
    EXPECT_TRUE(ours(ftyp("heic", "\0\0\0\0", {"mif1", "heic"})));
    EXPECT_TRUE(ours(ftyp("mif1", "\0\0\0\0", {"mif1", "miaf"})));
    EXPECT_FALSE(ours(ftyp("avif", "\0\0\0\0", {"mif1", "avif"})));
    EXPECT_FALSE(ours(ftyp("mif1", "\0\0\0\0", {"mif1", "avis"})));
    EXPECT_FALSE(ours(ftyp("crx ", "\0\0\0\0", {"crx ", "isom"})));
    EXPECT_FALSE(ours(ftyp("isom", "heic", {"mp41"}))); // the minor version is no brand
    Bytes cut = ftyp("heic", "\0\0\0\0", {"mif1"});
    cut.pop_back();
    EXPECT_FALSE(ours(cut));
}

TEST(HeifCodec, DeepSamplesRoundToEightBits)
{
    const std::vector<std::uint8_t> ten = heifEightBitTable(10);
    EXPECT_EQ(ten[0], 0);
    EXPECT_EQ(ten[2], 0);
    EXPECT_EQ(ten[3], 1); // 0.75 of a level; cutting the low bits gives 0
    EXPECT_EQ(ten[1023], 255);
    const std::vector<std::uint8_t> twelve = heifEightBitTable(12);
    EXPECT_EQ(twelve[8], 0);
    EXPECT_EQ(twelve[9], 1);
    EXPECT_EQ(twelve[4095], 255);

    // Two RGBA pixels of 12 bits, little-endian, into BGR and alpha.
    const std::uint16_t samples[] = {4095, 9, 0, 4095, 2048, 4095, 8, 0};
    Bytes row(sizeof(samples));
    for (std::size_t i = 0; i < 8; ++i) {
        row[2 * i] = std::uint8_t(samples[i]);
        row[2 * i + 1] = std::uint8_t(samples[i] >> 8);
    }
    ZvImage picture(2, 1, 24);
    ASSERT_TRUE(picture.AlphaCreate());
    heifCopyPlane(HeifPlane{row.data(), int(row.size()), 2, 1, 4, 12}, picture);
    EXPECT_EQ(picture.GetBits(0)[0], 0);   // blue of pixel 0
    EXPECT_EQ(picture.GetBits(0)[1], 1);   // green
    EXPECT_EQ(picture.GetBits(0)[2], 255); // red
    EXPECT_EQ(picture.GetBits(0)[3], 0);   // blue of pixel 1: 8 of 4095
    EXPECT_EQ(picture.GetBits(0)[4], 255); // green
    EXPECT_EQ(picture.GetBits(0)[5], 128); // red: 2048 of 4095
    EXPECT_EQ(picture.AlphaGet(0, 0), 255);
    EXPECT_EQ(picture.AlphaGet(1, 0), 0);
}

TEST(HeifCodec, RefusesDamagedAndOversizedFiles)
{
    ZV_REQUIRE_HEIF_TOOLS();
    const std::string heic = heifEncode(gradientPng("victim.png", 64, 48), "victim.heic", "-q 50");
    ASSERT_FALSE(heic.empty());
    const std::string bytes = readFile(heic);

    EXPECT_EQ(decodeError(bytes.substr(0, 40), ZV_TYPE_HEIF).substr(0, 6), "HEIF: ");
    EXPECT_FALSE(decodeError(bytes.substr(0, bytes.size() * 2 / 3), ZV_TYPE_HEIF).empty());
    EXPECT_EQ(decodeError("\0\0\0\x18"
                          "ftypavif\0\0\0\0mif1avif" +
                              bytes.substr(24),
                          ZV_TYPE_HEIF),
              "Not a HEIF file");

    // Every picture claims 8000 x 8000 (ispe): far more than 1 KB can hold.
    std::string huge = bytes;
    const char side[4] = {0, 0, 0x1F, 0x40};
    for (std::size_t at = huge.find("ispe"); at != std::string::npos; at = huge.find("ispe", at + 4)) {
        huge.replace(at + 8, 4, side, 4);
        huge.replace(at + 12, 4, side, 4);
    }
    const auto start = std::chrono::steady_clock::now();
    ZvImage image;
    EXPECT_FALSE(decodeBytes(huge, ZV_TYPE_HEIF, image));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(image.GetErrorKind(), ZvErrorKind::TooLarge) << image.GetLastError();
}
