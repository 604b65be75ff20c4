// collection/thumb_cell_delegate.h
#pragma once

#include <QStyledItemDelegate>

#include <functional>

class ThumbListModel;

// Paints the browser's cells: the file's icon until the thumbnail comes,
// then the thumbnail with its label, frame and shadow. Outside thumbnail
// mode the default drawing is used.
class ThumbCellDelegate : public QStyledItemDelegate
{
  public:
    using IconLookup = std::function<QIcon(const QString &path)>;

    ThumbCellDelegate(ThumbListModel *model, IconLookup icons, QObject *parent);

    void SetThumbnailMode(bool on) { mThumbnailMode = on; }
    void SetGridSize(const QSize &size) { mGridSize = size; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

  private:
    ThumbListModel *mModel;
    IconLookup mIcons;
    bool mThumbnailMode = false;
    QSize mGridSize;
};
