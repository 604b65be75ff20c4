// tests/imagelib/exif_test.cpp
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/streams/io_file.h"
#include "imagelib/streams/mem_file.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/tiff_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A camera-like block: make, model, orientation, resolution in directory 0,
// exposure data in the EXIF directory, and a thumbnail directory whose own
// resolution must not count.
Bytes cameraBlock(bool motorola, std::uint16_t orientation = 6)
{
    TiffBuilder b(motorola);
    const std::uint32_t make = b.Text("Zelcam Optics");
    const std::uint32_t model = b.Text("ZX-100 Mark II");
    const std::uint32_t xres = b.Rational(300, 1);
    const std::uint32_t yres = b.Rational(600, 2);
    const std::uint32_t date = b.Text("2021:06:30 12:34:56");
    const std::uint32_t exposure = b.Rational(1, 250);
    const std::uint32_t fnum = b.Rational(28, 10);
    const std::uint32_t exif = b.Directory(
        {{0x829A, 5, 1, exposure}, {0x829D, 5, 1, fnum}, {0x8827, 3, 1, 400}, {0x9003, 2, 20, date}});
    const std::uint32_t thumbX = b.Rational(72, 1);
    const std::uint32_t thumb =
        b.Directory({{0x011A, 5, 1, thumbX}, {0x0201, 4, 1, 1234}, {0x0202, 4, 1, 99}});
    const std::uint32_t ifd0 = b.Directory({{0x010F, 2, 14, make},
                                            {0x0110, 2, 15, model},
                                            {0x0112, 3, 1, orientation},
                                            {0x011A, 5, 1, xres},
                                            {0x011B, 5, 1, yres},
                                            {0x0128, 3, 1, 3},
                                            {0x8769, 4, 1, exif}},
                                           thumb);
    b.Patch32(4, ifd0);
    return b.Payload();
}

// ParseExif on a heap block of exactly that size, so a read past it shows
// under the address sanitiser.
ZvExifInfo parse(const Bytes &payload)
{
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[payload.size()]);
    if (!payload.empty())
        std::memcpy(exact.get(), payload.data(), payload.size());
    ZvExifInfo info;
    info.ParseExif(exact.get(), payload.size());
    return info;
}

Bytes segment(std::uint8_t marker, const Bytes &payload)
{
    const std::size_t len = payload.size() + 2;
    Bytes s = {0xFF, marker, std::uint8_t(len >> 8), std::uint8_t(len)};
    s.insert(s.end(), payload.begin(), payload.end());
    return s;
}

ZvExifInfo scan(const Bytes &bytes)
{
    Bytes copy = bytes;
    ZvMemFile file(copy.data(), copy.size());
    ZvExifInfo info;
    info.Read(&file);
    return info;
}

} // namespace

TEST(ExifInfo, ReadsCameraFieldsInBothByteOrders)
{
    for (bool motorola : {false, true}) {
        SCOPED_TRACE(motorola ? "MM" : "II");
        const ZvExifInfo info = parse(cameraBlock(motorola));
        EXPECT_TRUE(info.isExif);
        EXPECT_EQ(info.cameraMake, "Zelcam Optics");
        EXPECT_EQ(info.cameraModel, "ZX-100 Mark II");
        EXPECT_EQ(info.orientation, 6);
        EXPECT_DOUBLE_EQ(info.xResolution, 300);
        EXPECT_DOUBLE_EQ(info.yResolution, 300);
        EXPECT_DOUBLE_EQ(info.resolutionUnit, 0.3937007874);
        EXPECT_DOUBLE_EQ(info.exposureTime, 1.0 / 250);
        EXPECT_DOUBLE_EQ(info.fNumber, 2.8);
        EXPECT_EQ(info.isoEquivalent, 400);
        EXPECT_EQ(info.dateTime, "2021:06:30 12:34:56");
        EXPECT_EQ(info.thumbnailOffset, 1234u);
        EXPECT_EQ(info.thumbnailSize, 99u);
        EXPECT_EQ(info.lastError, "");
    }
}

