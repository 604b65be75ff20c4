// tests/caption/picture_files.h
#pragma once

#include "imagelib/core/image.h"
#include "imagelib/core/photo_info.h"
#include "tests/support/pictures.h"
#include "tests/support/test_profiles.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Pictures written into a private folder for the page and the viewer to read.
class PictureFiles
{
  public:
    // A pattern picture of that size saved as name (its extension gives the type).
    QString Write(const QString &name, int width, int height)
    {
        ZvImage picture = makePattern24(width, height);
        const QString path = mDir.filePath(name);
        const QByteArray local = path.toLocal8Bit();
        EXPECT_TRUE(picture.Save(local.constData(), ImageTypeFromName(local.toStdString())))
            << picture.GetLastError();
        return path;
    }

    // A picture of one colour saved as name, carrying the ICC profile icc
    // (none when empty) as a phone's picture carries its Display P3 profile.
    // With clearCorner its top-left pixel is transparent (for PNG).
    QString WriteColour(const QString &name, int width, int height, const Rgb &rgb,
                        const std::vector<std::uint8_t> &icc, bool clearCorner = false)
    {
        ZvImage picture(std::uint32_t(width), std::uint32_t(height), 24);
        if (clearCorner)
            picture.AlphaCreate();
        const RGBQUAD colour{std::uint8_t(rgb[2]), std::uint8_t(rgb[1]), std::uint8_t(rgb[0]), 255};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.SetPixelColor(x, y, colour, clearCorner);
        if (clearCorner)
            picture.AlphaSet(0, std::uint32_t(height - 1), 0); // rows are stored bottom-up
        if (!icc.empty()) {
            auto info = std::make_shared<ZvPhotoInfo>();
            info->icc = icc;
            picture.SetPhotoInfo(info);
            picture.SetKeepPhotoInfo(true);
        }
        picture.SetJpegQuality(100);
        const QString path = mDir.filePath(name);
        const QByteArray local = path.toLocal8Bit();
        EXPECT_TRUE(picture.Save(local.constData(), ImageTypeFromName(local.toStdString())))
            << picture.GetLastError();
        return path;
    }

    // A file that is not a picture although its name says so.
    QString WriteGarbage(const QString &name)
    {
        const QString path = mDir.filePath(name);
        writeFile(path.toStdString(), std::string(600, 'x'));
        return path;
    }

    QString Path(const QString &name) const { return mDir.filePath(name); }

  private:
    QTemporaryDir mDir;
};
