// collection/thumb_list_model.cpp
#include "collection/thumb_list_model.h"

#include "collection/file_facts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int kShortNameLength = 8;

QString tooltipOf(const ThumbItem &item)
{
    const ZvImage *picture = item.thumb->Picture();
    TooltipFacts facts;
    facts.path = item.entry.path;
    facts.size = item.entry.size;
    facts.typeName = item.entry.typeName;
    facts.modified = item.entry.modified;
    if (picture) {
        facts.width = picture->GetOrignWidth();
        facts.height = picture->GetOrignHeight();
        facts.bpp = picture->GetOrignBpp();
    }
    facts.resolution = item.thumb->Resolution();
    return ThumbTooltipText(facts);
}

} // namespace

ThumbListModel::ThumbListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

ThumbListModel::~ThumbListModel() = default;

int ThumbListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant ThumbListModel::data(const QModelIndex &index, int role) const
{
    const ThumbItem *item = Item(index.row());
    if (!item || index.column() != 0)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return item->entry.name.left(kShortNameLength);
    case Qt::ToolTipRole: return item->HasThumb() ? QVariant(tooltipOf(*item)) : QVariant();
    case PathRole: return item->entry.path;
    default: return QVariant();
    }
}

ThumbItem *ThumbListModel::Item(int row) const
{
    return row >= 0 && row < Count() ? mItems[std::size_t(row)].get() : nullptr;
}

QString ThumbListModel::PathAt(int row) const
{
    const ThumbItem *item = Item(row);
    return item ? item->entry.path : QString();
}

int ThumbListModel::RowOf(const QString &path) const
{
    for (int row = 0; row < Count(); ++row) {
        if (mItems[std::size_t(row)]->entry.path == path)
            return row;
    }
    return -1;
}

void ThumbListModel::Clear()
{
    beginResetModel();
    mItems.clear();
    endResetModel();
    mPass = Pass();
}

void ThumbListModel::removeRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    mItems.erase(mItems.begin() + row);
    endRemoveRows();
}

bool ThumbListModel::PassesFilter(const QString &name, const QString &filter)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QStringView extension = dot < 0 ? QStringView() : QStringView(name).mid(dot + 1);
    for (const QStringView token : QStringView(filter).split(u';')) {
        if (token == u"*" || (!extension.isEmpty() && token.compare(extension, Qt::CaseInsensitive) == 0))
            return true;
    }
    return false;
}

// Step through the items present before the scan: a file rewritten since
// its thumbnail was made marks the pass as changed.
void ThumbListModel::checkKnownItems(bool keepOnRefresh, QHash<QString, ThumbItem *> &known)
{
    for (int row = 0; row < Count();) {
        ThumbItem &item = *mItems[std::size_t(row)];
        if (item.thumb && CThumbObj::FileModified(item.entry.path) != item.thumb->Modified()) {
            mPass.changed = true;
            if (!keepOnRefresh) {
                removeRow(row);
                continue;
            }
            item.thumb->SetAttached(0);
            item.thumb->SetMade(0);
            const QString path = item.entry.path;
            item.entry = FileEntry::From(QFileInfo(path));
            item.entry.path = path;
        }
        known.insert(item.entry.path, &item);
        ++row;
    }
}

int ThumbListModel::Scan(const QString &folder, const QString &filter, bool keepOnRefresh)
{
    mPass.changed = false;
    mPass.newPaths.clear();
    QHash<QString, ThumbItem *> known;
    checkKnownItems(keepOnRefresh, known);

    std::vector<std::unique_ptr<ThumbItem>> added;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Unsorted);
    for (const QFileInfo &info : files) {
        if (!PassesFilter(info.fileName(), filter))
            continue;
        const QString path = folder + info.fileName();
        if (known.remove(path))
            continue;
        auto item = std::make_unique<ThumbItem>();
        item->entry = FileEntry::From(info);
        item->entry.path = path;
        mPass.newPaths.insert(path);
        added.push_back(std::move(item));
    }
    if (!added.empty()) {
        mPass.changed = true;
        beginInsertRows(QModelIndex(), 0, int(added.size()) - 1);
        mItems.insert(mItems.begin(), std::make_move_iterator(added.begin()),
                      std::make_move_iterator(added.end()));
        endInsertRows();
    }
    for (ThumbItem *gone : std::as_const(known)) {
        gone->vanished = true;
        mPass.changed = true;
    }
    if (keepOnRefresh)
        Sort();
    return int(added.size());
}

void ThumbListModel::Sort()
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<const ThumbItem *> itemsBefore;
    for (const QModelIndex &index : before)
        itemsBefore.push_back(Item(index.row()));
    std::stable_sort(mItems.begin(), mItems.end(), [](const auto &a, const auto &b) {
        return a->entry.name.compare(b->entry.name, Qt::CaseInsensitive) < 0;
    });
    QHash<const ThumbItem *, int> rows;
    for (int row = 0; row < Count(); ++row)
        rows.insert(mItems[std::size_t(row)].get(), row);
    QModelIndexList after;
    for (const ThumbItem *item : itemsBefore)
        after.append(item ? index(rows.value(item)) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

std::optional<int> ThumbListModel::NextJob(int firstVisible)
{
    firstVisible = std::clamp(firstVisible, 0, std::max(0, Count() - 1));
    for (int row = firstVisible; row < Count();) {
        if (mItems[std::size_t(row)]->vanished) {
            removeRow(row);
            continue;
        }
        if (mItems[std::size_t(row)]->Pending())
            return row;
        ++row;
    }
    for (int row = std::min(firstVisible, Count()) - 1; row >= 0; --row) {
        if (mItems[std::size_t(row)]->vanished) {
            removeRow(row);
            continue;
        }
        if (mItems[std::size_t(row)]->Pending())
            return row;
    }
    return std::nullopt;
}

int ThumbListModel::findRow(int index, const QString &path) const
{
    const ThumbItem *item = Item(index);
    if (item && item->entry.path == path)
        return index;
    return RowOf(path);
}

ThumbListModel::Delivery ThumbListModel::Deliver(int index, const QString &path,
                                                 std::unique_ptr<CThumbObj> thumb, int *rowOut)
{
    const int row = findRow(index, path);
    if (rowOut)
        *rowOut = row;
    if (row < 0 || mItems[std::size_t(row)]->vanished)
        return Delivery::Dropped;
    if (!thumb || !thumb->Picture()) {
        mPass.newPaths.remove(path);
        removeRow(row);
        return Delivery::Removed;
    }
    thumb->SetAttached(1);
    ++mPass.done;
    mItems[std::size_t(row)]->thumb = std::move(thumb);
    const QModelIndex changed = this->index(row);
    emit dataChanged(changed, changed);
    return Delivery::Attached;
}

std::vector<const CThumbObj *> ThumbListModel::AttachedThumbs() const
{
    std::vector<const CThumbObj *> thumbs;
    for (const auto &item : mItems) {
        if (item->HasThumb())
            thumbs.push_back(item->thumb.get());
    }
    return thumbs;
}

Qt::ItemFlags ThumbListModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

QStringList ThumbListModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *ThumbListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && index.row() < Count())
            urls << QUrl::fromLocalFile(PathAt(index.row()));
    }
    if (urls.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}
