// collection/file_entry.cpp
#include "collection/file_entry.h"

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>

FileEntry FileEntry::From(const QFileInfo &info)
{
    FileEntry entry;
    entry.path = info.filePath();
    entry.name = info.fileName();
    const qsizetype dot = entry.name.lastIndexOf(u'.');
    if (dot >= 0)
        entry.extension = entry.name.mid(dot);
    entry.size = std::uint64_t(info.size());
    entry.modified = info.lastModified();
    entry.typeName = FileTypeName(entry.name);
    return entry;
}

QString FileTypeName(const QString &fileName)
{
    // Looked up once per extension: a folder of thousands of pictures has few.
    thread_local QHash<QString, QString> sByExtension;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString key = dot < 0 ? QString() : fileName.mid(dot).toLower();
    const auto found = sByExtension.constFind(key);
    if (found != sByExtension.constEnd())
        return *found;
    const QMimeDatabase db;
    const QString name = db.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension).comment();
    sByExtension.insert(key, name);
    return name;
}
