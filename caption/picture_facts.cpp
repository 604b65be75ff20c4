// caption/picture_facts.cpp
#include "caption/picture_facts.h"

#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/core/image_type.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/io_file.h"

#include <QFileInfo>

namespace {

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
    if (ImageTypeFromName(path.toStdString()) == ZV_TYPE_JPG) {
        ZvIOFile file;
        ZvExifInfo exif;
        if (file.Open(QFile::encodeName(path).constData(), "rb") && exif.Read(&file))
            takeExif(exif, facts);
    }
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
    }
    finish(facts);
    return facts;
}
