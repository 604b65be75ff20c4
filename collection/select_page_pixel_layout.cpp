// collection/select_page_pixel_layout.cpp
#include "collection/select_page_pixel_layout.h"

#include <QWidget>

namespace {

QRect rectOf(const SelectPageLayout &layout, SelectPagePixelLayout::Role role)
{
    using Role = SelectPagePixelLayout::Role;
    switch (role) {
    case Role::Acquire: return layout.acquire;
    case Role::View: return layout.view;
    case Role::FolderLabel: return layout.folderLabel;
    case Role::FolderEdit: return layout.folderEdit;
    // The browser sits 1 pixel inside its frame.
    case Role::Browser: return layout.browser.adjusted(1, 1, -1, -1);
    case Role::Status: return layout.status;
    case Role::Add: return layout.add;
    case Role::AddAll: return layout.addAll;
    case Role::Remove: return layout.remove;
    case Role::RemoveAll: return layout.removeAll;
    case Role::List: return layout.list;
    case Role::Count: return layout.count;
    }
    return QRect();
}

} // namespace

SelectPagePixelLayout::SelectPagePixelLayout(QWidget *page)
    : QLayout(page)
    , mPlaced(SelectPageLayout::Initial())
{
    setContentsMargins(0, 0, 0, 0);
}

SelectPagePixelLayout::~SelectPagePixelLayout()
{
    for (const Entry &entry : mEntries)
        delete entry.item;
}

void SelectPagePixelLayout::addWidget(QWidget *widget, Role role)
{
    addChildWidget(widget);
    mEntries.push_back({new QWidgetItem(widget), role});
    // Until the page's first resize its controls stand as first laid out.
    if (QWidget *control = mEntries.back().item->widget())
        control->setGeometry(rectOf(mPlaced, role));
    invalidate();
}

void SelectPagePixelLayout::addItem(QLayoutItem *item)
{
    mEntries.push_back({item, std::nullopt});
}

QLayoutItem *SelectPagePixelLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? mEntries[std::size_t(index)].item : nullptr;
}

QLayoutItem *SelectPagePixelLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem *item = mEntries[std::size_t(index)].item;
    mEntries.erase(mEntries.begin() + index);
    return item;
}

int SelectPagePixelLayout::count() const
{
    return int(mEntries.size());
}

QSize SelectPagePixelLayout::sizeHint() const
{
    return SelectPageLayout::InitialClient();
}

QSize SelectPagePixelLayout::minimumSize() const
{
    return SelectPageLayout::MinimumClient();
}

// Each size follows from the last placement, as the page's controls keep
// the sizes they have.
void SelectPagePixelLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    mPlaced = mPlaced.Resized(rect.size());
    place(rect.topLeft());
}

// The widgets get their rectangles directly: a widget item would leave a
// hidden control where it was and let the style's layout margins move the
// pixels the page's layout fixes.
void SelectPagePixelLayout::place(const QPoint &origin)
{
    for (const Entry &entry : mEntries) {
        if (!entry.role)
            continue;
        const QRect at = rectOf(mPlaced, *entry.role).translated(origin);
        if (QWidget *widget = entry.item->widget())
            widget->setGeometry(at);
        else
            entry.item->setGeometry(at);
    }
    // The sunken edge around the browser moves with it.
    if (QWidget *page = parentWidget())
        page->update();
}
