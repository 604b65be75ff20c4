// app/main_pixel_layout.cpp
#include "app/main_pixel_layout.h"

#include <QWidget>

namespace {

QRect rectOf(const MainLayout &layout, MainPixelLayout::Role role)
{
    switch (role) {
    case MainPixelLayout::Role::FolderLabel: return layout.folderLabel;
    // The tree sits 1 pixel inside its placeholder's rectangle.
    case MainPixelLayout::Role::Tree: return layout.tree.adjusted(1, 1, -1, -1);
    case MainPixelLayout::Role::Tabs: return layout.tabs;
    case MainPixelLayout::Role::Export: return layout.exportButton;
    case MainPixelLayout::Role::Help: return layout.help;
    case MainPixelLayout::Role::About: return layout.about;
    case MainPixelLayout::Role::Quit: return layout.quit;
    }
    return QRect();
}

} // namespace

MainPixelLayout::MainPixelLayout(QWidget *window, const MainLayout &start)
    : QLayout(window)
    , mStart(start)
{
    setContentsMargins(0, 0, 0, 0);
}

MainPixelLayout::~MainPixelLayout()
{
    for (const Entry &entry : mEntries)
        delete entry.item;
}

void MainPixelLayout::addWidget(QWidget *widget, Role role)
{
    addChildWidget(widget);
    mEntries.push_back({new QWidgetItem(widget), role});
    invalidate();
}

void MainPixelLayout::addItem(QLayoutItem *item)
{
    mEntries.push_back({item, std::nullopt});
}

QLayoutItem *MainPixelLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? mEntries[std::size_t(index)].item : nullptr;
}

QLayoutItem *MainPixelLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem *item = mEntries[std::size_t(index)].item;
    mEntries.erase(mEntries.begin() + index);
    return item;
}

int MainPixelLayout::count() const
{
    return int(mEntries.size());
}

QSize MainPixelLayout::sizeHint() const
{
    return kMainInitialSize;
}

QSize MainPixelLayout::minimumSize() const
{
    return kMainMinimumSize;
}

// The widgets get their rectangles directly: a widget item would leave a
// hidden control where it was and let the style's layout margins move the
// pixels the window's layout fixes.
void MainPixelLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const MainLayout at = layoutMainWindow(rect.size(), mStart);
    for (const Entry &entry : mEntries) {
        if (!entry.role)
            continue;
        const QRect place = rectOf(at, *entry.role).translated(rect.topLeft());
        if (QWidget *widget = entry.item->widget())
            widget->setGeometry(place);
        else
            entry.item->setGeometry(place);
    }
}
