// tests/imagelib/photo_info_test.cpp
// The photo information record: kept by the JPEG, PNG and TIFF codecs only
// when asked, and carried by the picture through its operations.
#include "imagelib/core/image.h"
#include "imagelib/core/photo_info.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes prefixed(const char *prefix, std::size_t prefixSize, std::size_t size, std::uint8_t seed)
{
    Bytes b(prefix, prefix + prefixSize);
    for (std::size_t i = b.size(); i < size; ++i)
        b.push_back(std::uint8_t(i * 31 + seed));
    return b;
}

// EXIF, two XMP parts and a profile longer than one APP2 chunk holds.
std::shared_ptr<ZvPhotoInfo> fullRecord()
{
    auto info = std::make_shared<ZvPhotoInfo>();
    info->exif = prefixed("Exif\0\0MM\0\x2a", 10, 3000, 1);
    info->xmp.push_back(prefixed("http://ns.adobe.com/xap/1.0/", 29, 5000, 2));
    info->xmp.push_back(prefixed("http://ns.adobe.com/xmp/extension/", 35, 65533, 3));
    info->icc = prefixed("", 0, 150000, 4);
    return info;
}

Bytes encode(ZvImage &picture, std::uint32_t type)
{
    std::uint8_t *buffer = nullptr;
    std::int32_t size = 0;
    EXPECT_TRUE(picture.Encode(buffer, size, type)) << picture.GetLastError();
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

ZvImage decode(Bytes bytes, std::uint32_t type, bool keep)
{
    ZvImage picture;
    picture.SetKeepPhotoInfo(keep);
    EXPECT_TRUE(picture.Decode(bytes.data(), std::uint32_t(bytes.size()), type)) << picture.GetLastError();
    return picture;
}

TEST(PhotoInfo, JpegWritesAndReadsEverySegmentOnlyWhenAsked)
{
    ZvImage picture = makePattern24(24, 16);
    picture.SetPhotoInfo(fullRecord());
    const Bytes plain = encode(picture, ZV_TYPE_JPG);
    EXPECT_EQ(decode(plain, ZV_TYPE_JPG, true).GetPhotoInfo(), nullptr); // not asked to write

    picture.SetKeepPhotoInfo(true);
    const Bytes full = encode(picture, ZV_TYPE_JPG);
    EXPECT_EQ(decode(full, ZV_TYPE_JPG, false).GetPhotoInfo(), nullptr); // not asked to read
    const ZvImage back = decode(full, ZV_TYPE_JPG, true);
    ASSERT_NE(back.GetPhotoInfo(), nullptr);
    const ZvPhotoInfo &got = *back.GetPhotoInfo(), &want = *picture.GetPhotoInfo();
    EXPECT_TRUE(got.exif == want.exif);
    ASSERT_EQ(got.xmp.size(), 2u);
    EXPECT_TRUE(got.xmp[0] == want.xmp[0]);
    EXPECT_TRUE(got.xmp[1] == want.xmp[1]);
    EXPECT_TRUE(got.icc == want.icc);
    EXPECT_EQ(toRgb(back).width, 24);
}

TEST(PhotoInfo, PngAndTiffCarryTheProfileOnly)
{
    ZV_REQUIRE_CORPUS("gif-test-suite-ancell");
    const std::string srgb = readFile(corporaDir() + "/gif-test-suite-ancell/sRGB.icc");
    ASSERT_GT(srgb.size(), 132u);
    for (std::uint32_t type : {ZV_TYPE_PNG, ZV_TYPE_TIF}) {
        ZvImage picture = makePattern24(20, 10);
        picture.SetKeepPhotoInfo(true);
        auto info = fullRecord();
        info->icc.assign(srgb.begin(), srgb.end());
        picture.SetPhotoInfo(info);
        const ZvImage back = decode(encode(picture, type), type, true);
        ASSERT_NE(back.GetPhotoInfo(), nullptr) << type;
        EXPECT_TRUE(back.GetPhotoInfo()->icc == info->icc) << type;
        EXPECT_TRUE(back.GetPhotoInfo()->exif.empty());
        EXPECT_TRUE(back.GetPhotoInfo()->xmp.empty());
    }
}

TEST(PhotoInfo, TravelsWithThePictureAndADecodeReplacesIt)
{
    ZvImage picture = makePattern24(30, 20);
    picture.SetKeepPhotoInfo(true);
    const auto info = fullRecord();
    picture.SetPhotoInfo(info);
    ASSERT_TRUE(picture.RotateLeft());
    ASSERT_TRUE(picture.Resample(15, 10));
    EXPECT_EQ(picture.GetPhotoInfo(), info.get());
    EXPECT_TRUE(picture.GetKeepPhotoInfo());
    ZvImage copy(picture, true);
    EXPECT_EQ(copy.GetPhotoInfo(), info.get());
    ZvImage ghost;
    ghost.Ghost(&picture);
    EXPECT_EQ(ghost.GetPhotoInfo(), info.get());
    ZvImage moved(std::move(copy));
    EXPECT_EQ(moved.GetPhotoInfo(), info.get());
    EXPECT_EQ(copy.GetPhotoInfo(), nullptr);

    // A file without information leaves none behind, also from the picture decoded before.
    ZvImage bare = makePattern24(8, 8);
    Bytes file = encode(bare, ZV_TYPE_JPG);
    ASSERT_TRUE(moved.Decode(file.data(), std::uint32_t(file.size()), ZV_TYPE_JPG));
    EXPECT_EQ(moved.GetPhotoInfo(), nullptr);
    file = encode(bare, ZV_TYPE_BMP);
    picture.SetPhotoInfo(info);
    ASSERT_TRUE(picture.Decode(file.data(), std::uint32_t(file.size()), ZV_TYPE_UNKNOWN));
    EXPECT_EQ(picture.GetPhotoInfo(), nullptr);
}

TEST(PhotoInfo, ProfileHeaderCheck)
{
    Bytes icc(132, 0);
    icc[3] = 132;
    std::memcpy(icc.data() + 16, "GRAY", 4);
    std::memcpy(icc.data() + 36, "acsp", 4);
    EXPECT_EQ(zvIccColourSpace(icc), "GRAY");
    Bytes longer = icc;
    longer.push_back(0);
    EXPECT_EQ(zvIccColourSpace(longer), ""); // size field says 132
    Bytes unsigned_ = icc;
    unsigned_[36] = 'x';
    EXPECT_EQ(zvIccColourSpace(unsigned_), "");
    Bytes shortOne(icc.begin(), icc.end() - 1);
    shortOne[3] = 131;
    EXPECT_EQ(zvIccColourSpace(shortOne), "");
}

} // namespace
