// collection/viewer/viewer_keys.h
#pragma once

#include <QString>

// Opened from the Select Images page (browsing the thumbnails) or from the
// Batch Settings page (the selected list, with the caption drawn).
enum class ViewerMode { Browser, Design };

// Page Up, Page Down (and the wheel), Home, End.
enum class ViewerStep { Previous, Next, First, Last };

// The index a step moves to from current (-1: none) in count pictures, or
// -1 when the step does nothing: Previous stops at the first picture and
// Next at the last; Home and End go to the ends even from there. Without a
// current picture the browser does nothing, while the list's Next starts
// at its first row.
int ViewerStepTarget(ViewerMode mode, ViewerStep step, int current, int count);

// The help shown for the first seconds.
inline const QString kViewerHelpText = QStringLiteral(
    "Press ESC Key to return\r\nPress PAGEUP or PAGEDOWN key\r\nto view the previous or the next image.");
// Seconds the help stays.
constexpr int kViewerHelpSeconds = 10;
