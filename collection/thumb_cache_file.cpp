// collection/thumb_cache_file.cpp
#include "collection/thumb_cache_file.h"

#include "collection/cache_archive.h"
#include "collection/thumb_obj.h"
#include "platform/archive.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr std::size_t kTitleLength = sizeof(kCacheTitle) - 1;

ThumbObjList readObjects(ArchiveReader &in)
{
    const std::uint32_t count = ReadObjectCount(in);
    ThumbObjList objects;
    bool classKnown = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (ReadThumbClassTag(in, classKnown) == ObjectTag::Null)
            continue;
        auto object = std::make_unique<CThumbObj>();
        object->Serialize(in);
        objects.push_back(std::move(object));
    }
    return objects;
}

QString damagedText(const QString &folder, const char *reason)
{
    return QStringLiteral("The thumbnail cache %1 is damaged and will be rewritten: %2")
        .arg(ThumbCachePath(folder), QString::fromUtf8(reason));
}

} // namespace

QString ThumbCachePath(const QString &folder)
{
    return folder + QLatin1String(kCacheFileName);
}

std::vector<std::uint8_t> ThumbCacheBytes(const QString &folder,
                                          const std::vector<const CThumbObj *> &objects)
{
    ArchiveWriter out;
    WriteArchiveString(out, QByteArray(kCacheTitle));
    WriteArchiveString(out, folder.toUtf8());
    WriteObjectCount(out, std::uint32_t(objects.size()));
    bool first = true;
    for (const CThumbObj *object : objects) {
        WriteThumbClassTag(out, first);
        first = false;
        object->Serialize(out);
    }
    return out.bytes();
}

CacheReadResult ReadThumbCacheBytes(const std::uint8_t *data, std::size_t size, const QString &folder)
{
    CacheReadResult result;
    if (size <= kTitleLength)
        return result;
    ArchiveReader in(data, size);
    try {
        const QByteArray title = ReadArchiveString(in);
        if (title.compare(kCacheTitle, Qt::CaseInsensitive) != 0)
            return result;
        if (ReadArchiveString(in) != folder.toUtf8())
            return result;
        result.objects = readObjects(in);
        result.status = CacheRead::Read;
    } catch (const CacheOutdatedError &) {
        result.objects.clear();
        result.status = CacheRead::Ignored;
    } catch (const CacheFormatError &e) {
        result.objects.clear();
        result.status = CacheRead::Damaged;
        result.error = damagedText(folder, e.what());
    } catch (const ZvArchiveError &e) {
        result.objects.clear();
        result.status = CacheRead::Damaged;
        result.error = damagedText(folder, e.what());
    }
    return result;
}

CacheReadResult ReadThumbCacheFile(const QString &folder)
{
    QFile file(ThumbCachePath(folder));
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        CacheReadResult result;
        result.status = CacheRead::Damaged;
        result.error = QStringLiteral("The thumbnail cache %1 cannot be read: %2")
                           .arg(file.fileName(), file.errorString());
        return result;
    }
    const qint64 size = file.size();
    // Mapped rather than read: a large cache is walked once, in place.
    if (size > 0) {
        if (const uchar *bytes = file.map(0, size))
            return ReadThumbCacheBytes(bytes, std::size_t(size), folder);
    }
    const QByteArray bytes = file.readAll();
    return ReadThumbCacheBytes(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                               std::size_t(bytes.size()), folder);
}

bool WriteThumbCacheFile(const QString &folder, const std::vector<std::uint8_t> &bytes, QString &error)
{
    const QString path = ThumbCachePath(folder);
    // A read-only cache is still ours to replace.
    if (QFile::exists(path))
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size()) ||
        !file.commit()) {
        error = QStringLiteral("The thumbnail cache %1 cannot be written: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

void RemoveSmallThumbCache(const QString &folder)
{
    const QString path = ThumbCachePath(folder);
    QFile file(path);
    if (!file.exists() || file.size() > kCacheSmallSize)
        return;
    file.setPermissions(file.permissions() | QFile::WriteOwner);
    file.remove();
}
