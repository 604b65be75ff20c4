// collection/thumb_cell_delegate.cpp
#include "collection/thumb_cell_delegate.h"

#include "collection/thumb_cell_painter.h"
#include "collection/thumb_geometry.h"
#include "collection/thumb_list_model.h"

#include <QPainter>
#include <QWidget>

ThumbCellDelegate::ThumbCellDelegate(ThumbListModel *model, IconLookup icons, QObject *parent)
    : QStyledItemDelegate(parent)
    , mModel(model)
    , mIcons(std::move(icons))
{
}

void ThumbCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    ThumbItem *item = mModel->Item(index.row());
    if (!mThumbnailMode || !item) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const int textHeight = option.fontMetrics.height();
    const ThumbCellRects rects = ThumbCellLayout(option.rect, textHeight);
    ThumbCellLook look;
    look.icon = rects.icon;
    look.label = rects.label;
    look.name = item->entry.name;
    look.extension = item->entry.extension;
    look.selected = option.state & QStyle::State_Selected;
    look.focused = option.state & QStyle::State_HasFocus;
    look.listHasFocus = option.widget && option.widget->hasFocus();
    look.menuColour = option.palette.color(QPalette::Base);
    painter->save();
    painter->setFont(option.font);
    if (item->HasThumb())
        PaintThumbCell(*painter, *item->thumb, look);
    else
        PaintPendingCell(*painter, mIcons(item->entry.path), look);
    painter->restore();
}

QSize ThumbCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!mThumbnailMode || mGridSize.isEmpty())
        return QStyledItemDelegate::sizeHint(option, index);
    return mGridSize;
}
