// app/main_pixel_layout.cpp
#include "app/main_pixel_layout.h"

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
    case MainPixelLayout::Role::Splitter: return splitterRect(layout);
    case MainPixelLayout::Role::Presets: return layout.presets;
    }
    return QRect();
}

} // namespace

MainPixelLayout::MainPixelLayout(QWidget *window, const MainLayout &start)
    : PixelLayout(window)
    , mStart(start)
    , mPlaced(start)
{
}

QSize MainPixelLayout::sizeHint() const
{
    return kMainInitialSize;
}

QSize MainPixelLayout::minimumSize() const
{
    return kMainMinimumSize;
}

void MainPixelLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    mPlaced = layoutMainWindow(rect.size(), mStart);
    placeAll(rect.topLeft());
}

QRect MainPixelLayout::rectFor(int role) const
{
    return rectOf(mPlaced, Role(role));
}
