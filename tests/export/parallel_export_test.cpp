// tests/export/parallel_export_test.cpp
// Pictures made ahead on worker threads: the pipeline's window and order,
// and runs with several jobs against the same runs with one.
#include "export/export_run.h"
#include "export/output_path.h"
#include "export/picture_pipeline.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

// Every file of a folder with its bytes; temporary files show up too.
std::map<std::string, std::string> filesIn(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry &e : fs::directory_iterator(folder))
        files[e.path().filename().string()] = readFile(e.path().string());
    return files;
}

struct RunRecord
{
    ExportResult result;
    std::vector<std::string> asked;
    std::vector<std::string> texts;
    std::map<std::string, std::string> files;
};

// Runs job into a fresh out (prepared by setUp) with the given jobs; the
// observer answers No to the first question and Yes to the rest, and turns
// the resampling to high after the third picture.
RunRecord runWith(ExportJob job, int jobs, const std::string &out, const std::function<void()> &setUp)
{
    fs::remove_all(out);
    fs::create_directories(out);
    setUp();
    job.jobs = jobs;
    ScriptObserver obs;
    obs.answers = {OverwriteAnswer::No, OverwriteAnswer::Yes, OverwriteAnswer::Yes};
    obs.changeOptions = [](ExportOptions &o, int done) {
        if (done == 3)
            o.Quality = 2;
    };
    RunRecord run;
    run.result = RunExport(job, obs);
    run.asked = obs.asked;
    run.texts = obs.texts;
    run.files = filesIn(out);
    return run;
}

void expectSameRun(const RunRecord &one, const RunRecord &many)
{
    EXPECT_EQ(exportMessage(many.result), exportMessage(one.result));
    EXPECT_EQ(many.asked, one.asked);
    EXPECT_EQ(many.texts, one.texts);
    ASSERT_EQ(many.files.size(), one.files.size());
    for (const auto &[name, bytes] : one.files) {
        ASSERT_TRUE(many.files.count(name)) << name;
        EXPECT_TRUE(many.files.at(name) == bytes) << name << " differs";
    }
}

CaptionSettings textBox()
{
    CaptionSettings c;
    c.text = "Zv 7";
    c.backColor = RGB(20, 40, 200);
    c.textColor = RGB(255, 255, 0);
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {30, 16, 2, 2};
    return c;
}

} // namespace

// Before the options change (row 10) and before rows are remade (after
// row 14) the test waits until the window's last row has been made ahead,
// so that a picture made with the old options or from the old file is
// there to be wrongly handed out.
TEST(PicturePipeline, HandsRowsOutInOrderMadeWithTheirOptionsAndNeverMoreThanJobsAhead)
{
    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        constexpr std::size_t kRows = 24;
        std::atomic<long> taken{0};
        std::atomic<long> farthest{0};
        std::vector<std::string> version(kRows, "old");
        std::vector<std::atomic<bool>> made(kRows);
        std::mutex versionLock;
        ExportOptions options;
        options.Prefix = "A";
        PicturePipeline pipeline(kRows, jobs, options, [&](const ExportOptions &o, std::size_t row) {
            long ahead = long(row) - taken.load();
            for (long seen = farthest.load(); ahead > seen && !farthest.compare_exchange_weak(seen, ahead);) {
            }
            if (row == 7)
                throw std::bad_alloc();
            std::this_thread::sleep_for(row == 0 ? 150ms : 1ms);
            EncodedPicture e;
            std::lock_guard lock(versionLock);
            e.problem = std::to_string(row) + o.Prefix + version[row];
            made[row] = true;
            return e;
        });
        // The worker hands the picture over just after making it.
        const auto madeAhead = [&](std::size_t row) {
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            while (jobs > 1 && !made[row] && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(5ms);
        };
        int idles = 0;
        for (std::size_t row = 0; row < kRows; ++row) {
            taken = long(row);
            if (row == 10) {
                madeAhead(9 + std::size_t(jobs));
                options.Prefix = "B";
            }
            if (row == 5) {
                pipeline.pass(row);
                continue;
            }
            const EncodedPicture e = pipeline.take(row, options, [&] {
                ++idles;
                return false;
            });
            if (row == 7) {
                EXPECT_EQ(e.kind, ZvErrorKind::TooLarge);
                continue;
            }
            const bool remade = row == 15 || row == 14 + std::size_t(jobs);
            EXPECT_EQ(e.problem, std::to_string(row) + (row < 10 ? "A" : "B") + (remade ? "new" : "old"));
            if (row == 14) {
                madeAhead(14 + std::size_t(jobs));
                {
                    std::lock_guard lock(versionLock);
                    version[15] = version[14 + std::size_t(jobs)] = "new";
                }
                pipeline.remake([&](std::size_t r) { return r == 15 || r == 14 + std::size_t(jobs); });
            }
            std::this_thread::sleep_for(3ms);
        }
        EXPECT_EQ(farthest.load(), jobs == 1 ? 0 : jobs);
        if (jobs > 1) {
            EXPECT_GT(idles, 0);
        }
    }
}

TEST(PicturePipeline, StoppingEarlyWaitsForThePicturesBeingMadeAndMakesNoMore)
{
    std::atomic<int> made{0};
    PicturePipeline pipeline(10, 2, ExportOptions(), [&](const ExportOptions &, std::size_t) {
        ++made;
        std::this_thread::sleep_for(150ms);
        return EncodedPicture();
    });
    pipeline.take(0, ExportOptions(), {});
    int idles = 0;
    pipeline.stop([&] {
        ++idles;
        return false;
    });
    EXPECT_GT(idles, 0); // rows 1 and 2 were being made
    EXPECT_EQ(made.load(), 3);
}

