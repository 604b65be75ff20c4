// tests/collection/thumb_cache_test.cpp
#include "collection/cache_archive.h"
#include "collection/thumb_cache_file.h"
#include "collection/thumb_obj.h"
#include "platform/archive.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/pictures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> bytesOf(const std::string &s)
{
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

std::vector<std::uint8_t> sliceOf(const std::vector<std::uint8_t> &v, std::size_t from, std::size_t n)
{
    return std::vector<std::uint8_t>(v.begin() + std::ptrdiff_t(from), v.begin() + std::ptrdiff_t(from + n));
}

// Two made thumbnails of real files in folder.
std::vector<std::unique_ptr<CThumbObj>> twoThumbs(const QString &folder)
{
    savePicture(folder + "a.bmp", 64, 48, 1);
    savePicture(folder + "b.png", 30, 200, 2);
    std::vector<std::unique_ptr<CThumbObj>> thumbs;
    for (const char *name : {"a.bmp", "b.png"}) {
        thumbs.push_back(std::make_unique<CThumbObj>(folder + name));
        thumbs.back()->MakeThumbnail();
    }
    return thumbs;
}

std::vector<const CThumbObj *> pointers(const std::vector<std::unique_ptr<CThumbObj>> &thumbs)
{
    std::vector<const CThumbObj *> p;
    for (const auto &t : thumbs)
        p.push_back(t.get());
    return p;
}

CacheReadResult readBytes(const std::vector<std::uint8_t> &bytes, const QString &folder)
{
    return ReadThumbCacheBytes(bytes.data(), bytes.size(), folder);
}

} // namespace

TEST(CacheBytes, HeaderAndClassTagsAreThoseOfTheFormat)
{
    const QString folder = freshFolder("cache-bytes");
    const auto thumbs = twoThumbs(folder);
    const std::vector<std::uint8_t> bytes = ThumbCacheBytes(folder, pointers(thumbs));
    const std::string folderUtf8 = folder.toStdString();
    std::size_t at = 0;
    ASSERT_EQ(bytes[at++], 0x14);
    EXPECT_EQ(sliceOf(bytes, at, 20), bytesOf("Image Thumbnail File"));
    at += 20;
    ASSERT_EQ(bytes[at++], folderUtf8.size());
    EXPECT_EQ(sliceOf(bytes, at, folderUtf8.size()), bytesOf(folderUtf8));
    at += folderUtf8.size();
    EXPECT_EQ(sliceOf(bytes, at, 2), (std::vector<std::uint8_t>{0x02, 0x00}));
    at += 2;
    EXPECT_EQ(sliceOf(bytes, at, 6), (std::vector<std::uint8_t>{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}));
    at += 6;
    EXPECT_EQ(sliceOf(bytes, at, 9), bytesOf("CThumbObj"));
    at += 9;
    // The body: name, path, resolution, modified, then the picture record.
    EXPECT_EQ(bytes[at], 5);
    EXPECT_EQ(sliceOf(bytes, at + 1, 5), bytesOf("a.bmp"));
    at += 6;
    const std::string path = (folder + "a.bmp").toStdString();
    EXPECT_EQ(bytes[at], path.size());
    at += 1 + path.size();
    std::int32_t resolution;
    std::uint32_t modified;
    std::memcpy(&resolution, &bytes[at], 4);
    std::memcpy(&modified, &bytes[at + 4], 4);
    EXPECT_EQ(resolution, thumbs[0]->Resolution());
    EXPECT_EQ(modified, thumbs[0]->Modified());
    EXPECT_EQ(bytes[at + 8], 'B');
    EXPECT_EQ(bytes[at + 9], 'M');
    // The second object refers to the class described by the first.
    ArchiveWriter first;
    WriteThumbClassTag(first, false);
    EXPECT_EQ(first.bytes(), (std::vector<std::uint8_t>{0x01, 0x80}));
}

