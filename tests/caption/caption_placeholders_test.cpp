// tests/caption/caption_placeholders_test.cpp
#include "caption/caption_placeholders.h"

#include "imagelib/core/photo_info.h"
#include "imagelib/streams/io_file.h"
#include "tests/support/corpora.h"
#include "tests/support/dng_builder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

PictureFacts sampleFacts()
{
    PictureFacts f;
    f.filePath = QStringLiteral("/photos/Holiday 2026/IMG_0042.tar.jpg");
    f.counter = 7;
    f.width = 4000;
    f.height = 3000;
    f.taken = QDateTime(QDate(2026, 7, 4), QTime(9, 5, 30));
    f.make = QStringLiteral("Maker");
    f.exposureTime = 1.0 / 250;
    f.fNumber = 2.8;
    f.iso = 100;
    f.focalLength = 26;
    return f;
}

QString expand(const char *text, QStringList *missing = nullptr)
{
    return ExpandPlaceholders(QString::fromUtf8(text), sampleFacts(), missing);
}

} // namespace

TEST(CaptionPlaceholders, FieldsEscapesAndWhatStaysAsWritten)
{
    EXPECT_EQ(expand("%{file} | %{name} | %{folder}"), "IMG_0042.tar.jpg | IMG_0042.tar | Holiday 2026");
    EXPECT_EQ(expand("#%{counter} #%{counter:4} #%{counter:1}"), "#7 #0007 #7");
    EXPECT_EQ(expand("%{date} / %{date:dd.MM.yy HH:mm:ss}"), "2026-07-04 09:05 / 04.07.26 09:05:30");
    EXPECT_EQ(expand("%{exposure} %{aperture} ISO %{iso} %{focal} %{width}x%{height}"),
              "1/250 s f/2.8 ISO 100 26 mm 4000x3000");
    // The escape, unknown names, bad arguments and unclosed markers stay as written.
    EXPECT_EQ(expand("100%%{file} %{nope} %{file:x} %{counter:abc} %{counter:0}"),
              "100%{file} %{nope} %{file:x} %{counter:abc} %{counter:0}");
    EXPECT_EQ(expand("%{file"), "%{file");
    EXPECT_EQ(expand("%{abc %{name}"), "%{abc IMG_0042.tar");
    EXPECT_EQ(expand("50% off {braces} %"), "50% off {braces} %");

    QStringList missing;
    EXPECT_EQ(expand("[%{model}][%{lens}][%{model}][%{gps}][%{make}]", &missing), "[][][][][Maker]");
    EXPECT_EQ(missing, (QStringList{"model", "lens", "gps"}));

    // An old caption comes back untouched, and nothing is reported.
    missing.clear();
    const QString old = QString::fromUtf8("(c) 100% mine\r\nline two");
    EXPECT_TRUE(ExpandPlaceholders(old, PictureFacts(), &missing).isSharedWith(old));
    EXPECT_TRUE(missing.isEmpty());

    PictureFacts bare;
    bare.exposureTime = 2.5;
    EXPECT_EQ(ExpandPlaceholders(QStringLiteral("%{counter}|%{exposure}|%{file}"), bare, &missing),
              "|2.5 s|");
    EXPECT_EQ(missing, (QStringList{"counter", "file"}));
}

TEST(CaptionPlaceholders, FactsOfCameraPicturesReadBack)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    const QString jpg = QString::fromStdString(corporaDir() + "/exif-samples/jpg/");
    const QString all = QStringLiteral("%{make}|%{model}|%{lens}|%{date:yyyy-MM-dd HH:mm:ss}|%{exposure}|"
                                       "%{aperture}|%{iso}|%{focal}|%{gps}");
    struct Case
    {
        const char *file;
        const char *expected;
    };
    // Values checked once by hand against ImageMagick's EXIF listing.
    const Case cases[] = {
        {"gps/DSCN0010.jpg",
         "NIKON|COOLPIX P6000||2008-10-22 16:28:39|1/75 s|f/5.9|64|24 mm|43.46745° N, 11.88513° E"},
        {"hdr/iphone_hdr_YES.jpg",
         "Apple|iPhone 6|iPhone 6 back camera 4.15mm f/2.2|2015-04-10 20:12:23|1/40 s|"
         "f/2.2|32|4.15 mm|40.44697° N, 3.72475° W"},
        {"Kodak_CX7530.jpg", "EASTMAN KODAK COMPANY|KODAK CX7530 ZOOM DIGITAL CAMERA||2005-08-13 09:47:23|"},
    };
    for (const Case &c : cases) {
        const QString path = jpg + QString::fromLatin1(c.file);
        const PictureFacts facts = ReadPictureFacts(path);
        EXPECT_TRUE(ExpandPlaceholders(all, facts).startsWith(QString::fromUtf8(c.expected))) << c.file;
        EXPECT_FALSE(facts.takenFromFileTime) << c.file;
        // The export reads the payload its decode kept; both agree.
        std::ifstream in(path.toStdString(), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t at = std::string(bytes.begin(), bytes.end()).find(std::string("Exif\0\0", 6));
        ASSERT_NE(at, std::string::npos);
        ZvPhotoInfo info;
        info.exif.assign(bytes.begin() + std::ptrdiff_t(at), bytes.end());
        EXPECT_EQ(ExpandPlaceholders(all, PictureFactsFrom(path, &info)), ExpandPlaceholders(all, facts))
            << c.file;
    }
    EXPECT_TRUE(ExpandPlaceholders(QStringLiteral("%{gps}"), ReadPictureFacts(jpg + "Kodak_CX7530.jpg"))
                    .startsWith(QStringLiteral("0.37130° S, 36.05642° E")));

    // A picture without a date taken shows its file's time.
    const PictureFacts none = ReadPictureFacts(jpg + "PaintTool_sample.jpg");
    EXPECT_TRUE(none.taken.isValid());
    EXPECT_TRUE(none.takenFromFileTime);
}

TEST(CaptionPlaceholders, CameraOfATiffLikeRawFileIsReadFromItsDirectories)
{
    const std::string path = scratchDir() + "/camera.dng";
    std::ofstream(path, std::ios::binary) << makeDng(redPreviewDng());
    const QString file = QString::fromStdString(path);
    const QString text = QStringLiteral("%{make} %{model}");
    EXPECT_EQ(ExpandPlaceholders(text, ReadPictureFacts(file)), "Zelventa Test Sensor");
    // Its decoder keeps no EXIF block: the export's reading comes to the same.
    EXPECT_EQ(ExpandPlaceholders(text, PictureFactsFrom(file, nullptr)), "Zelventa Test Sensor");
}
