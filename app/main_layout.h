// app/main_layout.h
#pragma once

#include <QRect>
#include <QSize>

// The main window cannot be made smaller than this (pixels).
constexpr QSize kMainMinimumSize(790, 565);
// The size it opens at.
constexpr QSize kMainInitialSize(800, 600);
constexpr int kMainRightMargin = 6;   // tab control and Quit from the right edge
constexpr int kMainBottomMargin = 35; // tab control and tree from the bottom edge
constexpr int kButtonBottomMargin = 4;
constexpr int kButtonGap = 11;

// Where the controls of the main window sit before any resize: the left,
// top and width of the tree and the tab control count, and the button sizes;
// the "Select Folder:" label keeps its place.
struct MainLayout
{
    QRect folderLabel;
    QRect tree;
    QRect tabs;
    QRect exportButton;
    QRect help;
    QRect about;
    QRect quit;
    QRect presets; // left of Export, the same gap between
};

// The layout for a client area of this size: the tab control and the tree
// keep their left and top and grow to 6 pixels from the right and 35 from
// the bottom (the tree keeps its width); the buttons keep their sizes and
// line up from the right, Quit 6 pixels from the edge and 11 between them,
// 4 pixels above the bottom, Job Presets the leftmost.
MainLayout layoutMainWindow(QSize client, const MainLayout &start);

// The splitter that lets the user widen the tree: from the label's left to
// the tab control's right, over the tab control's height. The tree's pane
// (label and tree) is its first part, the tab control its second; where the
// user has not moved it, the parts sit where layoutMainWindow puts the label,
// the tree and the tab control.
QRect splitterRect(const MainLayout &placed);
// The width of the splitter's handle: the gap between the tree's area and the tab control.
int splitterHandleWidth(const MainLayout &start);
