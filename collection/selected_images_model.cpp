// collection/selected_images_model.cpp
#include "collection/selected_images_model.h"

#include <QMimeData>

#include <algorithm>

const char SelectedImagesModel::kRowFormat[] = "application/x-zelventa-selected-row";

SelectedImagesModel::SelectedImagesModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

SelectedImagesModel::~SelectedImagesModel() = default;

int SelectedImagesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

int SelectedImagesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : SelectedImage::ColumnCount;
}

QVariant SelectedImagesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignVCenter |
                   (kSelectedColumns[index.column()].alignRight ? Qt::AlignRight : Qt::AlignLeft));
    return QVariant();
}

QVariant SelectedImagesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= SelectedImage::ColumnCount)
        return QVariant();
    return QString::fromUtf8(kSelectedColumns[section].heading);
}

Qt::ItemFlags SelectedImagesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList SelectedImagesModel::mimeTypes() const
{
    return {QString::fromLatin1(kRowFormat), QStringLiteral("text/uri-list")};
}

QMimeData *SelectedImagesModel::mimeData(const QModelIndexList &indexes) const
{
    if (indexes.isEmpty() || !indexes.first().isValid())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(kRowFormat), QByteArray::number(indexes.first().row()));
    return mime;
}

QString SelectedImagesModel::Path(int row) const
{
    return row >= 0 && row < Count() ? At(row).path : QString();
}

int SelectedImagesModel::Rotation(int row) const
{
    return row >= 0 && row < Count() ? At(row).rotation : 0;
}

QString SelectedImagesModel::Text(int row, int column) const
{
    if (row < 0 || row >= Count() || column < 0 || column >= SelectedImage::ColumnCount)
        return QString();
    return At(row).Text(SelectedImage::Column(column));
}

int SelectedImagesModel::Add(const SelectedImage &image)
{
    const int listed = RowOf(image.path);
    if (listed >= 0)
        return listed;
    const int row = Count();
    beginInsertRows(QModelIndex(), row, row);
    mRows.push_back(image);
    mRowOf.insert(image.path, row);
    endInsertRows();
    return row;
}

void SelectedImagesModel::Remove(int row)
{
    if (row < 0 || row >= Count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    mRowOf.remove(At(row).path);
    mRows.erase(mRows.begin() + row);
    renumber(row, Count() - 1);
    endRemoveRows();
}

void SelectedImagesModel::Clear()
{
    if (mRows.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, Count() - 1);
    mRows.clear();
    mRowOf.clear();
    endRemoveRows();
}

bool SelectedImagesModel::Move(int from, int to)
{
    const int count = Count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return false;
    // Qt counts the destination among the rows before the move.
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return false;
    const auto at = mRows.begin();
    if (from < to)
        std::rotate(at + from, at + from + 1, at + to + 1);
    else
        std::rotate(at + to, at + from, at + from + 1);
    renumber(std::min(from, to), std::max(from, to));
    endMoveRows();
    return true;
}

bool SelectedImagesModel::SetRotation(int row, int degrees)
{
    if (row < 0 || row >= Count() || !IsRowRotation(degrees))
        return false;
    if (mRows[std::size_t(row)].rotation != degrees) {
        mRows[std::size_t(row)].rotation = degrees;
        const QModelIndex cell = index(row, SelectedImage::Rotated);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
    return true;
}

bool SelectedImagesModel::Turn(int row, int by)
{
    return by % 90 == 0 && SetRotation(row, TurnedBy(Rotation(row), by));
}

void SelectedImagesModel::SetPictureSize(const QString &path, const PictureSize &size)
{
    const int row = RowOf(path);
    if (row < 0 || mRows[std::size_t(row)].picture)
        return;
    mRows[std::size_t(row)].picture = size;
    const QModelIndex cell = index(row, SelectedImage::Properties);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

std::vector<ExportRow> SelectedImagesModel::ExportRows() const
{
    std::vector<ExportRow> rows;
    rows.reserve(mRows.size());
    for (const SelectedImage &image : mRows)
        rows.push_back(ExportRow{image.name.toStdString(), image.path.toStdString(), image.rotation});
    return rows;
}

// The rows first .. last (inclusive) changed places: their paths point at them again.
void SelectedImagesModel::renumber(int first, int last)
{
    for (int row = first; row <= last; ++row)
        mRowOf[At(row).path] = row;
}
