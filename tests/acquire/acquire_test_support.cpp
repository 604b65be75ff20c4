// tests/acquire/acquire_test_support.cpp
#include "tests/acquire/acquire_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>

TempTree::TempTree()
{
    QTemporaryDir dir(QDir::tempPath() + "/zv-acquire-XXXXXX");
    dir.setAutoRemove(false);
    mPath = dir.path();
}

TempTree::~TempTree()
{
    QDir(mPath).removeRecursively();
}

QString TempTree::folder(const QString &relative) const
{
    const QString path = mPath + '/' + relative;
    QDir().mkpath(path);
    return path;
}

QString TempTree::file(const QString &relative, const std::string &content, long long mtime) const
{
    const QString path = mPath + '/' + relative;
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << content;
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
    return path;
}

std::string readAll(const QString &path)
{
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

QStringList entriesOf(const QString &folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}
