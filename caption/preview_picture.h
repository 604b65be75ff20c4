// caption/preview_picture.h
#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

// A picture decoded for showing on screen: no more pixels than the screen
// area asks for. JPEGs are decoded at 1/2, 1/4 or 1/8 of their size when
// that still covers the area; anything else is decoded in full and then
// scaled down. The picture stands as the camera held it (when asked) but
// without the user's turn; TurnImage gives the view. Its colours are sRGB:
// a picture whose file states another colour space is converted once it is
// down to the size shown.
struct PreviewPicture
{
    QString path;
    // Without the user's turn, at most the size asked for; null on failure.
    // RGB32, or premultiplied ARGB32 when the picture has transparency (the
    // screen lays it over a checkerboard).
    QImage image;
    QSize fullSize;       // the picture's own size, upright as image stands, without the user's turn
    int bitsPerPixel = 0; // as stored, for the properties text
    QString error;        // why nothing could be shown; empty on success
    qint64 fileSize = -1; // what the file was when it was read, to notice a replaced file
    QDateTime modified;

    bool IsValid() const { return !image.isNull() && !fullSize.isEmpty(); }
    // Whether the image holds fewer pixels than the picture has.
    bool IsReduced() const { return image.width() < fullSize.width() || image.height() < fullSize.height(); }
};

// Sizes after a turn: a quarter turn either way swaps width and height.
bool TurnsSideways(int degrees);
QSize TurnedSize(QSize size, int degrees);

// The image turned by degrees (0, 90 clockwise, -90 counter-clockwise, 180);
// any other value leaves it unturned.
QImage TurnImage(const QImage &image, int degrees);

// Decodes path for an area of need pixels (in the turned orientation, so
// the picture after the turn of degrees covers need when it is large
// enough), turned upright as the camera held it when upright is set (the
// export's "Turn pictures as the camera held them"). A file that cannot be
// read or decoded gives a picture with an error text and no image. Needs
// no GUI: runs on any thread.
PreviewPicture LoadPreviewPicture(const QString &path, int degrees, QSize need, bool upright = true);

// Whether the file at path is still the one that picture was read from.
bool SameFile(const PreviewPicture &picture, const QString &path);
