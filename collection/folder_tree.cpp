// collection/folder_tree.cpp
#include "collection/folder_tree.h"

#include "collection/folder_watcher.h"

#include <QDir>
#include <QDirIterator>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStorageInfo>

namespace {

// kListedRole: a folder read from its parent's listing (not Home, Computer
// or a volume), which a refresh may remove again.
enum Role { kPathRole = Qt::UserRole + 1, kComputerRole, kFilledRole, kListedRole };

constexpr int kWatcherDelayMs = 500;

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

// Refreshes the tree about half a second after a change in an opened
// folder, through a queued call from the watch thread; it never touches
// the tree itself.
class CFolderTree::Watcher : public CFolderWatcher
{
  public:
    explicit Watcher(CFolderTree *tree)
        : mTree(tree)
    {
    }
    ~Watcher() override { Stop(); }

  protected:
    void OnFolderChanged(std::uintptr_t, int, const QString &) override
    {
        if (waitForStop(kWatcherDelayMs))
            return;
        QMetaObject::invokeMethod(mTree, &CFolderTree::Refresh, Qt::QueuedConnection);
    }

  private:
    CFolderTree *mTree;
};

CFolderTree::CFolderTree(QWidget *parent)
    : QTreeWidget(parent)
    , mWatcher(std::make_unique<Watcher>(this))
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
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        fillChildren(item);
        watch(item, true);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem *item) { watch(item, false); });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onCurrentChanged(current); });
}

CFolderTree::~CFolderTree()
{
    mWatcher.reset();
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
    for (const QString &folder : std::as_const(mWatched))
        mWatcher->RemovePath(folder);
    mWatched.clear();
    mWatcher->Stop();
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
    watch(desktop, true);
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
        addFolder(item, folder.absoluteFilePath(), folder.fileName())->setData(0, kListedRole, true);
}

void CFolderTree::watch(QTreeWidgetItem *item, bool on)
{
    const QString path = PathOf(item);
    if (path.isEmpty())
        return;
    const QString folder = path.endsWith(u'/') ? path : path + u'/';
    if (on && !mWatched.contains(folder)) {
        mWatched.insert(folder);
        mWatcher->AddPath(folder);
        mWatcher->Start();
    } else if (!on && mWatched.remove(folder)) {
        mWatcher->RemovePath(folder);
    }
}

void CFolderTree::unwatchTree(QTreeWidgetItem *item)
{
    watch(item, false);
    for (int c = 0; c < item->childCount(); ++c)
        unwatchTree(item->child(c));
}

void CFolderTree::Refresh()
{
    QList<QTreeWidgetItem *> pending;
    for (int i = 0; i < topLevelItemCount(); ++i)
        pending << topLevelItem(i);
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeFirst();
        if (!item->data(0, kFilledRole).toBool())
            continue;
        refreshChildren(item);
        for (int c = 0; c < item->childCount(); ++c)
            pending << item->child(c);
    }
    // A removed folder may have ended the watch thread; it starts again on
    // the folders still opened.
    mWatcher->Stop();
    if (!mWatched.isEmpty())
        mWatcher->Start();
}

// Removes the listed children whose folders are gone and inserts the new
// ones in name order; the others stay as they are, opened or not.
void CFolderTree::refreshChildren(QTreeWidgetItem *item)
{
    const QString path = PathOf(item);
    if (path.isEmpty() || IsComputer(item))
        return;
    const QFileInfoList folders =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    QSet<QString> found;
    for (const QFileInfo &folder : folders)
        found.insert(folder.absoluteFilePath());
    QSet<QString> listed;
    for (int c = item->childCount() - 1; c >= 0; --c) {
        QTreeWidgetItem *child = item->child(c);
        if (!child->data(0, kListedRole).toBool())
            continue;
        if (found.contains(PathOf(child))) {
            listed.insert(PathOf(child));
            continue;
        }
        unwatchTree(child);
        delete item->takeChild(c);
    }
    for (const QFileInfo &folder : folders) {
        if (listed.contains(folder.absoluteFilePath()))
            continue;
        QTreeWidgetItem *child = addFolder(item, folder.absoluteFilePath(), folder.fileName());
        child->setData(0, kListedRole, true);
        // Before the first listed child whose name sorts after it.
        item->removeChild(child);
        int at = item->childCount();
        for (int c = 0; c < item->childCount(); ++c) {
            QTreeWidgetItem *other = item->child(c);
            if (other->data(0, kListedRole).toBool() &&
                other->text(0).compare(folder.fileName(), Qt::CaseInsensitive) > 0) {
                at = c;
                break;
            }
        }
        item->insertChild(at, child);
    }
}

void CFolderTree::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        Refresh();
        return;
    }
    QTreeWidget::keyPressEvent(event);
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
    // Folders opened on the way, with the tree's signals held, are watched too.
    for (QTreeWidgetItem *item = result; item; item = item->parent()) {
        if (item->isExpanded())
            watch(item, true);
    }
    emit folderSelected(PathOf(result));
    return found;
}
