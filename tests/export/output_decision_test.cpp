// tests/export/output_decision_test.cpp
#include "export/output_decision.h"

#include "export/export_job.h"
#include "export_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

void touch(const std::string &path)
{
    std::ofstream(path) << "x";
}

ExportJob counterJob(const std::string &out, const std::vector<ExportRow> &rows)
{
    ExportJob job;
    job.rows = rows;
    job.options.OutputFolder = out;
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Format = kFormatJpeg;
    return job;
}

const OutputFormat kJpeg{".JPG", ZV_TYPE_JPG};

} // namespace

TEST(OutputDecider, OneListingSkipsTakenNamesAndTheNamesItGave)
{
    const std::string out = freshFolder("decide-once");
    touch(out + "/photo0000.jpg"); // another spelling of the first name
    const ExportJob job = counterJob(out, {{"a.bmp", out + "/a.bmp"}, {"b.bmp", out + "/b.bmp"}});
    OutputDecider decider(job, OutputDecider::Listing::Once);
    const OutputPath first = decider.name(0, kJpeg);
    EXPECT_EQ(first.shown, "Photo0001.JPG");
    EXPECT_EQ(first.counter, 1);
    decider.wrote(first, "a.bmp");
    EXPECT_EQ(decider.name(1, kJpeg).shown, "Photo0002.JPG");
}

TEST(OutputDecider, EveryNameListingReusesANameThatWasNotWritten)
{
    const std::string out = freshFolder("decide-every");
    const ExportJob job = counterJob(out, {{"a.bmp", out + "/a.bmp"}, {"b.bmp", out + "/b.bmp"}});
    OutputDecider decider(job, OutputDecider::Listing::EveryName);
    decider.wrote(decider.name(0, kJpeg), "a.bmp"); // recorded, but no file appeared
    EXPECT_EQ(decider.name(1, kJpeg).shown, "Photo0000.JPG");
}

TEST(OutputDecider, AShareNamesByTheRowsPlaceInTheWholeList)
{
    const std::string out = freshFolder("decide-share");
    ExportJob job = counterJob(out, {{"a.bmp", out + "/a.bmp"}, {"b.bmp", out + "/b.bmp"}});
    job.listRows = {40};
    OutputDecider decider(job, OutputDecider::Listing::Once);
    EXPECT_EQ(decider.name(0, kJpeg).shown, "Photo0040.JPG");
    EXPECT_EQ(decider.name(1, kJpeg).shown, "Photo0000.JPG"); // past the share's rows: lowest free
    job.options.NameMode = ExportNameMode::Keep;
    OutputDecider kept(job, OutputDecider::Listing::Once);
    EXPECT_EQ(kept.name(0, kJpeg).shown, "a.JPG");
}

TEST(OutputDecider, ClassifiesNewReplaceOriginalAndClash)
{
    const std::string out = freshFolder("decide-classify");
    const std::string source = writePicture(out + "/a.bmp", 4, 4, ZV_TYPE_BMP);
    touch(out + "/other.JPG");
    ExportJob job = counterJob(out, {rowFor(source)});
    OutputDecider decider(job, OutputDecider::Listing::EveryName);
    EXPECT_EQ(decider.action(out + "/new.JPG"), OutputAction::New);
    EXPECT_EQ(decider.action(out + "/other.JPG"), OutputAction::Replace);
    EXPECT_EQ(decider.action(source), OutputAction::ReplaceOriginal);
    EXPECT_EQ(decider.clash(out + "/new.JPG"), nullptr);
    OutputPath written;
    written.path = out + "/new.JPG";
    decider.wrote(written, "a.bmp");
    ASSERT_NE(decider.clash(out + "/new.JPG"), nullptr);
    EXPECT_EQ(*decider.clash(out + "/new.JPG"), "a.bmp");
}

TEST(OutputDecider, ProblemsAndRefusalsAreWordedOnce)
{
    OutputPath out;
    EXPECT_EQ(OutputDecider::problem(out, "/x"), "");
    out.status = OutputPath::Status::NamesExhausted;
    EXPECT_EQ(OutputDecider::problem(out, "/x"), "Could't save image file!");
    out.status = OutputPath::Status::FolderUnlistable;
    out.problem = "Permission denied";
    EXPECT_EQ(OutputDecider::problem(out, "/x"), "Cannot list the output folder [/x]: Permission denied");
    for (ZvErrorKind kind :
         {ZvErrorKind::NotFound, ZvErrorKind::BadData, ZvErrorKind::Unsupported, ZvErrorKind::Io})
        EXPECT_EQ(refusedAction(kind), OutputAction::Unreadable);
    EXPECT_EQ(refusedAction(ZvErrorKind::None), OutputAction::NotSaved);
    EXPECT_EQ(refusedAction(ZvErrorKind::TooLarge), OutputAction::NotSaved);
    EXPECT_GT(validationCount(std::size_t(1) << 40), 0);
    EXPECT_EQ(validationCount(3), 3);
}