TEST(CacheBytes, StringPrefixesAndCountsSwitchAtTheirLimits)
{
    struct Case
    {
        int length;
        std::vector<std::uint8_t> prefix;
    };
    const Case cases[] = {
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const Case &c : cases) {
        ArchiveWriter out;
        const QByteArray text(c.length, 'x');
        WriteArchiveString(out, text);
        EXPECT_EQ(sliceOf(out.bytes(), 0, c.prefix.size()), c.prefix) << c.length;
        ArchiveReader in(out.bytes().data(), out.bytes().size());
        EXPECT_EQ(ReadArchiveString(in), text);
        EXPECT_EQ(in.Remaining(), 0u);
    }
    for (std::uint32_t count : {0u, 0xFFFEu, 0xFFFFu, 0x12345u}) {
        ArchiveWriter out;
        WriteObjectCount(out, count);
        EXPECT_EQ(out.bytes().size(), count < 0xFFFF ? 2u : 6u);
        ArchiveReader in(out.bytes().data(), out.bytes().size());
        EXPECT_EQ(ReadObjectCount(in), count);
    }
}

TEST(CacheBytes, RoundTripKeepsEveryStoredField)
{
    const QString folder = freshFolder("cache-roundtrip");
    const auto thumbs = twoThumbs(folder);
    const auto bytes = ThumbCacheBytes(folder, pointers(thumbs));
    CacheReadResult read = readBytes(bytes, folder);
    ASSERT_EQ(read.status, CacheRead::Read) << read.error.toStdString();
    ASSERT_EQ(read.objects.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const CThumbObj &a = *thumbs[i];
        const CThumbObj &b = *read.objects[i];
        EXPECT_EQ(b.FileName(), a.FileName());
        EXPECT_EQ(b.Path(), a.Path());
        EXPECT_EQ(b.Modified(), a.Modified());
        EXPECT_EQ(b.Resolution(), a.Resolution());
        ASSERT_TRUE(b.Picture() && b.Picture()->IsValid());
        EXPECT_EQ(toRgb(*b.Picture()), toRgb(*a.Picture()));
        EXPECT_EQ(b.Picture()->GetOrignWidth(), a.Picture()->GetOrignWidth());
        EXPECT_EQ(b.Picture()->GetOrignHeight(), a.Picture()->GetOrignHeight());
    }
    // Written again, the bytes are the same.
    EXPECT_EQ(ThumbCacheBytes(folder, pointers(read.objects)), bytes);
}

TEST(CacheRead, ForeignFilesAreIgnoredAndDamagedOnesRefused)
{
    const QString folder = freshFolder("cache-damaged");
    const auto thumbs = twoThumbs(folder);
    const auto good = ThumbCacheBytes(folder, pointers(thumbs));

    // Another folder's cache, another title, and a file no longer than the title.
    EXPECT_EQ(readBytes(good, folder + "other/").status, CacheRead::Ignored);
    EXPECT_EQ(readBytes(good, folder.toUpper()).status, CacheRead::Ignored);
    auto titled = good;
    titled[1] = 'X';
    EXPECT_EQ(readBytes(titled, folder).status, CacheRead::Ignored);
    auto lower = good;
    for (int i = 1; i <= 20; ++i)
        lower[std::size_t(i)] = std::uint8_t(std::tolower(lower[std::size_t(i)]));
    EXPECT_EQ(readBytes(lower, folder).status, CacheRead::Read);
    EXPECT_EQ(readBytes(sliceOf(good, 0, 20), folder).status, CacheRead::Ignored);

    // Every truncation past the header is an error, never a crash or a partial list.
    const std::size_t header = 1 + 20 + 1 + std::size_t(folder.toUtf8().size());
    for (std::size_t n = header; n < good.size(); n += (n < header + 80 ? 1 : 97)) {
        const CacheReadResult r = readBytes(sliceOf(good, 0, n), folder);
        EXPECT_EQ(r.status, CacheRead::Damaged) << n;
        EXPECT_TRUE(r.objects.empty());
        EXPECT_FALSE(r.error.isEmpty());
    }

    const std::size_t tag = header + 2;
    auto otherClass = good;
    otherClass[tag + 6] = 'D';
    EXPECT_EQ(readBytes(otherClass, folder).status, CacheRead::Damaged);
    EXPECT_EQ(good[tag + 2], 3);
    auto laterSchema = good;
    laterSchema[tag + 2] = 4;
    EXPECT_EQ(readBytes(laterSchema, folder).status, CacheRead::Damaged);
    // Thumbnails cached before they were turned upright (0), laid over the
    // checkerboard (1) or converted to sRGB (2) are made again, quietly.
    for (const std::uint8_t schema : {0, 1, 2}) {
        auto earlierSchema = good;
        earlierSchema[tag + 2] = schema;
        const CacheReadResult earlier = readBytes(earlierSchema, folder);
        EXPECT_EQ(earlier.status, CacheRead::Ignored) << int(schema);
        EXPECT_TRUE(earlier.objects.empty());
        EXPECT_TRUE(earlier.error.isEmpty());
    }
    auto undescribed = good;
    undescribed[tag] = 0x01;
    undescribed[tag + 1] = 0x80;
    EXPECT_EQ(readBytes(undescribed, folder).status, CacheRead::Damaged);
    // A count far beyond the bytes allocates nothing up front.
    auto hugeCount = good;
    hugeCount[header] = 0xFE;
    hugeCount[header + 1] = 0xFF;
    EXPECT_EQ(readBytes(hugeCount, folder).status, CacheRead::Damaged);
}

