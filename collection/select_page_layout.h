// collection/select_page_layout.h
#pragma once

#include <QRect>
#include <QSize>

// Where the controls of the Select Images page go, in pixels; no widget code.
struct SelectPageLayout
{
    QRect acquire;
    QRect view;
    QRect folderLabel;
    QRect folderEdit;
    QRect browser; // the browser's frame; the browser sits 1 pixel inside
    QRect status;
    QRect add;
    QRect addAll;
    QRect remove;
    QRect removeAll;
    QRect list;
    QRect count;

    // The page as first laid out (its resource sizes in pixels).
    static SelectPageLayout Initial();
    // The client size at which Resized keeps Initial's browser.
    static QSize InitialClient();
    // The smallest client size that keeps a row of the browser's pixels and
    // the four list buttons right of the browser's left edge.
    static QSize MinimumClient();
    // The layout for a client area of this size: the browser and the list
    // take the width, the browser the height; buttons and labels follow.
    SelectPageLayout Resized(const QSize &client) const;
};
