// caption/picture_facts.cpp
#include "caption/picture_facts.h"

#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/core/image_type.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/io_file.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <new>
#include <vector>

namespace {

// Reading the directories of a TIFF means holding the whole file; larger
// files keep only their file facts.
constexpr qint64 kMaxTiffBytes = 96 << 20;

QString textOf(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size())).trimmed();
}

// EXIF dates are "YYYY:MM:DD HH:MM:SS" in the camera's local time; a
// camera without a set clock writes blanks or zeros, which is no date.
QDateTime dateOf(const std::string &s)
{
    return QDateTime::fromString(textOf(s).left(19), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
}

void takeExif(const ZvExifInfo &exif, PictureFacts &facts)
{
    facts.make = textOf(exif.cameraMake);
    facts.model = textOf(exif.cameraModel);
    facts.lens = textOf(exif.lensModel);
    facts.taken = dateOf(exif.dateTimeOriginal);
    // Values a damaged block makes negative or absurd are no values.
    facts.exposureTime = exif.exposureTime > 0 && exif.exposureTime < 1e6 ? exif.exposureTime : 0;
    facts.fNumber = exif.fNumber > 0 && exif.fNumber < 1e4 ? exif.fNumber : 0;
    facts.focalLength = exif.focalLength > 0 && exif.focalLength < 1e5 ? exif.focalLength : 0;
    facts.iso = exif.isoEquivalent > 0 ? exif.isoEquivalent : 0;
    facts.hasGps = exif.hasGps;
    facts.latitude = exif.gpsLatitude;
    facts.longitude = exif.gpsLongitude;
}

// A TIFF file, and the camera RAW files built like one, is itself the
// structure an EXIF block holds; its directories are read from the whole file.
bool readTiffStructure(const QString &path, ZvExifInfo &exif)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8 || file.size() > kMaxTiffBytes)
        return false;
    const QByteArray head = file.peek(4);
    if (head != QByteArray("II*\0", 4) && head != QByteArray("MM\0*", 4))
        return false;
    std::vector<std::uint8_t> payload;
    try {
        payload.resize(6 + std::size_t(file.size()));
    } catch (const std::bad_alloc &) {
        return false;
    }
    std::memcpy(payload.data(), "Exif\0\0", 6);
    if (file.read(reinterpret_cast<char *>(payload.data()) + 6, file.size()) != file.size())
        return false;
    return exif.ParseExif(payload.data(), payload.size());
}

// What the file itself can say when no decoder handed over its EXIF block:
// a JPEG's markers before the first scan, a TIFF's directories.
void readFromFile(PictureFacts &facts)
{
    const ImageType type = ImageTypeFromName(facts.filePath.toStdString());
    ZvExifInfo exif;
    bool read = false;
    if (type == ZV_TYPE_JPG) {
        ZvIOFile file;
        read = file.Open(QFile::encodeName(facts.filePath).constData(), "rb") && exif.Read(&file);
    } else if (type == ZV_TYPE_TIF || type == ZV_TYPE_RAW) {
        read = readTiffStructure(facts.filePath, exif);
    }
    if (read)
        takeExif(exif, facts);
}

// The file's own time stands in for a date taken the picture does not have.
void finish(PictureFacts &facts)
{
    if (facts.taken.isValid())
        return;
    const QDateTime modified = QFileInfo(facts.filePath).lastModified();
    if (!modified.isValid())
        return;
    facts.taken = modified;
    facts.takenFromFileTime = true;
}

} // namespace

PictureFacts ReadPictureFacts(const QString &path)
{
    PictureFacts facts;
    facts.filePath = path;
    readFromFile(facts);
    finish(facts);
    return facts;
}

PictureFacts PictureFactsFrom(const QString &path, const ZvPhotoInfo *info)
{
    PictureFacts facts;
    facts.filePath = path;
    if (info && !info->exif.empty()) {
        ZvExifInfo exif;
        if (exif.ParseExif(info->exif.data(), info->exif.size()))
            takeExif(exif, facts);
    } else {
        const ImageType type = ImageTypeFromName(path.toStdString());
        // Their decoders keep no EXIF block; the file is read once more.
        if (type == ZV_TYPE_TIF || type == ZV_TYPE_RAW)
            readFromFile(facts);
    }
    finish(facts);
    return facts;
}
