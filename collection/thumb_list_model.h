// collection/thumb_list_model.h
#pragma once

#include "collection/thumb_item.h"

#include <QAbstractListModel>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// The items of the browser in their order, and the rules of a pass over
// them: the scan of the folder, the search for the next job and the
// delivery of a thumbnail. UI thread only; no widget code.
class ThumbListModel : public QAbstractListModel
{
    Q_OBJECT

  public:
    enum Role { PathRole = Qt::UserRole + 1 };

    explicit ThumbListModel(QObject *parent = nullptr);
    ~ThumbListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Display: the first 8 characters of the name; tool tip: the file's
    // facts once its thumbnail is there.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Items drag out as their files' URLs, as a file manager's would.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    int Count() const { return int(mItems.size()); }
    ThumbItem *Item(int row) const;
    QString PathAt(int row) const;
    int RowOf(const QString &path) const;
    void Clear();

    // What the running pass did.
    struct Pass
    {
        bool changed = false;
        QSet<QString> newPaths;
        int done = 0; // thumbnails delivered
    };
    Pass &PassState() { return mPass; }

    // Lists folder (ending with "/") against the ";"-separated extension
    // filter. Known items stay; new files are inserted first in directory
    // order. A changed file's item is kept with its thumbnail to be made
    // again (keepOnRefresh) or dropped and added anew. Items whose files
    // are gone are marked and removed by NextJob. Sorts when keepOnRefresh.
    // Returns the number of items inserted.
    int Scan(const QString &folder, const QString &filter, bool keepOnRefresh);
    // Sorts by file name, ignoring case.
    void Sort();
    // The next item without a thumbnail: from firstVisible to the end, then
    // back from firstVisible - 1 to 0. Removes the vanished items it meets.
    std::optional<int> NextJob(int firstVisible);

    enum class Delivery { Attached, Removed, Dropped };
    // Gives a made thumbnail to the item it was made for (index, or the
    // item with its path when the list changed since). A result without a
    // picture removes the item: its file cannot be shown. A result for a
    // path no longer listed is dropped.
    Delivery Deliver(int index, const QString &path, std::unique_ptr<CThumbObj> thumb, int *row = nullptr);

    // The attached thumbnails, in item order (the items keep them).
    std::vector<const CThumbObj *> AttachedThumbs() const;

    static bool PassesFilter(const QString &name, const QString &filter);

  private:
    void removeRow(int row);
    int findRow(int index, const QString &path) const;
    void checkKnownItems(bool keepOnRefresh, QHash<QString, ThumbItem *> &known);

    std::vector<std::unique_ptr<ThumbItem>> mItems;
    Pass mPass;
};
