// tests/export/target_size_test.cpp
// The resize target for every combination of aspect, stretch and unit.
#include "export/export_options.h"
#include "export/target_size.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

enum Aspect { Off, HeightGoverns, WidthGoverns };

struct Case
{
    const char *what;
    Aspect aspect;
    bool stretch;
    int unit;
    const char *w;
    const char *h;
    std::int64_t iw, ih;
    std::int64_t tw, th;
};

std::ostream &operator<<(std::ostream &os, const Case &c)
{
    return os << c.what;
}

ExportOptions optionsFor(const Case &c)
{
    ExportOptions o;
    o.ResizeImage = true;
    o.AspectRatio = c.aspect != Off;
    o.RestrictWidth = c.aspect == HeightGoverns;
    o.RestrictHeight = c.aspect == WidthGoverns;
    o.AllowStretch = c.stretch;
    o.Unit = c.unit;
    o.ResizeWidth = c.w;
    o.ResizeHeight = c.h;
    return o;
}

class TargetSizeTable : public ::testing::TestWithParam<Case>
{
};

TEST_P(TargetSizeTable, GivesTheSize)
{
    const Case &c = GetParam();
    EXPECT_EQ(ComputeTargetSize(optionsFor(c), c.iw, c.ih), (TargetSize{c.tw, c.th}));
}

const Case kCases[] = {
    // height governs
    {"H=600 of 4000x3000", HeightGoverns, true, 0, "123", "600", 4000, 3000, 800, 600},
    {"H=600 enlarges 640x480 with stretch", HeightGoverns, true, 0, "1", "600", 640, 480, 800, 600},
    {"H=600 keeps 640x480 without stretch", HeightGoverns, false, 0, "1", "600", 640, 480, 640, 480},
    {"H=480 equal without stretch keeps", HeightGoverns, false, 0, "1", "480", 640, 480, 640, 480},
    {"H=600 shrinks 4000x3000 without stretch", HeightGoverns, false, 0, "1", "600", 4000, 3000, 800, 600},
    {"H=7 truncates", HeightGoverns, true, 0, "1", "7", 1000, 3, 2333, 7},
    {"percent H=50", HeightGoverns, true, 1, "999", "50", 4000, 3000, 2000, 1500},
    {"percent H=150 stretch", HeightGoverns, true, 1, "1", "150", 640, 480, 960, 720},
    {"percent H=150 no stretch", HeightGoverns, false, 1, "1", "150", 640, 480, 640, 480},
    {"percent H=100 no stretch", HeightGoverns, false, 1, "1", "100", 640, 480, 640, 480},
    {"percent H=33 no stretch", HeightGoverns, false, 1, "1", "33", 640, 480, 211, 158},
    {"percent H=99 truncates", HeightGoverns, true, 1, "1", "99", 643, 483, 636, 478},
    // width governs
    {"W=800 of 4000x3000", WidthGoverns, true, 0, "800", "1", 4000, 3000, 800, 600},
    {"W=1000 of 640x480 stretch", WidthGoverns, true, 0, "1000", "1", 640, 480, 1000, 750},
    {"W=1000 of 640x480 no stretch", WidthGoverns, false, 0, "1000", "1", 640, 480, 640, 480},
    {"W=320 of 640x480 no stretch", WidthGoverns, false, 0, "320", "1", 640, 480, 320, 240},
    {"percent W=50", WidthGoverns, true, 1, "50", "9", 4000, 3000, 2000, 1500},
    {"percent W=200 no stretch", WidthGoverns, false, 1, "200", "9", 4000, 3000, 4000, 3000},
    {"percent W=50 of odd sides truncates", WidthGoverns, true, 1, "50", "9", 641, 481, 320, 240},
    {"digits-less W reads 0", WidthGoverns, true, 0, "wide", "600", 4000, 3000, 0, 0},
    // aspect off, stretch on: as typed
    {"pixels as typed", Off, true, 0, "800", "600", 4000, 3000, 800, 600},
    {"pixels enlarge", Off, true, 0, "5000", "100", 640, 480, 5000, 100},
    {"percent each side", Off, true, 1, "50", "200", 640, 480, 320, 960},
    {"percent each side truncates", Off, true, 1, "99", "150", 643, 481, 636, 721},
    {"atoi reading", Off, true, 0, " 12px", "-3", 640, 480, 12, -3},
    // aspect off, stretch off: each side on its own never grows
    {"both smaller", Off, false, 0, "320", "200", 640, 480, 320, 200},
    {"width larger stays", Off, false, 0, "1000", "400", 800, 600, 800, 400},
    {"height larger stays", Off, false, 0, "400", "1000", 800, 600, 400, 600},
    {"both larger stay", Off, false, 0, "1000", "1000", 800, 600, 800, 600},
    {"percent 50 x 150", Off, false, 1, "50", "150", 800, 600, 400, 600},
    {"zero stays zero", Off, false, 0, "0", "100", 800, 600, 0, 100},
};

INSTANTIATE_TEST_SUITE_P(All, TargetSizeTable, ::testing::ValuesIn(kCases));

} // namespace

TEST(TargetSize, NeitherRestrictionTakesTheEntriesAsWithoutAspect)
{
    ExportOptions o;
    o.AspectRatio = true;
    o.RestrictWidth = false;
    o.RestrictHeight = false;
    o.ResizeWidth = "100";
    o.ResizeHeight = "50";
    EXPECT_EQ(ComputeTargetSize(o, 4000, 3000), (TargetSize{100, 50}));
}

TEST(TargetSize, ProductsBeyond32BitsAreNotWrapped)
{
    ExportOptions o;
    o.AspectRatio = true;
    o.ResizeHeight = "2000000000";
    const TargetSize t = ComputeTargetSize(o, 60000, 1);
    EXPECT_EQ(t.width, 120000000000000LL);
    EXPECT_NE(targetSizeProblem(t), "");
}

TEST(TargetSize, ProblemsAreNamedBeforeAnythingIsAllocated)
{
    EXPECT_EQ(targetSizeProblem({800, 600}), "");
    EXPECT_EQ(targetSizeProblem({0, 600}), "cannot resize to 0 x 600");
    EXPECT_EQ(targetSizeProblem({800, -1}), "cannot resize to 800 x -1");
    EXPECT_EQ(targetSizeProblem({100000, 100000}), "resize to 100000 x 100000 exceeds the memory limit");
    EXPECT_EQ(targetSizeProblem({40000, 40000}), ""); // within the limit of ZvImage::Create
    EXPECT_NE(targetSizeProblem({std::int64_t(1) << 32, 1}), "");
}
