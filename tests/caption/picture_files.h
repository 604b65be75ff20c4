// tests/caption/picture_files.h
#pragma once

#include "imagelib/core/image.h"
#include "tests/support/pictures.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
