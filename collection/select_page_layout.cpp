// collection/select_page_layout.cpp
#include "collection/select_page_layout.h"

#include <algorithm>

namespace {

constexpr int kRightMargin = 3;
constexpr int kBelowBrowser = 70; // from the browser's bottom to the client's, less the list
constexpr int kListBelowBrowser = 80;
constexpr int kButtonGap = 24;
constexpr int kStatusGap = 8; // between the status and the Add button
constexpr int kAboveList = 10;
constexpr int kButtonRightMargin = 10;
constexpr int kCountBottomMargin = 3;

} // namespace

SelectPageLayout SelectPageLayout::Initial()
{
    SelectPageLayout l;
    l.acquire = QRect(14, 2, 84, 28);
    l.view = QRect(107, 2, 84, 28);
    l.folderLabel = QRect(200, 8, 50, 20);
    l.folderEdit = QRect(252, 6, 342, 24);
    l.browser = QRect(2, 36, 594, 159);
    l.status = QRect(9, 206, 201, 23);
    l.add = QRect(270, 205, 84, 28);
    l.addAll = QRect(353, 205, 84, 28);
    l.remove = QRect(434, 205, 84, 28);
    l.removeAll = QRect(515, 205, 84, 28);
    l.list = QRect(2, 242, 594, 219);
    l.count = QRect(8, 468, 144, 18);
    return l;
}

QSize SelectPageLayout::InitialClient()
{
    const SelectPageLayout l = Initial();
    return QSize(l.browser.right() + 1 + kRightMargin,
                 l.browser.bottom() + 1 + l.list.height() + kBelowBrowser);
}

QSize SelectPageLayout::MinimumClient()
{
    const SelectPageLayout l = Initial();
    const int buttons =
        l.add.width() + l.addAll.width() + l.remove.width() + l.removeAll.width() + 3 * kButtonGap;
    return QSize(l.browser.left() + buttons + kButtonRightMargin,
                 l.browser.top() + 1 + l.list.height() + kBelowBrowser);
}

SelectPageLayout SelectPageLayout::Resized(const QSize &client) const
{
    SelectPageLayout l = *this;
    const int right = client.width(); // exclusive, as the client rectangle's right
    const int bottom = client.height();
    const int browserBottom = std::max(browser.top() + 1, bottom - list.height() - kBelowBrowser);
    l.browser = QRect(browser.left(), browser.top(), std::max(1, right - kRightMargin - browser.left()),
                      browserBottom - browser.top());
    l.list =
        QRect(l.browser.left(), l.browser.height() + kListBelowBrowser, l.browser.width(), list.height());

    const int buttonTop = l.list.top() - removeAll.height() - kAboveList;
    l.removeAll.moveTo(right - removeAll.width() - kButtonRightMargin, buttonTop);
    l.remove.moveTo(l.removeAll.left() - remove.width() - kButtonGap, buttonTop);
    l.addAll.moveTo(l.remove.left() - addAll.width() - kButtonGap, buttonTop);
    l.add.moveTo(l.addAll.left() - add.width() - kButtonGap, buttonTop);

    l.status.moveTop(l.list.top() - status.height() - kAboveList);
    // The status takes the room the buttons leave, for a longer text (files
    // that could not be read) once the page is wider than at first.
    l.status.setRight(std::max(Initial().status.right(), l.add.left() - kStatusGap - 1));
    l.count.moveTop(bottom - count.height() - kCountBottomMargin);
    l.folderEdit.setRight(right - kRightMargin - 1);
    return l;
}
