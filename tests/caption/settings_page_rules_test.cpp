// tests/caption/settings_page_rules_test.cpp
// The Batch Settings page's rules and layout without a window.
#include "caption/settings_page_layout.h"
#include "caption/settings_page_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsPageRules, PreviousAndNextAtTheEnds)
{
    EXPECT_FALSE(CanShowPrevious(0, 3));
    EXPECT_TRUE(CanShowPrevious(2, 3));
    EXPECT_FALSE(CanShowPrevious(-1, 3));
    EXPECT_TRUE(CanShowNext(-1, 3)); // none selected: to the first row
    EXPECT_TRUE(CanShowNext(1, 3));
    EXPECT_FALSE(CanShowNext(2, 3));
    EXPECT_FALSE(CanShowNext(-1, 0));
}

TEST(SettingsPageRules, RotationButtons)
{
    EXPECT_EQ(RotationButtonIndex(0), 0);
    EXPECT_EQ(RotationButtonIndex(-90), 1);
    EXPECT_EQ(RotationButtonIndex(90), 2);
    EXPECT_EQ(RotationButtonIndex(180), 3);
    EXPECT_EQ(RotationButtonIndex(270), -1);
}

TEST(SettingsPageRules, PropertiesTextCountsColours)
{
    EXPECT_EQ(PropertiesText(4000, 3000, 24), QStringLiteral("4000x3000x16M"));
    EXPECT_EQ(PropertiesText(640, 480, 8), QStringLiteral("640x480x256"));
    EXPECT_EQ(PropertiesText(16, 16, 1), QStringLiteral("16x16x2"));
    EXPECT_EQ(PropertiesText(16, 16, 16), QStringLiteral("16x16x64K"));
    EXPECT_EQ(PropertiesText(16, 16, 10), QStringLiteral("16x16x1K"));
}

TEST(SettingsPageRules, TooltipMarkupOfEachControl)
{
    const QString markup = SettingsTooltipMarkup(1028);
    EXPECT_EQ(markup, QStringLiteral("<b><ct=0x0000FF><al_c>Text align</b><br><ct=0x00AA00><hr=100%></ct><br>"
                                     "Align text in the textbox"));
    EXPECT_TRUE(SettingsTooltipMarkup(1026).contains(
        QStringLiteral("With the option,you can perform above request.")));
    EXPECT_TRUE(SettingsTooltipMarkup(1010).isEmpty());
}

TEST(SettingsPageLayout, PreviewGrowsAndTheColumnStacks)
{
    const SettingsPageMetrics m;
    const SettingsPageGeometry g = LayoutSettingsPage(QSize(900, 600), m);
    EXPECT_EQ(g.preview.right() + 1, 900 - m.columnWidth - 6);
    EXPECT_EQ(g.textGroup.left(), g.preview.right() + 1 + 5);
    EXPECT_EQ(g.textGroup.width(), m.columnWidth);
    EXPECT_EQ(g.rotateGroup.top(), g.textGroup.bottom() + 1 + 5);
    EXPECT_LE(g.rotateGroup.bottom(), 599);
    EXPECT_GT(g.textGroup.top(), g.resolution.bottom());
    // Inside the text group from the top: buttons, text, align, anchor.
    EXPECT_GT(g.text.top(), g.font.bottom());
    EXPECT_LT(g.text.bottom(), g.alignLabel.top());
    EXPECT_LT(g.alignLabel.bottom(), g.align.top());
    EXPECT_LT(g.align.bottom(), g.anchorLabel.top());
    EXPECT_LT(g.anchorLabel.bottom(), g.anchor.top());
    EXPECT_LT(g.anchor.bottom(), g.textGroup.bottom());
    EXPECT_EQ(g.backColor.left(), g.font.right() + 1 + 6);
    for (const QRect &r : g.rotate)
        EXPECT_TRUE(g.rotateGroup.contains(r)) << r.x() << "," << r.y();
    // A taller page gives its height to the preview and the text edit.
    const SettingsPageGeometry tall = LayoutSettingsPage(QSize(900, 800), m);
    EXPECT_EQ(tall.preview.height(), g.preview.height() + 200);
    EXPECT_EQ(tall.text.height(), g.text.height() + 200);
    EXPECT_EQ(tall.rotateGroup.top(), g.rotateGroup.top() + 200);
}

} // namespace
