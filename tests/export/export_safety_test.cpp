// tests/export/export_safety_test.cpp
// What keeps a run from costing the user a photograph or a surprise: the
// questions before replacing files, the check before a run against the run
// itself, damaged pictures, an output folder that fails, and stopping.
#include "export/export_plan.h"
#include "export/export_run.h"
#include "tests/export/export_test_support.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines(const std::vector<ExportOutcome> &outcomes)
{
    std::vector<std::string> out;
    for (const ExportOutcome &o : outcomes)
        out.push_back(outcomeLine(o));
    return out;
}

std::vector<std::string> namesIn(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A JPEG of width x height cut to keep of its bytes.
std::string truncatedJpeg(const std::string &path, int width, int height, double keep)
{
    writePicture(path, width, height, ZV_TYPE_JPG);
    const std::string bytes = readFile(path);
    writeFile(path, bytes.substr(0, std::size_t(double(bytes.size()) * keep)));
    return path;
}

} // namespace

// Originals and other files have questions of their own, and an "all"
// answer stands only for its own kind.
TEST(ExportSafety, OriginalsHaveTheirOwnQuestionAndEachKindRemembersItsAllAnswer)
{
    const std::string src = freshFolder("safe-orig"), other = freshFolder("safe-other");
    const ExportRow a = rowFor(writePicture(src + "/a.png", 12, 10, ZV_TYPE_PNG));
    const ExportRow b = rowFor(writePicture(src + "/b.png", 12, 10, ZV_TYPE_PNG));
    const ExportRow c = rowFor(writePicture(other + "/c.png", 20, 10, ZV_TYPE_PNG));
    writePicture(src + "/c.png", 5, 5, ZV_TYPE_PNG); // in the way, but no picture of the run
    ExportJob job;
    job.rows = {a, b, c};
    job.options.OutputFolder = src; // original format into the pictures' own folder
    job.caption.emplace();          // a box, so that a replaced file differs
    job.caption->text.clear();
    job.caption->backColor = RGB(255, 0, 0);
    job.caption->offsets = {0, 0, 6, 6};
    const std::string beforeA = readFile(a.path), beforeB = readFile(b.path);

    ScriptObserver keep;
    keep.answers = {OverwriteAnswer::NoToAll, OverwriteAnswer::Yes};
    ExportResult r = RunExport(job, keep);
    EXPECT_EQ(keep.originals, std::vector<std::string>{a.path}); // b is not asked again
    EXPECT_EQ(keep.asked, std::vector<std::string>{src + "/c.png"});
    EXPECT_EQ(r.saved, 1);
    EXPECT_EQ(readFile(a.path), beforeA);
    EXPECT_EQ(readFile(b.path), beforeB);
    EXPECT_EQ(loadedFile(src + "/c.png").GetWidth(), 20u);

    ScriptObserver replace;
    replace.answers = {OverwriteAnswer::YesToAll}; // then No: the script has run out
    r = RunExport(job, replace);
    EXPECT_EQ(replace.originals, std::vector<std::string>{a.path});
    EXPECT_EQ(replace.asked, std::vector<std::string>{src + "/c.png"});
    EXPECT_EQ(r.saved, 2);
    EXPECT_NE(readFile(b.path), beforeB);
}

