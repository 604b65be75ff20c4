// platform/volumes.cpp
#include "platform/volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <sys/statvfs.h>

namespace {

// Mountinfo escapes blank, tab, newline and backslash as three octal digits.
QString unescapeOctal(const std::string &field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 3]))) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QString::fromStdString(out);
}

// udev writes unsafe bytes of a label link's name as \xHH.
QString unescapeHex(const QString &name)
{
    QByteArray in = name.toUtf8();
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        bool ok = false;
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

bool parseLine(const std::string &line, MountEntry &entry)
{
    std::istringstream in(line);
    std::string id, parent, majMin, root, mountPoint, field;
    if (!(in >> id >> parent >> majMin >> root >> mountPoint))
        return false;
    while (in >> field && field != "-") {
    }
    std::string fsType, source;
    if (field != "-" || !(in >> fsType >> source))
        return false;
    const auto colon = majMin.find(':');
    if (colon == std::string::npos)
        return false;
    try {
        entry.major = unsigned(std::stoul(majMin.substr(0, colon)));
        entry.minor = unsigned(std::stoul(majMin.substr(colon + 1)));
    } catch (const std::exception &) {
        return false;
    }
    entry.root = unescapeOctal(root);
    entry.mountPoint = unescapeOctal(mountPoint);
    entry.fsType = QString::fromStdString(fsType);
    entry.source = unescapeOctal(source);
    return true;
}

QString readFirstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<MountEntry> entries;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        MountEntry entry;
        if (parseLine(line, entry))
            entries.push_back(std::move(entry));
    }
    return entries;
}

VolumeTable::VolumeTable(VolumeRoots roots)
    : mRoots(std::move(roots))
{
}

std::vector<RemovableVolume> VolumeTable::RemovableVolumes() const
{
    std::ifstream file((mRoots.proc + "/self/mountinfo").toStdString());
    std::stringstream text;
    text << file.rdbuf();
    std::vector<RemovableVolume> volumes;
    std::set<QString> seen; // a device mounted twice is offered once
    for (const MountEntry &entry : ParseMountInfo(text.str())) {
        if (entry.major == 0 || entry.root != QLatin1String("/"))
            continue;
        const QString link =
            QStringLiteral("%1/dev/block/%2:%3").arg(mRoots.sys).arg(entry.major).arg(entry.minor);
        const QString node = QFileInfo(link).canonicalFilePath();
        if (node.isEmpty() || !isRemovableUsb(node))
            continue;
        const QString device = QFileInfo(node).fileName();
        if (!seen.insert(device).second)
            continue;
        volumes.push_back({entry.mountPoint, device, labelOf(device)});
    }
    return volumes;
}

// A partition's flag sits on its disk, the folder above it.
bool VolumeTable::isRemovableUsb(const QString &node) const
{
    const bool partition = QFileInfo::exists(node + "/partition");
    const QString disk = partition ? QFileInfo(node).path() : node;
    if (readFirstLine(disk + "/removable") != QLatin1String("1"))
        return false;
    const QStringList parts = node.split('/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part.startsWith(QLatin1String("usb")))
            return true;
    }
    return false;
}

QString VolumeTable::labelOf(const QString &device) const
{
    QDir labels(mRoots.dev + "/disk/by-label");
    const QFileInfoList links = labels.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links) {
        if (QFileInfo(link.symLinkTarget()).fileName() == device)
            return unescapeHex(link.fileName());
    }
    return {};
}

bool VolumeFreeSpace(const QString &path, std::uint64_t &freeBytes)
{
    struct statvfs facts
    {
    };
    if (::statvfs(QFile::encodeName(path).constData(), &facts) != 0)
        return false;
    freeBytes = std::uint64_t(facts.f_bavail) * facts.f_frsize;
    return true;
}
