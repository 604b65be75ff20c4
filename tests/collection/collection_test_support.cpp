// tests/collection/collection_test_support.cpp
#include "tests/collection/collection_test_support.h"

#include "imagelib/core/image.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

QString freshFolder(const std::string &name)
{
    const QString path = QString::fromStdString(scratchDir() + "/" + name + "/");
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void savePicture(const QString &path, int width, int height, unsigned seed)
{
    ZvImage picture = makeNoise(width, height, 24, seed);
    ASSERT_TRUE(picture.Save(path.toUtf8().constData(), ImageTypeFromName(path.toStdString())))
        << path.toStdString() << ": " << picture.GetLastError();
}

void setModified(const QString &path, qint64 seconds)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(seconds), QFileDevice::FileModificationTime));
}
