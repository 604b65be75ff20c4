// collection/thumb_obj.cpp
#include "collection/thumb_obj.h"

#include "caption/preview_colour.h"
#include "collection/cache_archive.h"
#include "collection/thumb_geometry.h"
#include "imagelib/codecs/jpeg/jpeg_scale.h"
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image_display.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"
#include "platform/archive.h"
#include "platform/checkerboard.h"

#include <QFileInfo>
#include <QImage>

namespace {

// The types a thumbnail is made for, by lower-case extension.
std::uint32_t thumbType(const QString &extension)
{
    static const struct
    {
        const char *extension;
        std::uint32_t type;
    } kTypes[] = {
        {"bmp", ZV_TYPE_BMP}, {"jpg", ZV_TYPE_JPG},   {"jpeg", ZV_TYPE_JPG},  {"jpe", ZV_TYPE_JPG},
        {"gif", ZV_TYPE_GIF}, {"png", ZV_TYPE_PNG},   {"ico", ZV_TYPE_ICO},   {"tiff", ZV_TYPE_TIF},
        {"tif", ZV_TYPE_TIF}, {"tga", ZV_TYPE_TGA},   {"pcx", ZV_TYPE_PCX},   {"wbmp", ZV_TYPE_WBMP},
        {"wmf", ZV_TYPE_WMF}, {"emf", ZV_TYPE_WMF},   {"webp", ZV_TYPE_WEBP}, {"avif", ZV_TYPE_AVIF},
        {"jxl", ZV_TYPE_JXL}, {"heic", ZV_TYPE_HEIF}, {"heif", ZV_TYPE_HEIF}, {"hif", ZV_TYPE_HEIF},
        {"dng", ZV_TYPE_RAW}, {"cr2", ZV_TYPE_RAW},   {"cr3", ZV_TYPE_RAW},   {"nef", ZV_TYPE_RAW},
        {"arw", ZV_TYPE_RAW}, {"raf", ZV_TYPE_RAW},   {"orf", ZV_TYPE_RAW},   {"rw2", ZV_TYPE_RAW},
        {"pef", ZV_TYPE_RAW},
    };
    for (const auto &t : kTypes) {
        if (extension == QLatin1String(t.extension))
            return t.type;
    }
    return ZV_TYPE_UNKNOWN;
}

QString extensionOf(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype slash = path.lastIndexOf(u'/');
    return dot < 0 || dot < slash ? QString() : path.mid(dot + 1).toLower();
}

// The full width and height a JPEG's header gives; false when it has none.
bool jpegSize(const QByteArray &path, std::int64_t &width, std::int64_t &height)
{
    ZvIOFile file;
    ZvImage header;
    header.SetEscape(-1);
    if (!file.Open(path.constData(), "rb") || !header.Decode(&file, ZV_TYPE_JPG))
        return false;
    width = header.GetWidth();
    height = header.GetHeight();
    return width > 0 && height > 0;
}

} // namespace

CThumbObj::CThumbObj()
    : mPicture(std::make_unique<ZvImage>())
{
}

CThumbObj::CThumbObj(const QString &path)
    : mModified(FileModified(path))
    , mPath(path)
    , mFileName(QFileInfo(path).fileName())
    , mPicture(std::make_unique<ZvImage>())
{
}

std::uint32_t CThumbObj::FileModified(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return 0;
    return std::uint32_t(info.lastModified().toSecsSinceEpoch());
}

bool CThumbObj::MakeThumbnail()
{
    const std::uint32_t type = thumbType(extensionOf(mPath));
    if (type == ZV_TYPE_UNKNOWN)
        return false;
    if (!decode(type)) {
        mPicture.reset();
    } else {
        mResolution = mPicture->GetYDPI();
        if (!shape(*mPicture))
            mPicture.reset();
    }
    if (mPicture && !mPicture->IsValid())
        mPicture.reset();
    mMade = 1;
    return true;
}

// Reduced first, so that the colours are converted on the thumbnail's few
// pixels rather than on the decoded picture's many.
bool CThumbObj::shape(ZvImage &picture)
{
    const ThumbSize size = ThumbReducedSize(int(picture.GetWidth()), int(picture.GetHeight()));
    if (zvHasTransparency(picture)) {
        if (!flattenTransparency(picture, size))
            return false;
    } else {
        const bool reduce = std::uint32_t(size.width) != picture.GetWidth() ||
                            std::uint32_t(size.height) != picture.GetHeight();
        if (reduce && !picture.Resample(size.width, size.height, 0))
            return false;
        zvConvertToSrgb(picture);
    }
    return turnUpright(picture);
}

