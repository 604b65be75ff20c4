// controls/pixel_layout.cpp
#include "controls/pixel_layout.h"

#include <QWidget>

PixelLayout::PixelLayout(QWidget *window)
    : QLayout(window)
{
    setContentsMargins(0, 0, 0, 0);
}

PixelLayout::~PixelLayout()
{
    for (const Entry &entry : mEntries)
        delete entry.item;
}

void PixelLayout::addRole(QWidget *widget, int role)
{
    addChildWidget(widget);
    mEntries.push_back({new QWidgetItem(widget), role});
    invalidate();
}

void PixelLayout::addItem(QLayoutItem *item)
{
    mEntries.push_back({item, kNoRole});
}

QLayoutItem *PixelLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? mEntries[std::size_t(index)].item : nullptr;
}

QLayoutItem *PixelLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem *item = mEntries[std::size_t(index)].item;
    mEntries.erase(mEntries.begin() + index);
    return item;
}

int PixelLayout::count() const
{
    return int(mEntries.size());
}

// The widgets get their rectangles directly: a widget item would leave a
// hidden control where it was and let the style's layout margins move the
// pixels the window's layout fixes.
void PixelLayout::placeAll(const QPoint &origin)
{
    for (const Entry &entry : mEntries) {
        if (entry.role == kNoRole)
            continue;
        const QRect at = rectFor(entry.role).translated(origin);
        if (QWidget *widget = entry.item->widget())
            widget->setGeometry(at);
        else
            entry.item->setGeometry(at);
    }
}
