// app/tree_splitter.cpp
#include "app/tree_splitter.h"

#include "platform/profile_store.h"

#include <QLayout>

#include <algorithm>
#include <string>

namespace {

constexpr char kWindowSection[] = "Main Window";
constexpr char kTreeWidthKey[] = "TreeWidth";

} // namespace

CTreeSplitter::CTreeSplitter(QWidget *pane, QWidget *tabs, int handleWidth, int minimumPane,
                             ProfileStore &profile, QWidget *parent)
    : QSplitter(Qt::Horizontal, parent)
    , mProfile(profile)
    , mMinimumPane(minimumPane)
{
    pane->setMinimumWidth(minimumPane);
    addWidget(pane);
    addWidget(tabs);
    setChildrenCollapsible(false);
    setHandleWidth(handleWidth);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    // Only the user's moves reach here, not ApplyWidth's.
    connect(this, &QSplitter::splitterMoved, this, [this] {
        mWanted = sizes().value(0);
        mProfile.WriteProfileString(kWindowSection, kTreeWidthKey, std::to_string(mWanted));
    });
}

int CTreeSplitter::StoredWidth(const ProfileStore &profile)
{
    return std::max(0, profileAtoi(profile.GetProfileString(kWindowSection, kTreeWidthKey)));
}

void CTreeSplitter::ApplyWidth()
{
    const int room = width() - handleWidth() - widget(1)->minimumWidth();
    const int pane = std::clamp(mWanted, mMinimumPane, std::max(mMinimumPane, room));
    if (sizes().value(0) != pane)
        setSizes({pane, width() - pane - handleWidth()});
    // Laid out at once, also while the window is not shown yet.
    if (QLayout *layout = widget(0)->layout())
        layout->activate();
}

void CTreeSplitter::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    ApplyWidth();
}