// The check before a run foresees, line by line, what the run then does:
// names (counters skip what exists and what the run itself writes), sizes
// after the turn and the resize, and every kind of outcome.
TEST(ExportSafety, TheCheckListsWhatTheRunThenDoesLineByLine)
{
    const std::string src = freshFolder("plan-src"), src2 = freshFolder("plan-src2"),
                      out = freshFolder("plan-out");
    writeFile(src + "/broken.png", "no picture here");
    writePicture(out + "/b.bmp", 4, 4, ZV_TYPE_BMP);
    ExportJob job;
    job.rows = {rowFor(writePicture(src + "/a.png", 40, 20, ZV_TYPE_PNG), 90),
                rowFor(writePicture(src + "/b.bmp", 30, 30, ZV_TYPE_BMP)),
                rowFor(src + "/broken.png"),
                rowFor(writePicture(src + "/c.gif", 10, 8, ZV_TYPE_GIF)),
                rowFor(writePicture(src2 + "/c.gif", 10, 8, ZV_TYPE_GIF)),
                rowFor(writePicture(out + "/d.jpg", 16, 16, ZV_TYPE_JPG))};
    job.options.OutputFolder = out;
    job.options.ResizeImage = true;
    job.options.Unit = 1; // percent
    job.options.ResizeWidth = "50";
    job.options.ResizeHeight = "200";
    job.caption.reset();
    job.jobs = 2;

    const ExportPlan plan = planExport(job);
    EXPECT_EQ(plan.problem, "");
    EXPECT_EQ(lines(plan.lines), (std::vector<std::string>{
                                     "[a.png]\t[a.png]\t10 x 80\tpng\tnew",
                                     "[b.bmp]\t[b.bmp]\t15 x 60\tbmp\treplace",
                                     "[broken.png]\t[broken.png]\t-\tpng\tunreadable",
                                     "[c.gif]\t[c.gif]\t5 x 16\tgif\tnew",
                                     "[c.gif]\t[c.gif]\t-\tgif\tskipped: name taken by an earlier picture",
                                     "[d.jpg]\t[d.jpg]\t8 x 32\tjpg\treplace original",
                                 }));
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"b.bmp", "d.jpg"})); // nothing written
    ScriptObserver yes;
    yes.answers = {OverwriteAnswer::YesToAll, OverwriteAnswer::YesToAll};
    EXPECT_EQ(lines(RunExport(job, yes).outcomes), lines(plan.lines));

    // Counter names: the existing Photo0000 is skipped, the unreadable
    // picture's name is not used up.
    const std::string counted = freshFolder("plan-counter");
    writePicture(counted + "/photo0000.jpg", 4, 4, ZV_TYPE_JPG);
    job.rows = {job.rows[0], job.rows[2], job.rows[3]};
    job.options.OutputFolder = counted;
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Format = kFormatJpeg;
    const ExportPlan counter = planExport(job);
    ASSERT_EQ(counter.lines.size(), 3u);
    EXPECT_EQ(counter.lines[0].output, "Photo0001.JPG");
    EXPECT_EQ(counter.lines[1].output, "Photo0002.JPG");
    EXPECT_EQ(counter.lines[2].output, "Photo0002.JPG");
    ScriptObserver again;
    EXPECT_EQ(lines(RunExport(job, again).outcomes), lines(counter.lines));
}

TEST(ExportSafety, DamagedPicturesAreSavedOnlyWhenTheUserAgreesAndAlwaysNamed)
{
    const std::string src = freshFolder("damaged-src"), out = freshFolder("damaged-out");
    const std::string whole = writePicture(src + "/whole.jpg", 64, 48, ZV_TYPE_JPG);
    const std::string cut = truncatedJpeg(src + "/cut.jpg", 64, 48, 0.6);
    const std::string cut2 = truncatedJpeg(src + "/cut2.jpg", 64, 48, 0.7);
    EXPECT_STREQ(loadedFile(whole).GetDamage(), "");
    EXPECT_STRNE(loadedFile(cut).GetDamage(), "");

    ExportJob job;
    job.rows = {rowFor(whole), rowFor(cut), rowFor(cut2)};
    job.options.OutputFolder = out;
    job.options.Format = 5; // PNG
    job.caption.reset();
    ScriptObserver refuse; // No to the first, then No by default
    ExportResult r = RunExport(job, refuse);
    EXPECT_EQ(refuse.damaged.size(), 2u);
    EXPECT_EQ(r.saved, 1);
    EXPECT_EQ(r.damaged, (std::vector<std::string>{"cut.jpg", "cut2.jpg"}));
    ASSERT_EQ(r.issues.size(), 2u);
    EXPECT_EQ(r.issues[0].name, "cut.jpg");
    EXPECT_EQ(r.issues[0].text.rfind("not saved: damaged: the file ends early", 0), 0u) << r.issues[0].text;
    EXPECT_EQ(namesIn(out), std::vector<std::string>{"whole.PNG"});

    ScriptObserver accept;
    accept.damagedAnswers = {OverwriteAnswer::YesToAll};
    accept.answers = {OverwriteAnswer::Yes};
    r = RunExport(job, accept);
    EXPECT_EQ(accept.damaged.size(), 1u); // the second is not asked about
    EXPECT_EQ(r.saved, 3);
    ASSERT_EQ(r.issues.size(), 2u);
    EXPECT_EQ(r.issues[1].name, "cut2.jpg");
    EXPECT_EQ(r.issues[1].text.rfind("saved although damaged: ", 0), 0u) << r.issues[1].text;
}