TEST(CacheFile, WrittenThroughATemporaryFileAndReadBack)
{
    const QString folder = freshFolder("cache-file");
    const auto thumbs = twoThumbs(folder);
    const auto bytes = ThumbCacheBytes(folder, pointers(thumbs));
    QString error;
    ASSERT_TRUE(WriteThumbCacheFile(folder, bytes, error)) << error.toStdString();
    // A read-only cache is replaced all the same.
    QFile::setPermissions(ThumbCachePath(folder), QFile::ReadOwner);
    ASSERT_TRUE(WriteThumbCacheFile(folder, bytes, error)) << error.toStdString();
    const CacheReadResult read = ReadThumbCacheFile(folder);
    EXPECT_EQ(read.status, CacheRead::Read);
    EXPECT_EQ(read.objects.size(), 2u);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3); // a.bmp, b.png, the cache

    // Where the cache cannot be written the error says so and nothing is left behind.
    const QString blocked = freshFolder("cache-blocked");
    QDir().mkpath(ThumbCachePath(blocked));
    EXPECT_FALSE(WriteThumbCacheFile(blocked, bytes, error));
    EXPECT_TRUE(error.contains("tessary.brw"));
    EXPECT_EQ(QDir(blocked).entryList(QDir::Files | QDir::Hidden).size(), 0);

    // A small cache goes, a large one stays.
    RemoveSmallThumbCache(folder);
    EXPECT_TRUE(QFile::exists(ThumbCachePath(folder)));
    ASSERT_TRUE(WriteThumbCacheFile(folder, ThumbCacheBytes(folder, {}), error));
    RemoveSmallThumbCache(folder);
    EXPECT_FALSE(QFile::exists(ThumbCachePath(folder)));
}

// Files put together byte by byte by another writer (the fuzz seeds) read as the format says.
TEST(CacheRead, FilesOfAnotherWriter)
{
    const std::string dir = std::string(ZV_SOURCE_DIR) + "/fuzz/corpus/fuzz_thumb_cache/";
    const struct
    {
        const char *name;
        std::size_t objects;
    } seeds[] = {{"one24", 1}, {"two", 2}, {"empty", 1}, {"none", 0}, {"nulltag", 1}, {"bigcount", 1}};
    for (const auto &seed : seeds) {
        const std::string bytes = readFile(dir + seed.name);
        ASSERT_FALSE(bytes.empty()) << seed.name;
        const CacheReadResult read =
            ReadThumbCacheBytes(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(), "/fuzz/");
        ASSERT_EQ(read.status, CacheRead::Read) << seed.name << ": " << read.error.toStdString();
        EXPECT_EQ(read.objects.size(), seed.objects) << seed.name;
    }
    const std::string one = readFile(dir + "one24");
    const CacheReadResult read =
        ReadThumbCacheBytes(reinterpret_cast<const std::uint8_t *>(one.data()), one.size(), "/fuzz/");
    const CThumbObj &thumb = *read.objects.at(0);
    EXPECT_EQ(thumb.FileName(), "a.jpg");
    EXPECT_EQ(thumb.Path(), "/fuzz/a.jpg");
    EXPECT_EQ(thumb.Resolution(), 96);
    EXPECT_EQ(thumb.Modified(), 1700000000u);
    EXPECT_EQ(thumb.Picture()->GetWidth(), 5u);
    EXPECT_EQ(thumb.Picture()->GetHeight(), 3u);
    EXPECT_EQ(thumb.Picture()->GetOrignWidth(), 50u);
    EXPECT_EQ(thumb.Picture()->GetOrignHeight(), 30u);
}
