// acquire/numbered_name.cpp
#include "acquire/numbered_name.h"

#include "platform/volume_files.h"

#include <QFile>

#include <set>

QString NextFreeNumberedName(const QString &folder, const QString &prefix, const QString &extension,
                             bool &listed)
{
    std::vector<VolumeEntry> entries;
    std::string error;
    listed = ListVolumeFolder(QFile::encodeName(folder).toStdString(), entries, error);
    if (!listed)
        return {};
    std::set<QString> taken;
    // A folder under the name would make the save fail just as a file would.
    for (const VolumeEntry &entry : entries)
        taken.insert(QFile::decodeName(entry.name.c_str()).toLower());
    for (int n = 0; n <= 9999; ++n) {
        const QString name = prefix + QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')) + extension;
        if (!taken.count(name.toLower()))
            return name;
    }
    return {};
}
