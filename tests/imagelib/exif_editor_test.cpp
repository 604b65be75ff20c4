// tests/imagelib/exif_editor_test.cpp
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/io_file.h"
#include "tests/support/corpora.h"
#include "tests/support/tiff_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kMakerNote = {'Z', 'V', 'N', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
const Bytes kThumbnail = {0xFF, 0xD8, 'T', 'H', 'U', 'M', 'B', 0xFF, 0xD9};

struct Camera
{
    Bytes payload;
    std::uint32_t makerNoteAt = 0; // in the TIFF structure
};

// Make, model, orientation and resolution in directory 0; exposure, date,
// a maker note and (unless left out) the pixel size in the EXIF directory;
// GPS; a thumbnail directory with its JPEG at the end, as cameras write it.
// Orientation 0 leaves the tag out.
Camera camera(bool motorola, bool pixelSize = true, std::uint16_t orientation = 6)
{
    TiffBuilder t(motorola);
    Camera c;
    const std::uint32_t make = t.Text("Zelcam Optics");
    const std::uint32_t model = t.Text("ZX-100");
    const std::uint32_t xres = t.Rational(180, 1);
    const std::uint32_t yres = t.Rational(180, 1);
    const std::uint32_t date = t.Text("2021:06:30 12:34:56");
    const std::uint32_t exposure = t.Rational(1, 250);
    c.makerNoteAt = t.Raw(kMakerNote);
    const std::uint32_t lat = t.Raw(Bytes(24, 7));
    std::vector<TiffBuilder::Field> exifFields = {
        {0x829A, 5, 1, exposure},
        {0x9003, 2, 20, date},
        {0x927C, 7, std::uint32_t(kMakerNote.size()), c.makerNoteAt}};
    if (pixelSize) {
        exifFields.push_back({0xA002, 3, 1, 3000});
        exifFields.push_back({0xA003, 3, 1, 2000});
    }
    const std::uint32_t exif = t.Directory(exifFields);
    const std::uint32_t gps = t.Directory({{0x0001, 2, 2, 'N'}, {0x0002, 5, 3, lat}});
    std::vector<TiffBuilder::Field> fields = {
        {0x010F, 2, 14, make}, {0x0110, 2, 7, model}, {0x011A, 5, 1, xres}, {0x011B, 5, 1, yres},
        {0x0128, 3, 1, 2},     {0x8769, 4, 1, exif},  {0x8825, 4, 1, gps}};
    if (orientation != 0)
        fields.insert(fields.begin() + 2, {0x0112, 3, 1, orientation});
    const std::uint32_t ifd0 = t.Directory(fields);
    t.Patch32(4, ifd0);
    const std::uint32_t thumbX = t.Rational(72, 1);
    const std::uint32_t ifd1 = t.Directory({{0x011A, 5, 1, thumbX}, {0x0201, 4, 1, 0}, {0x0202, 4, 1, 9}});
    const std::uint32_t thumb = t.Raw(kThumbnail);
    t.Patch32(ifd1 + 2 + 12 * 1 + 8, thumb);
    t.Patch32(ifd0 + 2 + 12 * std::uint32_t(fields.size()), ifd1);
    c.payload = t.Payload();
    return c;
}

ZvExifInfo read(const Bytes &payload)
{
    ZvExifInfo info;
    info.ParseExif(payload.data(), payload.size());
    return info;
}

