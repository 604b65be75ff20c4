// caption/settings_page_layout.cpp
#include "caption/settings_page_layout.h"

#include <algorithm>

namespace {

// Previous, Next and View share the column's first line.
void layoutTopLine(SettingsPageGeometry &g, int x, const SettingsPageMetrics &m)
{
    const int gap = 4;
    const int w = (m.columnWidth - 2 * gap) / 3;
    g.previous = QRect(x, m.margin, w, m.buttonHeight);
    g.next = QRect(x + w + gap, m.margin, w, m.buttonHeight);
    g.view = QRect(x + 2 * (w + gap), m.margin, m.columnWidth - 2 * (w + gap), m.buttonHeight);
    const int y = g.previous.bottom() + 1 + 8;
    const int labelW = 72;
    g.resolutionLabel = QRect(x, y + (m.editHeight - m.labelHeight) / 2, labelW, m.labelHeight);
    g.resolution = QRect(x + labelW, y, m.columnWidth - labelW, m.editHeight);
}

// The text group's contents counted up from base, the group's inside bottom.
void layoutTextGroup(SettingsPageGeometry &g, int x, int base, const SettingsPageMetrics &m)
{
    const int top = g.textGroup.top() + m.groupTitle;
    const int fontW = (m.columnWidth - 18 - 6) / 2;
    g.font = QRect(x + 9, top, fontW, m.buttonHeight);
    g.backColor = QRect(g.font.right() + 1 + 6, top, m.columnWidth - 18 - 6 - fontW, m.buttonHeight);
    const int listW = m.columnWidth - 23 - 10;
    g.anchor = QRect(x + 23, base - 24 - m.listHeight, listW, m.listHeight);
    g.anchorLabel = QRect(x + 10, base - m.labelHeight - m.listHeight - 28, listW, m.labelHeight);
    const int belowAlign = m.labelHeight + m.listHeight;
    g.align = QRect(x + 23, base - belowAlign - m.listHeight - 40, listW, m.listHeight);
    const int four = 2 * (m.labelHeight + m.listHeight);
    g.alignLabel = QRect(x + 10, base - four - 43, listW, m.labelHeight);
    const int textTop = g.font.bottom() + 1 + 6;
    const int textBottom = std::max(textTop + m.buttonHeight, base - four - 49);
    g.text = QRect(g.font.left() - 3, textTop, m.columnWidth - 12, textBottom - textTop);
}

} // namespace

SettingsPageGeometry LayoutSettingsPage(QSize client, const SettingsPageMetrics &m)
{
    SettingsPageGeometry g;
    const int bottom = client.height();
    const int previewRight = std::max(m.margin + 1, client.width() - m.columnWidth - 6);
    g.preview = QRect(QPoint(m.margin, m.margin), QPoint(previewRight - 1, bottom - m.margin - 1));
    const int x = previewRight + 5;
    layoutTopLine(g, x, m);

    const int r = m.rotateGroupHeight;
    const int textTop = g.resolution.bottom() + 1 + 8;
    // The rotate group sits at the bottom; the text group takes what is left.
    const int base = bottom - m.margin - r;
    g.textGroup =
        QRect(QPoint(x, textTop), QPoint(x + m.columnWidth - 1, std::max(textTop + 1, base - 6) - 1));
    layoutTextGroup(g, x, base, m);

    g.rotateGroup = QRect(x, g.textGroup.bottom() + 1 + 5, m.columnWidth, r);
    const int half = m.columnWidth / 2;
    const int rx = g.rotateGroup.left() + 13, ry = g.rotateGroup.top() + 21;
    g.rotate[0] = QRect(rx, ry, half - 20, m.radioHeight);
    g.rotate[1] = QRect(rx + half, ry, half - 20, m.radioHeight);
    g.rotate[2] = QRect(rx, ry + 24, half - 20, m.radioHeight);
    g.rotate[3] = QRect(rx + half, ry + 24, half - 20, m.radioHeight);
    return g;
}
