// collection/folder_tree.cpp
#include "collection/folder_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QFileIconProvider>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStorageInfo>

namespace {

enum Role { kPathRole = Qt::UserRole + 1, kComputerRole, kFilledRole };

bool hasSubfolders(const QString &path)
{
    QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot);
    return it.hasNext();
}

QString trimmed(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// Whether a mount is something a user keeps pictures on, not the system's own.
bool isUserVolume(const QStorageInfo &volume)
{
    static const QStringList kSystemTypes = {
        "proc",   "sysfs",    "tmpfs",   "devtmpfs",    "devpts", "cgroup",    "cgroup2",    "securityfs",
        "pstore", "bpf",      "debugfs", "tracefs",     "mqueue", "hugetlbfs", "configfs",   "fusectl",
        "autofs", "squashfs", "nsfs",    "binfmt_misc", "ramfs",  "efivarfs",  "rpc_pipefs", "overlay"};
    static const QStringList kSystemPlaces = {"/proc", "/sys", "/dev", "/run", "/snap", "/boot", "/var/lib"};
    const QString root = volume.rootPath();
    if (!volume.isValid() || !volume.isReady() || root == u"/" ||
        kSystemTypes.contains(QString::fromUtf8(volume.fileSystemType())))
        return false;
    if (root.startsWith(QLatin1String("/run/media/")))
        return true;
    for (const QString &place : kSystemPlaces) {
        if (root == place || root.startsWith(place + u'/'))
            return false;
    }
    return true;
}

} // namespace

CFolderTree::CFolderTree(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString home = QDir::homePath();
    mDesktop = QFileInfo(desktop).isDir() ? desktop : home;
    mHome = home;
    mVolumes = MountedVolumes();
    connect(this, &QTreeWidget::itemExpanded, this, &CFolderTree::fillChildren);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onCurrentChanged(current); });
}

void CFolderTree::SetRoots(const QString &desktop, const QString &home, const QStringList &volumes)
{
    mDesktop = trimmed(desktop);
    mHome = trimmed(home);
    mVolumes = volumes;
}

QStringList CFolderTree::MountedVolumes()
{
    QStringList volumes{QStringLiteral("/")};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (isUserVolume(volume) && !volumes.contains(volume.rootPath()))
            volumes.append(volume.rootPath());
    }
    return volumes;
}

QString CFolderTree::PathOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kPathRole).toString() : QString();
}

bool CFolderTree::IsComputer(const QTreeWidgetItem *item)
{
    return item && item->data(0, kComputerRole).toBool();
}

QTreeWidgetItem *CFolderTree::addFolder(QTreeWidgetItem *parent, const QString &path, const QString &text)
{
    auto *item = new QTreeWidgetItem(parent, QStringList(text));
    item->setData(0, kPathRole, path);
    item->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Folder));
    item->setChildIndicatorPolicy(hasSubfolders(path) ? QTreeWidgetItem::ShowIndicator
                                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return item;
}

void CFolderTree::Populate()
{
    QSignalBlocker blocker(this);
    clear();
    auto *desktop = new QTreeWidgetItem(this, QStringList(QStringLiteral("Desktop")));
    desktop->setData(0, kPathRole, mDesktop);
    desktop->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Desktop));
    addFolder(desktop, mHome, QStringLiteral("Home"));
    auto *computer = new QTreeWidgetItem(desktop, QStringList(QStringLiteral("Computer")));
    computer->setData(0, kComputerRole, true);
    computer->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Computer));
    fillComputer(computer);
    fillChildren(desktop);
    desktop->setExpanded(true);
    setCurrentItem(desktop);
    blocker.unblock();
    emit folderSelected(mDesktop);
}

void CFolderTree::fillComputer(QTreeWidgetItem *computer)
{
    qDeleteAll(computer->takeChildren());
    for (const QString &volume : std::as_const(mVolumes)) {
        QTreeWidgetItem *item = addFolder(computer, volume, volume);
        item->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Drive));
    }
    computer->setData(0, kFilledRole, true);
}

void CFolderTree::RefreshVolumes(const QStringList &volumes)
{
    mVolumes = volumes;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *desktop = topLevelItem(i);
        for (int c = 0; c < desktop->childCount(); ++c) {
            if (IsComputer(desktop->child(c)))
                fillComputer(desktop->child(c));
        }
    }
}

// Reads a folder's subfolders once, sorted by name ignoring case.
void CFolderTree::fillChildren(QTreeWidgetItem *item)
{
    if (!item || item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    const QString path = PathOf(item);
    if (path.isEmpty())
        return;
    const QFileInfoList folders =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &folder : folders)
        addFolder(item, folder.absoluteFilePath(), folder.fileName());
}

bool CFolderTree::SelectedFolderPath(QString &path) const
{
    path = PathOf(currentItem());
    return !path.isEmpty();
}

void CFolderTree::onCurrentChanged(QTreeWidgetItem *current)
{
    if (!current)
        return;
    fillChildren(current);
    emit folderSelected(PathOf(current));
}

QTreeWidgetItem *CFolderTree::walk(const QString &target, bool &found)
{
    found = false;
    QTreeWidgetItem *node = topLevelItem(0);
    QTreeWidgetItem *deepest = node;
    while (node) {
        fillChildren(node);
        QTreeWidgetItem *next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            QTreeWidgetItem *child = node->child(i);
            if (IsComputer(child)) {
                next = child;
                break;
            }
            const QString path = trimmed(PathOf(child));
            if (path == target) {
                found = true;
                return child;
            }
            const QString prefix = path == u"/" ? path : path + u'/';
            if (target.startsWith(prefix))
                next = child;
        }
        node = next;
        if (node) {
            node->setExpanded(true);
            if (!IsComputer(node))
                deepest = node;
        }
    }
    return deepest;
}

bool CFolderTree::SelectPath(const QString &folder)
{
    const QString target = trimmed(folder);
    bool found = false;
    QTreeWidgetItem *result = nullptr;
    {
        const QSignalBlocker blocker(this);
        Populate();
        if (!topLevelItem(0) || topLevelItem(0)->childCount() == 0)
            return false;
        result = walk(target, found);
        result->setExpanded(true);
        setCurrentItem(result);
        fillChildren(result);
        scrollToItem(result);
    }
    emit folderSelected(PathOf(result));
    return found;
}
