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
    : PixelLayout(page)
    , mPlaced(SelectPageLayout::Initial())
{
}

void SelectPagePixelLayout::addWidget(QWidget *widget, Role role)
{
    addRole(widget, int(role));
    // Until the page's first resize its controls stand as first laid out.
    widget->setGeometry(rectOf(mPlaced, role));
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
    placeAll(rect.topLeft());
    // The sunken edge around the browser moves with it.
    if (QWidget *page = parentWidget())
        page->update();
}

QRect SelectPagePixelLayout::rectFor(int role) const
{
    return rectOf(mPlaced, Role(role));
}
