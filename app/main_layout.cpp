// app/main_layout.cpp
#include "app/main_layout.h"

namespace {

QRect atBottom(QSize client, QSize size, int left)
{
    return QRect(QPoint(left, client.height() - size.height() - kButtonBottomMargin), size);
}

} // namespace

MainLayout layoutMainWindow(QSize client, const MainLayout &start)
{
    MainLayout out = start;
    out.tabs.setSize(QSize(client.width() - start.tabs.left() - kMainRightMargin,
                           client.height() - start.tabs.top() - kMainBottomMargin));
    out.tree.setHeight(client.height() - start.tree.top() - kMainBottomMargin);
    out.quit = atBottom(client, start.quit.size(), client.width() - start.quit.width() - kMainRightMargin);
    out.about = atBottom(client, start.about.size(), out.quit.left() - start.about.width() - kButtonGap);
    out.help = atBottom(client, start.help.size(), out.about.left() - start.help.width() - kButtonGap);
    out.exportButton = atBottom(client, start.exportButton.size(),
                                out.help.left() - start.exportButton.width() - kButtonGap);
    out.presets =
        atBottom(client, start.presets.size(), out.exportButton.left() - start.presets.width() - kButtonGap);
    return out;
}

QRect splitterRect(const MainLayout &placed)
{
    return QRect(QPoint(placed.folderLabel.left(), placed.tabs.top()), placed.tabs.bottomRight());
}

int splitterHandleWidth(const MainLayout &start)
{
    return start.tabs.left() - (start.tree.left() + start.tree.width());
}
