// collection/selected_images_model.h
#pragma once

#include "collection/selected_image.h"
#include "export/export_row_source.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>

#include <vector>

// The pictures of the selected-image list, one SelectedImage per row, in
// the order they were added or dragged into. This is the batch: the list
// view shows it, the export and the viewer read it, the Batch Settings page
// turns its rows. A path is listed once (compared exactly: "a.jpg" and
// "A.jpg" are two files here). Rows are 0-based. UI thread only; no widget
// code.
class SelectedImagesModel : public QAbstractTableModel, public ExportRowSource
{
    Q_OBJECT

  public:
    // A row dragged within the list carries its index in this format, so
    // that a drop knows it came from the list and not from a file manager.
    static const char kRowFormat[];

    explicit SelectedImagesModel(QObject *parent = nullptr);
    ~SelectedImagesModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // Display: the column's text; alignment: the column's.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The column headings, horizontally.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Rows are selected and dragged, never edited.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    // The row of the first index, in kRowFormat.
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    int Count() const { return int(mRows.size()); }
    // row must be 0 .. Count() - 1.
    const SelectedImage &At(int row) const { return mRows[std::size_t(row)]; }
    QString Path(int row) const;
    // 0 for a row that does not exist.
    int Rotation(int row) const;
    QString Text(int row, int column) const;
    // The row listing path, or -1.
    int RowOf(const QString &path) const { return mRowOf.value(path, -1); }

    // Appends image unless its path is listed; the row either way.
    int Add(const SelectedImage &image);
    void Remove(int row);
    void Clear();
    // Moves row from to row to (both 0 .. Count() - 1), announced as a move
    // so that the view's selection goes with it. False when nothing moved.
    bool Move(int from, int to);
    // Sets the row's rotation; false for a row that does not exist or a
    // value other than 0, 90, -90 and 180.
    bool SetRotation(int row, int degrees);
    // Turns the row further by a multiple of 90 degrees (+90 right, -90 left).
    bool Turn(int row, int by);
    // Gives the row listing path its picture's facts, when it has none yet.
    void SetPictureSize(const QString &path, const PictureSize &size);

    std::vector<ExportRow> ExportRows() const override;

  private:
    void renumber(int first, int last);

    std::vector<SelectedImage> mRows;
    QHash<QString, int> mRowOf; // path -> row
};