bool contains(const Bytes &hay, const Bytes &needle)
{
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

Bytes edit(const Bytes &in, bool turn, std::uint32_t w, std::uint32_t h, std::uint32_t xDpi,
           std::uint32_t yDpi)
{
    ZvExifEditor e;
    EXPECT_TRUE(e.Parse(in.data(), in.size())) << e.Problem();
    if (turn)
        e.SetOrientationUpright();
    e.SetPixelSize(w, h);
    e.DropThumbnail();
    e.SetResolution(xDpi, yDpi);
    Bytes out;
    EXPECT_TRUE(e.Result(out)) << e.Problem();
    return out;
}

class ExifEditorOrder : public ::testing::TestWithParam<bool>
{
};

TEST_P(ExifEditorOrder, EditsWhatTheExportChangedAndKeepsTheRest)
{
    const Camera c = camera(GetParam());
    const Bytes out = edit(c.payload, true, 640, 427, 300, 150);
    const ZvExifInfo info = read(out);
    ASSERT_TRUE(info.isExif) << info.lastError;
    EXPECT_EQ(info.orientation, 1);
    EXPECT_EQ(info.exifWidth, 640);
    EXPECT_EQ(info.exifHeight, 427);
    EXPECT_DOUBLE_EQ(info.xResolution, 300);
    EXPECT_DOUBLE_EQ(info.yResolution, 150);
    EXPECT_DOUBLE_EQ(info.resolutionUnit, 1.0); // inch
    EXPECT_EQ(info.thumbnailOffset, 0u);
    EXPECT_EQ(info.thumbnailSize, 0u);
    EXPECT_FALSE(contains(out, kThumbnail));
    EXPECT_LT(out.size(), c.payload.size());
    EXPECT_EQ(info.cameraMake, "Zelcam Optics");
    EXPECT_EQ(info.cameraModel, "ZX-100");
    EXPECT_EQ(info.dateTime, "2021:06:30 12:34:56");
    EXPECT_DOUBLE_EQ(info.exposureTime, 1.0 / 250);
    // Values never move: the maker note and the GPS latitude stay where they were.
    ASSERT_GE(out.size(), 6 + c.makerNoteAt + kMakerNote.size());
    EXPECT_TRUE(std::equal(kMakerNote.begin(), kMakerNote.end(), out.begin() + 6 + c.makerNoteAt));
    EXPECT_TRUE(contains(out, Bytes(24, 7)));
}

TEST_P(ExifEditorOrder, UnturnedKeepsOrientationAndMissingSizeIsAdded)
{
    const Camera c = camera(GetParam(), false, 8);
    const Bytes out = edit(c.payload, false, 70000, 50, 72, 72);
    const ZvExifInfo info = read(out);
    ASSERT_TRUE(info.isExif) << info.lastError;
    EXPECT_EQ(info.orientation, 8);
    EXPECT_EQ(info.exifWidth, 70000); // beyond a SHORT: written as LONG
    EXPECT_EQ(info.exifHeight, 50);
    EXPECT_DOUBLE_EQ(info.exposureTime, 1.0 / 250);
    EXPECT_TRUE(std::equal(kMakerNote.begin(), kMakerNote.end(), out.begin() + 6 + c.makerNoteAt));
    // The result is itself a sound block.
    ZvExifEditor again;
    EXPECT_TRUE(again.Parse(out.data(), out.size())) << again.Problem();
}

// A picture turned upright says so only where the camera said how it was
// held: a block without Orientation gets none.
TEST_P(ExifEditorOrder, TurningAddsNoOrientationWhereThereWasNone)
{
    const Camera c = camera(GetParam(), true, 0);
    const Bytes out = edit(c.payload, true, 640, 427, 300, 300);
    const ZvExifInfo info = read(out);
    ASSERT_TRUE(info.isExif) << info.lastError;
    EXPECT_EQ(info.orientation, 0);
    const Bytes tag = GetParam() ? Bytes{0x01, 0x12, 0, 3} : Bytes{0x12, 0x01, 3, 0};
    EXPECT_FALSE(contains(out, tag));
}

// Found by fuzzing: a last directory without room for its link would take
// the first appended value for one, and the block would overlap itself.
TEST_P(ExifEditorOrder, LastDirectoryWithoutLinkStaysSound)
{
    TiffBuilder t(GetParam());
    const std::uint32_t exposure = t.Rational(1, 60);
    const std::uint32_t ifd0 = t.Directory({{0x0112, 3, 1, 3}, {0x8769, 4, 1, 0}});
    t.Patch32(4, ifd0);
    const std::uint32_t exif = t.Directory({{0x829A, 5, 1, exposure}, {0xA002, 3, 1, 9}, {0xA003, 3, 1, 9}});
    t.Patch32(ifd0 + 2 + 12 + 8, exif);
    Bytes payload = t.Payload();
    payload.resize(payload.size() - 2); // half of the EXIF directory's link
    const Bytes out = edit(payload, true, 33, 22, 240, 120);
    ZvExifEditor again;
    EXPECT_TRUE(again.Parse(out.data(), out.size())) << again.Problem();
    const ZvExifInfo info = read(out);
    EXPECT_EQ(info.exifWidth, 33);
    EXPECT_EQ(info.exifHeight, 22);
    EXPECT_DOUBLE_EQ(info.exposureTime, 1.0 / 60);
    EXPECT_DOUBLE_EQ(info.yResolution, 120);
    EXPECT_EQ(info.orientation, 1);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, ExifEditorOrder, ::testing::Values(false, true),
                         [](const auto &p) { return p.param ? "Motorola" : "Intel"; });

// A thumbnail that is not at the end of the block cannot be cut off; its
// bytes are cleared instead, and the values around it stay.
TEST(ExifEditor, ThumbnailStripInTheMiddleIsCleared)
{
    TiffBuilder t(false);
    const Bytes strip = {'S', 'T', 'R', 'I', 'P', '!', '!', '!'};
    const std::uint32_t stripAt = t.Raw(strip);
    const std::uint32_t ifd1 = t.Directory({{0x0111, 4, 1, stripAt}, {0x0117, 4, 1, 8}});
    const std::uint32_t make = t.Text("Zelcam");
    const std::uint32_t ifd0 = t.Directory({{0x010F, 2, 7, make}}, ifd1);
    t.Patch32(4, ifd0);
    const Bytes in = t.Payload();
    ASSERT_TRUE(contains(in, strip));
    const Bytes out = edit(in, false, 1, 1, 72, 72);
    EXPECT_FALSE(contains(out, strip));
    EXPECT_EQ(read(out).cameraMake, "Zelcam");
    EXPECT_DOUBLE_EQ(read(out).xResolution, 72);
}

// A little-endian field of the TIFF structure in a payload.
void patch32(Bytes &payload, std::size_t tiffAt, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        payload[6 + tiffAt + i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t get32(const Bytes &payload, std::size_t tiffAt)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | payload[6 + tiffAt + i];
    return v;
}

// Entry i of the directory at dir: its count at +4, its value at +8.
std::size_t entryAt(std::size_t dir, int i)
{
    return dir + 2 + 12 * std::size_t(i);
}

TEST(ExifEditor, RefusesEveryKindOfDamage)
{
    const Bytes good = camera(false).payload;
    const std::size_t ifd0 = get32(good, 4);
    const std::size_t tiffSize = good.size() - 6;
    const std::size_t exifLink = entryAt(ifd0, 6) + 8;
    const std::size_t makeEntry = entryAt(ifd0, 0);
    const std::size_t ifd1Link = ifd0 + 2 + 12 * 8;
    struct Damage
    {
        const char *what;
        std::size_t at;
        std::uint32_t value;
    };
    const Damage cases[] = {
        {"value one byte past the end", makeEntry + 8, std::uint32_t(tiffSize - 14 + 1)},
        {"value inside directory 0", makeEntry + 8, std::uint32_t(ifd0)},
        {"value offset into the header", makeEntry + 8, 4},
        {"count that overflows", makeEntry + 4, 0x80000000u},
        {"EXIF link back to directory 0", exifLink, std::uint32_t(ifd0)},
        {"EXIF link outside", exifLink, std::uint32_t(tiffSize)},
        {"EXIF link into directory 0", exifLink, std::uint32_t(ifd0 + 12)},
        {"thumbnail chain back to directory 0", ifd1Link, std::uint32_t(ifd0)},
    };
    for (const Damage &d : cases) {
        Bytes bad = good;
        patch32(bad, d.at, d.value);
        ZvExifEditor e;
        EXPECT_FALSE(e.Parse(bad.data(), bad.size())) << d.what;
        EXPECT_FALSE(e.Problem().empty()) << d.what;
        Bytes out;
        EXPECT_FALSE(e.Result(out)) << d.what;
    }
    Bytes badType = good;
    badType[6 + makeEntry + 2] = 14;
    ZvExifEditor e;
    EXPECT_FALSE(e.Parse(badType.data(), badType.size()));
    EXPECT_EQ(e.Problem(), "unknown field type");
    // A value that ends exactly at the end of the block is sound (the make
    // read over the thumbnail's 9 bytes), one byte further is not.
    Bytes edge = good;
    patch32(edge, makeEntry + 4, 9);
    patch32(edge, makeEntry + 8, std::uint32_t(tiffSize - 9));
    EXPECT_TRUE(e.Parse(edge.data(), edge.size())) << e.Problem();
    patch32(edge, makeEntry + 8, std::uint32_t(tiffSize - 8));
    EXPECT_FALSE(e.Parse(edge.data(), edge.size()));
    // A block cut inside its thumbnail is damaged.
    Bytes cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(e.Parse(cut.data(), cut.size()));
}

// Every EXIF block of the camera samples is either refused or edited into a
// block that parses again and says the same about the photograph.
TEST(ExifEditor, CameraSamplesKeepTheirFacts)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    int edited = 0;
    std::vector<std::string> refused;
    for (const std::string &path : listFiles(corporaDir() + "/exif-samples/jpg", ".jpg", true)) {
        ZvImageJPG codec;
        codec.SetKeepPhotoInfo(true);
        ZvIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "rb"));
        if (!codec.Decode(&file) || !codec.GetPhotoInfo() || codec.GetPhotoInfo()->exif.empty())
            continue;
        const Bytes &in = codec.GetPhotoInfo()->exif;
        ZvExifEditor e;
        if (!e.Parse(in.data(), in.size())) {
            refused.push_back(path.substr(path.rfind("/jpg/") + 5) + ": " + e.Problem());
            continue;
        }
        const Bytes out = edit(in, true, 123, 45, 96, 96);
        const ZvExifInfo before = read(in), after = read(out);
        ASSERT_TRUE(after.isExif) << path;
        EXPECT_EQ(after.cameraMake, before.cameraMake) << path;
        EXPECT_EQ(after.cameraModel, before.cameraModel) << path;
        EXPECT_EQ(after.dateTime, before.dateTime) << path;
        EXPECT_EQ(after.exposureTime, before.exposureTime) << path;
        EXPECT_EQ(after.fNumber, before.fNumber) << path;
        EXPECT_EQ(after.isoEquivalent, before.isoEquivalent) << path;
        EXPECT_EQ(after.thumbnailSize, 0u) << path;
        if (before.orientation) {
            EXPECT_EQ(after.orientation, 1) << path;
        }
        if (before.exifWidth) {
            EXPECT_EQ(after.exifWidth, 123) << path;
        }
        ZvExifEditor again;
        EXPECT_TRUE(again.Parse(out.data(), out.size())) << path << ": " << again.Problem();
        ++edited;
    }
    for (const std::string &r : refused)
        std::printf("refused %s\n", r.c_str());
    EXPECT_GE(edited, 60);
}

} // namespace