// Every format, with a caption, a resize, a turn, an unreadable file, a
// file kept and one replaced, two pictures aimed at one name and an option
// changed on the way: three jobs write what one job writes, byte for byte,
// and say the same.
TEST(ParallelExport, SameFilesMessagesAndQuestionsAsOneJobInEveryFormat)
{
    const std::string src = freshFolder("par-src"), out = scratchDir() + "/par-out";
    const std::vector<std::tuple<const char *, int, int, ImageType, int>> pictures = {
        {"a.png", 64, 48, ZV_TYPE_PNG, 0},   {"b.jpg", 50, 70, ZV_TYPE_JPG, 90},
        {"c.gif", 33, 21, ZV_TYPE_GIF, 0},   {"d.bmp", 40, 40, ZV_TYPE_BMP, 180},
        {"f.tif", 45, 30, ZV_TYPE_TIF, -90}, {"g.bmp", 20, 30, ZV_TYPE_BMP, 0},
        {"g.png", 30, 20, ZV_TYPE_PNG, 0},
    };
    ExportJob job;
    for (const auto &[name, w, h, type, turn] : pictures)
        job.rows.push_back({name, writePicture(src + "/" + name, w, h, type), turn});
    writeFile(src + "/e.jpg", "not a picture at all");
    job.rows.insert(job.rows.begin() + 4, ExportRow{"e.jpg", src + "/e.jpg", 0});
    job.options.OutputFolder = out;
    job.options.ResizeImage = true;
    job.options.Unit = 1;
    job.options.ResizeWidth = job.options.ResizeHeight = "50";
    job.caption = textBox();

    for (int format = 0; format < kExportFormatCount; ++format) {
        SCOPED_TRACE(format);
        job.options.Format = format;
        // a's output exists and is kept, d's exists and is replaced.
        const auto existing = [&] {
            for (std::size_t row : {0u, 3u}) {
                const ExportRow &r = job.rows[row];
                writeFile(joinFolder(out, stemOf(r.name) + outputFormatFor(format, r.name, r.path).extension),
                          "old");
            }
        };
        const RunRecord one = runWith(job, 1, out, existing);
        const RunRecord many = runWith(job, 3, out, existing);
        expectSameRun(one, many);
        EXPECT_EQ(one.result.saved, format == 0 ? 6 : 5);
        EXPECT_EQ(one.asked.size(), 2u);
        EXPECT_EQ(one.files.size(), format == 0 ? 7u : 6u);
    }
}

// A listed file that only the run itself writes (deleted after it was
// picked, then written under its name by an earlier row) is read as written.
TEST(ParallelExport, ARowReadsTheFileAnEarlierRowWrote)
{
    const std::string src = freshFolder("appear-src"), out = scratchDir() + "/appear-out";
    ExportJob job;
    job.rows = {{"a.bmp", writePicture(src + "/a.bmp", 24, 16, ZV_TYPE_BMP), 0},
                {"Photo0000.JPG", out + "/Photo0000.JPG", 0}};
    job.options.OutputFolder = out;
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Format = kFormatJpeg;
    const RunRecord one = runWith(job, 1, out, [] {});
    const RunRecord many = runWith(job, 3, out, [] {});
    expectSameRun(one, many);
    EXPECT_EQ(many.result.saved, 2);
}

// Cancelling, a vanished output folder and a full disk end a run with
// several jobs as they end it with one, and leave no temporary file.
TEST(ParallelExport, CancelVanishedFolderAndFullDiskEndTheRunAsWithOneJob)
{
    const std::string src = freshFolder("ends-src"), out = scratchDir() + "/ends-out";
    ExportJob job;
    for (int i = 0; i < 6; ++i) {
        const std::string name = std::string(1, char('a' + i)) + ".bmp";
        // Odd rows are ten times as large as the file size limit below.
        job.rows.push_back(
            {name, writePicture(src + "/" + name, i % 2 ? 90 : 8, i % 2 ? 90 : 8, ZV_TYPE_BMP), 0});
    }
    job.options.OutputFolder = out;
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Format = 3; // BMP: its size is known

    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        job.jobs = jobs;
        fs::remove_all(out);
        fs::create_directories(out);
        ScriptObserver cancel;
        cancel.cancelWhen = [](int done) { return done == 2; };
        ExportResult r = RunExport(job, cancel);
        EXPECT_EQ(r.end, ExportEnd::Cancelled);
        EXPECT_EQ(filesIn(out).size(), 2u);

        ScriptObserver vanish;
        vanish.cancelWhen = [&](int done) {
            if (done == 1)
                fs::remove_all(out);
            return false;
        };
        r = RunExport(job, vanish);
        EXPECT_EQ(r.end, ExportEnd::FolderUnavailable);
        EXPECT_FALSE(fs::exists(out));

        fs::create_directories(out);
        rlimit before{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
        rlimit small = before;
        small.rlim_cur = 2400;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        ScriptObserver full;
        r = RunExport(job, full);
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(r.end, ExportEnd::Finished);
        EXPECT_EQ(r.saved, 3);
        ASSERT_EQ(r.issues.size(), 3u);
        EXPECT_EQ(r.issues[1].name, "d.bmp");
        EXPECT_NE(r.issues[1].text.find("File too large"), std::string::npos) << r.issues[1].text;
        EXPECT_EQ(filesIn(out).size(), 3u); // no temporary file stays behind
        EXPECT_TRUE(fs::exists(out + "/Photo0002.BMP"));
    }
}
