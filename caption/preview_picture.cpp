// caption/preview_picture.cpp
#include "caption/preview_picture.h"

#include "caption/caption_geometry.h"
#include "caption/preview_colour.h"
#include "imagelib/codecs/jpeg/jpeg_scale.h"
#include "imagelib/core/image.h"
#include "imagelib/core/image_display.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTransform>

#include <algorithm>
#include <utility>

namespace {

// The JPEG header alone: the size without decoding a pixel, upright when
// the picture is to be shown as the camera held it.
QSize jpegSize(const QByteArray &path, bool upright)
{
    ZvIOFile file;
    ZvImage header;
    header.SetEscape(-1);
    if (!file.Open(path.constData(), "rb") || !header.Decode(&file, ZV_TYPE_JPG))
        return QSize();
    const QSize stored(int(header.GetWidth()), int(header.GetHeight()));
    return upright && zvOrientationSwapsSides(header.GetOrientation()) ? stored.transposed() : stored;
}

// The largest JPEG scale denominator whose decode still covers need.
int denominatorFor(const QByteArray &path, int degrees, QSize need, bool upright)
{
    if (ImageTypeFromName(path.toStdString()) != ZV_TYPE_JPG || need.isEmpty())
        return 1;
    const QSize shown = jpegSize(path, upright);
    if (shown.isEmpty())
        return 1;
    const QSize turned = TurnedSize(shown, degrees);
    const RECT fit = FitPictureRect(turned.width(), turned.height(), RECT{0, 0, need.width(), need.height()});
    return chooseJpegScale(turned.width(), turned.height(), fit.right - fit.left, fit.bottom - fit.top);
}

// Scaled down to what need asks for in the turned orientation, never up.
QImage reduceTo(const QImage &image, int degrees, QSize need)
{
    const QSize turnedNeed = TurnsSideways(degrees) ? need.transposed() : need;
    if (turnedNeed.isEmpty() ||
        (image.width() <= turnedNeed.width() && image.height() <= turnedNeed.height()))
        return image;
    return image.scaled(turnedNeed, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

bool TurnsSideways(int degrees)
{
    return degrees == 90 || degrees == -90;
}

QSize TurnedSize(QSize size, int degrees)
{
    return TurnsSideways(degrees) ? size.transposed() : size;
}

QImage TurnImage(const QImage &image, int degrees)
{
    if (degrees != 90 && degrees != -90 && degrees != 180)
        return image;
    return image.transformed(QTransform().rotate(degrees));
}

PreviewPicture LoadPreviewPicture(const QString &path, int degrees, QSize need, bool upright)
{
    PreviewPicture out;
    out.path = path;
    const QFileInfo info(path);
    if (!info.isFile()) {
        out.error = QStringLiteral("The picture file is missing.");
        return out;
    }
    out.fileSize = info.size();
    out.modified = info.lastModified();
    const QByteArray local = QFile::encodeName(path);
    const int d = denominatorFor(local, degrees, need, upright);
    ZvImage picture;
    picture.SetJpegScale(std::uint8_t(d));
    // A HEIF or camera RAW file shows its embedded thumbnail or preview
    // when that covers need, as the picture stands before the user's turn.
    const QSize own = TurnedSize(need, degrees);
    picture.SetReducedDecode(own.width(), own.height());
    const bool ok = picture.Load(local.constData(), ImageTypeFromName(local.toStdString()));
    if (!ok || picture.GetWidth() == 0 || picture.GetHeight() == 0) {
        out.error = QString::fromUtf8(picture.GetLastError());
        if (out.error.isEmpty())
            out.error = QStringLiteral("Unknown or wrong format");
        return out;
    }
    // libjpeg rounds the reduced sides up; the stored size is the header's.
    // A thumbnail or preview decoded instead reports the whole picture's.
    const int orientation = upright ? picture.GetOrientation() : 1;
    QSize whole(int(picture.GetOrignWidth()), int(picture.GetOrignHeight()));
    if (zvOrientationSwapsSides(orientation))
        whole.transpose();
    if (orientation > 1 && !zvTurnUpright(picture, orientation)) {
        out.error = QString::fromUtf8(picture.GetLastError());
        return out;
    }
    out.fullSize = d > 1 ? jpegSize(local, upright) : whole;
    if (out.fullSize.isEmpty())
        out.fullSize = QSize(int(picture.GetWidth()) * d, int(picture.GetHeight()) * d);
    out.bitsPerPixel = int(picture.GetOrignBpp() ? picture.GetOrignBpp() : picture.GetBpp());
    const ZvColourSpacePtr colour = picture.GetColourSpacePtr();
    QImage image = zvToQImage(picture);
    picture.Destroy();
    if (!image.isNull())
        image = reduceTo(image, degrees, need);
    // Converted at the size shown, never at the size decoded.
    if (image.isNull() || !ConvertShownToSrgb(image, colour)) {
        out.error = QStringLiteral("Not enough memory to show the picture.");
        return out;
    }
    out.image = std::move(image);
    return out;
}

bool SameFile(const PreviewPicture &picture, const QString &path)
{
    const QFileInfo info(path);
    return picture.path == path && info.isFile() && info.size() == picture.fileSize &&
           info.lastModified() == picture.modified;
}
