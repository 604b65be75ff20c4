// bench/export_safety_bench.cpp
// Two figures of a run a user can trust, measured by hand:
//  - cancel: a run writing 12 MP PNG files is stopped while pictures are
//    being made; the time from the request to the summary, and what was
//    written afterwards (nothing) and left behind (no temporary file);
//  - check: the list of what a run would do for N pictures, headers only.
// Wall and CPU time are printed: on a shared machine the CPU time is the
// steadier figure.
//   export_safety_bench SCRATCH_FOLDER [PICTURES_FOR_CHECK] [check]
#include "export/export_observer.h"
#include "export/export_plan.h"
#include "export/export_run.h"
#include "imagelib/core/image.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// Asks to stop once the run has been going for delay; notes when it asked
// and when the summary came.
class StopAfter : public ExportObserver
{
  public:
    explicit StopAfter(std::chrono::milliseconds delay)
        : mStart(Clock::now())
        , mDelay(delay)
    {
    }
    void setRange(int) override {}
    void setText(const std::string &) override {}
    void step() override {}
    bool isCancelled() override { return stopNow(); }
    OverwriteAnswer askOverwrite(const std::string &) override { return OverwriteAnswer::Yes; }
    void showMessage(const std::string &) override { summary = Clock::now(); }
    bool idle() override { return stopNow(); }

    Clock::time_point asked{}, summary{};

  private:
    bool stopNow()
    {
        if (asked == Clock::time_point() && Clock::now() - mStart >= mDelay)
            asked = Clock::now();
        return asked != Clock::time_point();
    }
    Clock::time_point mStart;
    std::chrono::milliseconds mDelay;
};

void benchCancel(const std::string &scratch)
{
    const std::string src = scratch + "/cancel-src", out = scratch + "/cancel-out";
    fs::create_directories(src);
    ExportJob job;
    for (int i = 0; i < 6; ++i) {
        const std::string path = src + "/p" + std::to_string(i) + ".bmp";
        if (!fs::exists(path)) {
            ZvImage noise(4000, 3000, 24);
            for (std::uint32_t y = 0; y < 3000; ++y) {
                std::uint8_t *row = noise.GetBits(y);
                for (std::uint32_t x = 0; x < 4000 * 3; ++x)
                    row[x] = std::uint8_t((x * 7 + y * 13 + std::uint32_t(i) * 31) ^ (x >> 3));
            }
            noise.Save(path.c_str(), ZV_TYPE_BMP);
        }
        job.rows.push_back({"p" + std::to_string(i) + ".bmp", path, 0});
    }
    job.options.OutputFolder = out;
    job.options.Format = 5; // PNG
    job.jobs = 2;
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        fs::remove_all(out);
        fs::create_directories(out);
        StopAfter observer(std::chrono::milliseconds(400 + 150 * run));
        const ExportResult result = RunExport(job, observer);
        const double ms =
            std::chrono::duration<double, std::milli>(observer.summary - observer.asked).count();
        times.push_back(ms);
        int files = 0, temporaries = 0;
        for (const auto &e : fs::directory_iterator(out))
            ++(e.path().filename().string().find(".zvtmp") != std::string::npos ? temporaries : files);
        std::printf("cancel run %d: stop asked after %d ms, summary %.0f ms later, %d files (%d saved), %d "
                    "temporary\n",
                    run, 400 + 150 * run, ms, files, result.saved, temporaries);
    }
    std::sort(times.begin(), times.end());
    std::printf("cancel to summary, 12 MP PNG output, 2 workers: median %.0f ms, worst %.0f ms\n", times[2],
                times.back());
}

void benchCheck(const std::string &scratch, int count)
{
    const std::string src = scratch + "/check-src";
    fs::create_directories(src);
    ExportJob job;
    ZvImage small(64, 48, 24);
    for (int i = 0; i < count; ++i) {
        const char *ext = i % 2 ? ".png" : ".jpg";
        const std::string name = "p" + std::to_string(i) + ext;
        const std::string path = src + "/" + name;
        if (!fs::exists(path))
            small.Save(path.c_str(), i % 2 ? ZV_TYPE_PNG : ZV_TYPE_JPG);
        job.rows.push_back({name, path, 0});
    }
    job.options.OutputFolder = scratch + "/check-out";
    fs::create_directories(job.options.OutputFolder);
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Format = 1;
    job.options.ResizeImage = true;
    for (int run = 0; run < 3; ++run) {
        const Clock::time_point start = Clock::now();
        const double cpu = cpuMs();
        const ExportPlan plan = planExport(job);
        std::printf("check of %d pictures (half JPEG, half PNG, counter names): %.0f ms wall, %.0f ms CPU, "
                    "%zu lines\n",
                    count, msSince(start), cpuMs() - cpu, plan.lines.size());
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: export_safety_bench SCRATCH_FOLDER [PICTURES_FOR_CHECK]\n");
        return 2;
    }
    const std::string scratch = argv[1];
    if (argc <= 3)
        benchCancel(scratch);
    benchCheck(scratch, argc > 2 ? std::atoi(argv[2]) : 10000);
    return 0;
}
