// tests/export/export_list_test.cpp
#include "export/export_list.h"

#include <gtest/gtest.h>

// The turn is read from its text once, here; only the four texts a list
// writes stand for a turn.
TEST(ExportList, RotationTextsBecomeDegrees)
{
    EXPECT_EQ(rotationFromText("0"), 0);
    EXPECT_EQ(rotationFromText("90"), 90);
    EXPECT_EQ(rotationFromText("-90"), -90);
    EXPECT_EQ(rotationFromText("180"), 180);
    for (const char *text : {"", " 90", "90 ", "+90", "090", "270", "-180", "9", "900", "-0", "90\r"})
        EXPECT_EQ(rotationFromText(text), std::nullopt) << '"' << text << '"';
}

TEST(ExportList, LinesGiveRowsWithTheirTurns)
{
    std::vector<ExportRow> rows;
    std::string problem;
    ASSERT_TRUE(parseExportList("/a/one.jpg\t-90\r\n\n/b/two\tthree.png\t180\n/c/four.tif\n/d/five.png\t90",
                                rows, problem))
        << problem;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].path, "/a/one.jpg");
    EXPECT_EQ(rows[0].name, "one.jpg");
    EXPECT_EQ(rows[0].rotation, -90);
    EXPECT_EQ(rows[1].path, "/b/two\tthree.png"); // the last tab separates the turn
    EXPECT_EQ(rows[1].rotation, 180);
    EXPECT_EQ(rows[2].rotation, 0);
    EXPECT_EQ(rows[3].rotation, 90);

    rows.clear();
    EXPECT_FALSE(parseExportList("/a.jpg\t90\n/b.jpg\t270\n", rows, problem));
    EXPECT_EQ(problem, "line 2: rotation must be 0, 90, -90 or 180, not \"270\"");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rotation, 90);
}
