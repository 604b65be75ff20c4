// collection/file_entry.h
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

class QFileInfo;

// The facts of one listed file, taken when the folder is scanned.
struct FileEntry
{
    QString path;      // full path
    QString name;      // name and extension
    QString extension; // with its dot, as in ".jpg"; empty without one
    std::uint64_t size = 0;
    QDateTime modified; // local time
    QString typeName;   // the MIME type's description, as a file manager shows it

    static FileEntry From(const QFileInfo &info);
};

// The description of a file's type by its extension ("JPEG image").
QString FileTypeName(const QString &fileName);