// The folder fails after the first picture: the run ends at once with one
// message, not one line per picture. Root writes into a read-only folder
// anyway, so there the folder is swapped for one of /proc, which takes no
// new files from anyone.
TEST(ExportSafety, AFolderThatTurnsReadOnlyEndsTheRunWithOneMessage)
{
    const std::string src = freshFolder("ro-src"), out = freshFolder("ro-out");
    ExportJob job;
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        job.rows.push_back(rowFor(writePicture(src + "/" + name, 8, 8, ZV_TYPE_BMP)));
    job.options.OutputFolder = out;
    job.options.Format = 5;
    job.caption.reset();
    const bool root = ::geteuid() == 0;
    ScriptObserver obs;
    obs.cancelWhen = [&](int done) {
        if (done == 1 && !root)
            fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
        if (done == 1 && root) {
            fs::rename(out, out + ".aside");
            fs::create_directory_symlink("/proc/self", out);
        }
        return false;
    };
    const ExportResult r = RunExport(job, obs);
    if (root) {
        fs::remove(out);
        fs::rename(out + ".aside", out);
    } else {
        fs::permissions(out, fs::perms::owner_all);
    }
    EXPECT_EQ(r.end, ExportEnd::FolderUnavailable);
    EXPECT_EQ(r.saved, 1);
    EXPECT_TRUE(r.issues.empty());
    ASSERT_EQ(obs.messages.size(), 1u);
    EXPECT_EQ(obs.messages[0].rfind("Cannot write into the output folder [" + out + "]: ", 0), 0u)
        << obs.messages[0];
    EXPECT_NE(obs.messages[0].find("(1 files were saved before)"), std::string::npos);
    EXPECT_EQ(obs.steps, 1);
    EXPECT_EQ(namesIn(out), std::vector<std::string>{"a.PNG"}); // and no temporary file

    // Before the first picture the same check stops the run with nothing tried.
    if (!root) {
        fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
        ScriptObserver early;
        EXPECT_EQ(RunExport(job, early).end, ExportEnd::FolderUnavailable);
        EXPECT_EQ(early.range, -1); // no progress was shown
        fs::permissions(out, fs::perms::owner_all);
    }
}

// Stopping while a large picture is made: it is abandoned, nothing more is
// written and no temporary file stays.
TEST(ExportSafety, StoppingWhileAPictureIsMadeWritesNothingMore)
{
    const std::string src = freshFolder("stop-src"), out = freshFolder("stop-out");
    ExportJob job;
    job.rows.push_back(rowFor(writePicture(src + "/small.bmp", 8, 8, ZV_TYPE_BMP)));
    ASSERT_TRUE(makeNoise(3000, 2000, 24, 3).Save((src + "/large.bmp").c_str(), ZV_TYPE_BMP));
    job.rows.push_back(rowFor(src + "/large.bmp"));
    job.rows.push_back(rowFor(writePicture(src + "/after.bmp", 8, 8, ZV_TYPE_BMP)));
    job.options.OutputFolder = out;
    job.options.Format = 5;
    job.caption.reset();
    job.jobs = 1 + 1; // the large one is made on a worker while the run waits
    ScriptObserver obs;
    obs.stopWhileMaking = [&] { return obs.pictures >= 1; };
    const ExportResult r = RunExport(job, obs);
    EXPECT_EQ(r.end, ExportEnd::Cancelled);
    EXPECT_EQ(r.saved, 1);
    EXPECT_EQ(namesIn(out), std::vector<std::string>{"small.PNG"});
    EXPECT_EQ(obs.messages.back(), "1 files saved to [" + out + "]!");
}
