// collection/selected_list.cpp
#include "collection/selected_list.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

const char CSelectedList::kRowFormat[] = "application/x-zelventa-selected-row";

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

CSelectedList::CSelectedList(int columns, QWidget *parent)
    : QTableWidget(0, columns, parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    // A drop here is always taken as a copy: a move would make the view
    // clear the dragged row's cells after the page has moved the row itself.
    setDefaultDropAction(Qt::CopyAction);
}

int CSelectedList::InsertionRowAt(const QPoint &pos) const
{
    const int row = rowAt(pos.y());
    if (row < 0)
        return pos.y() < 0 ? 0 : rowCount();
    const QRect cell = visualRect(model()->index(row, 0));
    return pos.y() >= cell.center().y() ? row + 1 : row;
}

QStringList CSelectedList::mimeTypes() const
{
    return {QString::fromLatin1(kRowFormat), QStringLiteral("text/uri-list")};
}

QMimeData *CSelectedList::mimeData(const QList<QTableWidgetItem *> &items) const
{
    if (items.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(kRowFormat), QByteArray::number(items.first()->row()));
    return mime;
}

bool CSelectedList::accepts(const QMimeData *mime) const
{
    return mime && (mime->hasFormat(QString::fromLatin1(kRowFormat)) || !localPathsOf(mime).isEmpty());
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
    if (mime->hasFormat(QString::fromLatin1(kRowFormat))) {
        bool ok = false;
        const int from = mime->data(QString::fromLatin1(kRowFormat)).toInt(&ok);
        if (ok)
            emit rowDragged(from, InsertionRowAt(event->position().toPoint()));
        return;
    }
    emit pathsDropped(localPathsOf(mime));
}