// A JPEG is decoded at the largest DCT reduction that still covers the
// limits, a HEIF or camera RAW file from its embedded thumbnail or preview
// when that covers them; the as-loaded size stays that of the whole
// picture, so the facts shown and cached are the file's.
bool CThumbObj::decode(std::uint32_t type)
{
    const QByteArray path = mPath.toUtf8();
    auto picture = std::make_unique<ZvImage>();
    std::int64_t width = 0, height = 0;
    int denominator = 1;
    if (type == ZV_TYPE_JPG && jpegSize(path, width, height))
        denominator = chooseJpegScale(width, height, kThumbLimit, kThumbLimit);
    picture->SetJpegScale(std::uint8_t(denominator));
    picture->SetReducedDecode(kThumbLimit, kThumbLimit);
    const bool ok = picture->Load(path.constData(), type);
    picture->SetJpegScale(0);
    picture->SetReducedDecode(0, 0);
    if (!ok)
        return false;
    if (denominator > 1 && picture->GetWidth() == reducedSide(width, denominator) &&
        picture->GetHeight() == reducedSide(height, denominator)) {
        picture->SetOrignWidth(std::uint32_t(width));
        picture->SetOrignHeight(std::uint32_t(height));
    }
    mPicture = std::move(picture);
    return true;
}

// A transparent picture is reduced with its alpha (the picture's own
// resampling would blend a transparent index or colour into its neighbours)
// and laid over the checkerboard: the cache record holds no alpha, and the
// browser shows what an export that keeps the transparency writes.
bool CThumbObj::flattenTransparency(ZvImage &picture, ThumbSize size)
{
    QImage image = zvToQImage(picture);
    if (image.isNull())
        return false;
    if (image.width() != size.width || image.height() != size.height)
        image = image.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Converted before the checkerboard goes under it: the squares are sRGB already.
    if (!ConvertShownToSrgb(image, picture.GetColourSpacePtr()) ||
        !zvTakeOpaquePixels(picture, OverCheckerboard(image)))
        return false;
    if (picture.GetColourSpace())
        picture.SetColourSpace(zvColourSrgb());
    return true;
}

// Turned after the reduction, which fits a square and so gives the same
// size either way round, at a fraction of the cost. The as-loaded size
// turns with it: the facts shown are those of the upright picture.
bool CThumbObj::turnUpright(ZvImage &picture)
{
    const int orientation = picture.GetOrientation();
    if (orientation <= 1)
        return true;
    const std::uint32_t width = picture.GetOrignWidth(), height = picture.GetOrignHeight();
    if (!zvTurnUpright(picture, orientation))
        return false;
    if (zvOrientationSwapsSides(orientation)) {
        picture.SetOrignWidth(height);
        picture.SetOrignHeight(width);
    }
    return true;
}

long CThumbObj::Draw(QPainter &painter, const RECT &target)
{
    const int width = mPicture ? int(mPicture->GetWidth()) : 0;
    const int height = mPicture ? int(mPicture->GetHeight()) : 0;
    mDrawn = ThumbDrawRect(width, height, target);
    if (!mPicture)
        return 0;
    return mPicture->Stretch(painter, mDrawn.left, mDrawn.top, mDrawn.right - mDrawn.left,
                             mDrawn.bottom - mDrawn.top);
}

void CThumbObj::Serialize(ArchiveWriter &out) const
{
    WriteArchiveString(out, mFileName.toUtf8());
    WriteArchiveString(out, mPath.toUtf8());
    out.WriteU32(std::uint32_t(mResolution));
    out.WriteU32(mModified);
    // The record refreshes the header copy inside the DIB block; the bytes
    // written are the same either way.
    ZvImage empty;
    (mPicture ? *mPicture : empty).WriteToArchive(out);
}

void CThumbObj::Serialize(ArchiveReader &in)
{
    mFileName = QString::fromUtf8(ReadArchiveString(in));
    mPath = QString::fromUtf8(ReadArchiveString(in));
    std::uint32_t resolution = 0, modified = 0;
    if (!in.ReadU32(resolution) || !in.ReadU32(modified))
        throw CacheFormatError("unexpected end of file");
    mResolution = std::int32_t(resolution);
    mModified = modified;
    auto picture = std::make_unique<ZvImage>();
    picture->ReadFromArchive(in);
    mPicture = std::move(picture);
}
