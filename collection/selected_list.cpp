// collection/selected_list.cpp
#include "collection/selected_list.h"

#include "collection/selected_images_model.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QStringList localPathsOf(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

CSelectedList::CSelectedList(QWidget *parent)
    : QTableView(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    // A drop here is always taken as a copy: a move would make the view
    // remove the dragged row after the page has moved the row itself.
    setDefaultDropAction(Qt::CopyAction);
}

int CSelectedList::InsertionRowAt(const QPoint &pos) const
{
    const int row = rowAt(pos.y());
    if (row < 0)
        return pos.y() < 0 || !model() ? 0 : model()->rowCount();
    const QRect cell = visualRect(model()->index(row, 0));
    return pos.y() >= cell.center().y() ? row + 1 : row;
}

bool CSelectedList::accepts(const QMimeData *mime) const
{
    return mime && (mime->hasFormat(QString::fromLatin1(SelectedImagesModel::kRowFormat)) ||
                    !localPathsOf(mime).isEmpty());
}

bool CSelectedList::answerDrag(QDropEvent *event) const
{
    if (!accepts(event->mimeData())) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void CSelectedList::dragEnterEvent(QDragEnterEvent *event)
{
    answerDrag(event);
}

void CSelectedList::dragMoveEvent(QDragMoveEvent *event)
{
    answerDrag(event);
}

void CSelectedList::dropEvent(QDropEvent *event)
{
    if (!answerDrag(event))
        return;
    const QMimeData *mime = event->mimeData();
    if (mime->hasFormat(QString::fromLatin1(SelectedImagesModel::kRowFormat))) {
        bool ok = false;
        const int from = mime->data(QString::fromLatin1(SelectedImagesModel::kRowFormat)).toInt(&ok);
        if (ok)
            emit rowDragged(from, InsertionRowAt(event->position().toPoint()));
        return;
    }
    emit pathsDropped(localPathsOf(mime));
}
