// caption/settings_page_layout.h
#pragma once

#include <QRect>
#include <QSize>

// Sizes of the Batch Settings page's controls as the style gives them; the
// layout keeps them and only moves the controls (and grows the preview, the
// text group and the text edit).
struct SettingsPageMetrics
{
    int margin = 6;             // around the preview and the column
    int columnWidth = 232;      // both group boxes
    int buttonHeight = 26;      // Previous, Next, View, Font, Back Color
    int editHeight = 24;        // the Resolution edit
    int labelHeight = 16;       // "Text Align:", "Base On Image:"
    int listHeight = 24;        // the two drop-down lists
    int rotateGroupHeight = 84; // "Rotate image"
    int radioHeight = 20;
    int groupTitle = 20; // from a group's top to its first control
};

// Where every control of the page goes for a client area of that size.
// The preview takes everything left of the column; the column holds, from
// the top: Previous / Next / View, the Resolution line, the "Text
// Properties" group growing with the page, and the "Rotate image" group at
// the bottom. Inside the text group the lists sit at its bottom and the
// text edit takes the rest.
struct SettingsPageGeometry
{
    QRect preview;
    QRect previous, next, view;
    QRect resolutionLabel, resolution;
    QRect textGroup, font, backColor, text;
    QRect alignLabel, align, anchorLabel, anchor;
    QRect rotateGroup;
    QRect rotate[4]; // the 0, -90, 90 and 180 buttons
};

SettingsPageGeometry LayoutSettingsPage(QSize client, const SettingsPageMetrics &m);