TEST(ExifInfo, UnitFactorsAndOrientationRange)
{
    EXPECT_EQ(zvExifUnitFactor(1), 1.0);
    EXPECT_EQ(zvExifUnitFactor(2), 1.0);
    EXPECT_EQ(zvExifUnitFactor(3), 0.3937007874);
    EXPECT_EQ(zvExifUnitFactor(4), 0.03937007874);
    EXPECT_EQ(zvExifUnitFactor(5), 0.00003937007874);
    EXPECT_EQ(zvExifUnitFactor(0), 0.0);
    EXPECT_EQ(zvExifUnitFactor(6), 0.0);

    const ZvExifInfo bad = parse(cameraBlock(false, 9));
    EXPECT_TRUE(bad.isExif);
    EXPECT_EQ(bad.orientation, 0);
    EXPECT_EQ(bad.lastError, "Undefined rotation value");
    EXPECT_EQ(parse(cameraBlock(true, 8)).orientation, 8);
}

TEST(ExifInfo, HeaderChecks)
{
    Bytes p = cameraBlock(false);
    p[6] = 'X';
    EXPECT_EQ(parse(p).lastError, "Invalid Exif alignment marker.");
    p = cameraBlock(false);
    p[8] = 43;
    EXPECT_EQ(parse(p).lastError, "Invalid Exif start (1)");
    p = cameraBlock(true);
    p[4] = 'x';
    EXPECT_EQ(parse(p).lastError, "Incorrect Exif header");
    p = cameraBlock(false);
    p[10] = 4; // first directory inside the header
    p[11] = p[12] = p[13] = 0;
    EXPECT_EQ(parse(p).lastError, "Incorrect Exif header");
    p[10] = p[11] = p[12] = p[13] = 0xFF;
    EXPECT_EQ(parse(p).lastError, "Incorrect Exif header");
    EXPECT_FALSE(parse(p).isExif);
    EXPECT_EQ(parse(Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I'}).lastError, "Incorrect Exif header");
}

TEST(ExifInfo, BadEntriesAreSkippedAndTheRestKept)
{
    TiffBuilder b(false);
    const std::uint32_t xres = b.Rational(72, 1);
    const std::uint32_t ifd0 = b.Directory({{0x010F, 99, 1, 0},          // unknown format
                                            {0x0110, 2, 1000, 8},        // text beyond the block
                                            {0x8769, 4, 1, 0xFFFFFF00u}, // link beyond the block
                                            {0x011A, 5, 0x20000000u, 8}, // count * 8 wraps 32 bits
                                            {0x011B, 5, 1, xres},
                                            {0x0128, 3, 1, 2}});
    b.Patch32(4, ifd0);
    const ZvExifInfo info = parse(b.Payload());
    EXPECT_TRUE(info.isExif);
    EXPECT_EQ(info.cameraMake, "");
    EXPECT_EQ(info.cameraModel, "");
    EXPECT_EQ(info.xResolution, 0.0);
    EXPECT_DOUBLE_EQ(info.yResolution, 72);
    EXPECT_EQ(info.resolutionUnit, 1.0);
    EXPECT_EQ(info.lastError, "Illegal pointer offset value in EXIF.");

    TiffBuilder one(true);
    one.Patch32(4, one.Directory({{0x010F, 0, 1, 0}}));
    EXPECT_EQ(parse(one.Payload()).lastError, "Illegal format code in EXIF dir");
    TiffBuilder link(true);
    link.Patch32(4, link.Directory({{0x8769, 4, 1, 0x7FFFFFF0u}}));
    EXPECT_EQ(parse(link.Payload()).lastError, "Illegal subdirectory link");
}

TEST(ExifInfo, DirectoryLargerThanTheBlockIsRefused)
{
    TiffBuilder b(false);
    const std::uint32_t ifd0 = b.Directory({{0x0112, 3, 1, 3}});
    b.Patch32(4, ifd0);
    b.Data()[ifd0] = 200; // entry count far beyond the data
    const ZvExifInfo info = parse(b.Payload());
    EXPECT_FALSE(info.isExif);
    EXPECT_EQ(info.orientation, 0);
    EXPECT_EQ(info.lastError, "Illegally sized directory");
}

TEST(ExifInfo, DirectoryCyclesEnd)
{
    for (bool motorola : {false, true}) {
        TiffBuilder b(motorola);
        // Directory 0 links to itself both as EXIF directory and as the next one,
        // and an EXIF directory links back to directory 0.
        const std::uint32_t ifd0 = b.Size();
        b.Directory({{0x8769, 4, 1, ifd0}, {0xA005, 4, 1, ifd0 + 42}, {0x0112, 3, 1, 2}}, ifd0);
        b.Directory({{0x8769, 4, 1, ifd0}, {0xA005, 4, 1, ifd0 + 42}});
        const ZvExifInfo info = parse(b.Payload());
        EXPECT_TRUE(info.isExif);
        EXPECT_EQ(info.orientation, 2);
        EXPECT_EQ(info.lastError, "Illegal subdirectory link");
    }
}

// Every cut of a valid block, and every single-byte change of it, is read
// without touching memory outside it.
TEST(ExifInfo, TruncatedAndDamagedBlocksStayInside)
{
    const Bytes whole = cameraBlock(true);
    for (std::size_t n = 0; n <= whole.size(); ++n)
        parse(Bytes(whole.begin(), whole.begin() + long(n)));
    for (std::size_t i = 6; i < whole.size(); ++i) {
        for (std::uint8_t v : {std::uint8_t(0), std::uint8_t(0x7F), std::uint8_t(0xFF)}) {
            Bytes damaged = whole;
            damaged[i] = v;
            parse(damaged);
        }
    }
}

TEST(ExifInfo, MarkerScanMessages)
{
    const Bytes soi = {0xFF, 0xD8};
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes &p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const Bytes sos = segment(0xDA, Bytes(10, 0));
    const Bytes exif = segment(0xE1, cameraBlock(false));

    EXPECT_TRUE(scan(join({soi, segment(0xE0, Bytes(14, 0)), exif, sos})).isExif);
    EXPECT_EQ(scan(join({soi, Bytes{0xFF, 0xD9}})).lastError, "No image in jpeg!\n");
    EXPECT_EQ(scan(join({soi, Bytes(40, 0xFF)})).lastError, "too many padding bytes!");
    EXPECT_EQ(scan(join({soi, Bytes{0x12, 0x34}})).lastError, "invalid marker");
    EXPECT_EQ(scan(join({soi, Bytes{0xFF, 0xE0, 0x00, 0x01}})).lastError, "invalid marker");
    EXPECT_EQ(scan(join({soi, Bytes{0xFF, 0xE1, 0x00, 0x40, 'E'}})).lastError, "Premature end of file?");
    EXPECT_EQ(scan(Bytes{'G', 'I', 'F', '8'}).lastError, "Not a JPEG file");

    Bytes many = soi;
    for (int i = 0; i < 25; ++i) {
        const Bytes com = segment(0xFE, Bytes{'x'});
        many.insert(many.end(), com.begin(), com.end());
    }
    EXPECT_EQ(scan(many).lastError, "Too many sections in jpg file");

    // Fill bytes before a marker and an XMP block before the EXIF one.
    const Bytes xmp = segment(0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/'});
    const ZvExifInfo info = scan(join({soi, Bytes{0xFF, 0xFF, 0xFF}, xmp, exif, sos}));
    EXPECT_TRUE(info.isExif);
    EXPECT_EQ(info.orientation, 6);
}

TEST(ExifInfo, DecodeExifRestoresTheStreamPosition)
{
    Bytes bytes = {0, 0, 0, 0xFF, 0xD8};
    const Bytes exif = segment(0xE1, cameraBlock(true));
    bytes.insert(bytes.end(), exif.begin(), exif.end());
    const Bytes sos = segment(0xDA, Bytes(4, 0));
    bytes.insert(bytes.end(), sos.begin(), sos.end());
    ZvMemFile file(bytes.data(), bytes.size());
    file.Seek(3, SEEK_FROM_START);
    ZvImageJPG jpg;
    EXPECT_TRUE(jpg.DecodeExif(&file));
    EXPECT_EQ(file.Tell(), 3);
    EXPECT_EQ(jpg.GetExifInfo().cameraModel, "ZX-100 Mark II");
}

namespace {

struct MagickExif
{
    std::string orientation, xres, unit;
};

MagickExif magickExif(const std::string &path)
{
    std::string out;
    runCommand("identify -format '%[EXIF:Orientation]|%[EXIF:XResolution]|%[EXIF:ResolutionUnit]' '" + path +
                   "[0]' 2>/dev/null",
               &out);
    MagickExif m;
    std::stringstream ss(out);
    std::getline(ss, m.orientation, '|');
    std::getline(ss, m.xres, '|');
    std::getline(ss, m.unit, '|');
    return m;
}

double rational(const std::string &text)
{
    unsigned long long num = 0, den = 1;
    if (std::sscanf(text.c_str(), "%llu/%llu", &num, &den) < 1 || den == 0)
        return 0;
    return double(num) / double(den);
}

} // namespace

// What an independent reader finds in the camera files: orientation,
// resolution and its unit, file by file.
TEST(ExifInfo, CameraFilesAgreeWithIndependentReader)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    int compared = 0;
    for (const std::string &path : listFiles(corporaDir() + "/exif-samples/jpg", ".jpg", true)) {
        if (path.find("/invalid/") != std::string::npos)
            continue;
        SCOPED_TRACE(path);
        const MagickExif m = magickExif(path);
        ZvIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "rb"));
        ZvImageJPG jpg;
        const bool found = jpg.DecodeExif(&file);
        const ZvExifInfo &info = jpg.GetExifInfo();
        if (m.xres.empty() && m.orientation.empty())
            continue;
        EXPECT_TRUE(found);
        EXPECT_EQ(info.orientation, m.orientation.empty() ? 0 : std::stoi(m.orientation));
        EXPECT_DOUBLE_EQ(info.xResolution, rational(m.xres));
        EXPECT_EQ(info.resolutionUnit, m.unit.empty() ? 0.0 : zvExifUnitFactor(std::stoi(m.unit)));
        // The decoded picture takes its DPI from there when EXIF gives one.
        if (info.xResolution >= 1 && info.resolutionUnit != 0) {
            ZvImage image;
            ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_JPG)) << image.GetLastError();
            EXPECT_EQ(image.GetXDPI(), int(std::floor(rational(m.xres) / info.resolutionUnit)));
        }
        ++compared;
    }
    EXPECT_GT(compared, 60);
}

TEST(ExifInfo, OrientationSamplesCarryTheirNumberAt72Dpi)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    const auto files = listFiles(corporaDir() + "/exif-samples/jpg/orientation", ".jpg");
    ASSERT_EQ(files.size(), 16u);
    for (const std::string &path : files) {
        SCOPED_TRACE(path);
        const int expected = path[path.size() - 5] - '0';
        ZvIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "rb"));
        ZvImageJPG jpg;
        ASSERT_TRUE(jpg.Decode(&file)) << jpg.GetLastError();
        EXPECT_EQ(jpg.GetExifInfo().orientation, expected);
        EXPECT_EQ(jpg.GetXDPI(), 72);
        EXPECT_EQ(jpg.GetYDPI(), 72);
    }
}
