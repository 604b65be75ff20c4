// collection/selected_list.h
#pragma once

#include <QStringList>
#include <QTableView>

// The selected-image list's control: a report view over the selected
// images' model whose rows the user can drag to another place, and onto
// which pictures and folders are dropped from a file manager or from the
// browser (as file URLs). It only reports what was dropped where; the page
// decides what rows that makes. A dragged row's data comes from the model
// (SelectedImagesModel::kRowFormat). UI thread only.
class CSelectedList : public QTableView
{
    Q_OBJECT

  public:
    explicit CSelectedList(QWidget *parent = nullptr);

    // The row a drag that ends at pos (viewport coordinates) goes before:
    // 0 .. row count; the lower half of a row counts as "after it".
    int InsertionRowAt(const QPoint &pos) const;

  signals:
    // Move row from so that it ends up before the row now at insertion
    // (0 .. row count).
    void rowDragged(int from, int insertion);
    // Local files (pictures or folders) dropped on the list, in their order.
    void pathsDropped(const QStringList &paths);

  protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    bool accepts(const QMimeData *mime) const;
    // Accepts a drag of rows or local files as a copy; false (ignored) for anything else.
    bool answerDrag(QDropEvent *event) const;
};

// The local file paths of a drop, in their order; URLs of other schemes are left out.
QStringList localPathsOf(const QMimeData *mime);
