// tests/caption/settings_page_rules_test.cpp
// The Batch Settings page's rules without a window.
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

} // namespace
