// bench/export_bench.cpp
// The captioning job of bench/peers.sh in-process, one picture per
// iteration, with the reduced-scale JPEG decode on and off: what the
// reduced decode saves, without process start-up in the figures.
// ZV_BENCH_CORPUS names the corpus folder (default /work/benchcorpus).
#include "bench/quiet_observer.h"
#include "export/export_run.h"
#include "platform/headless.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<ExportRow> corpusRows()
{
    const char *env = std::getenv("ZV_BENCH_CORPUS");
    const fs::path dir = env && *env ? env : "/work/benchcorpus";
    std::vector<ExportRow> rows;
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(dir, ec)) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".jpg")
            rows.push_back({name, e.path().string(), name.rfind("port-", 0) == 0 ? 90 : 0});
    }
    std::sort(rows.begin(), rows.end(),
              [](const ExportRow &a, const ExportRow &b) { return a.path < b.path; });
    return rows;
}

// The peers' job: a 300 x 40 #202020 box with 26 px white text 10 px from the
// bottom-right corner of the 800 x 600 result; drawn before the resize, so
// at five times that size on a 4000 x 3000 picture.
ExportJob captionJob(const std::string &out)
{
    ExportJob job;
    job.options.OutputFolder = out;
    job.options.Format = kFormatJpeg;
    job.options.JpegQuality = 90;
    job.options.ResizeImage = true;
    job.options.AspectRatio = true;
    job.options.ResizeHeight = "600";
    CaptionSettings c;
    c.text = "Zelventa 2026";
    c.font.lfHeight = -130;
    c.textColor = RGB(255, 255, 255);
    c.backColor = RGB(0x20, 0x20, 0x20);
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {1550, 250, 50, 50};
    job.caption = c;
    return job;
}

// The same box as a design that sizes with the picture (made on the
// 4000 x 3000 pictures, so its pixels come out as above on every one of
// them), with padding and a 400-character text wrapped to the box: what
// those cost on top of the plain caption.
ExportJob styledCaptionJob(const std::string &out)
{
    ExportJob job = captionJob(out);
    CaptionSettings &c = *job.caption;
    c.text = QStringLiteral("%{file}: ");
    while (c.text.size() < 400)
        c.text += QStringLiteral("A long caption wrapped to the box, laid out once per picture size. ");
    c.text.truncate(400);
    c.style.referenceSide = 3000;
    c.style.wordWrap = true;
    c.style.padding = 10;
    return job;
}

void runJob(benchmark::State &state, ExportJob (*makeJob)(const std::string &))
{
    const std::vector<ExportRow> rows = corpusRows();
    if (rows.empty()) {
        state.SkipWithError("no corpus: run /work/shared/bench/make-corpus.sh /work/benchcorpus");
        return;
    }
    const std::string out = (fs::temp_directory_path() / "zv-export-bench").string();
    fs::create_directories(out);
    ExportJob job = makeJob(out);
    job.reducedJpegDecode = state.range(0) != 0;
    job.jobs = 1; // one picture per run: the time of one picture, without threads
    QuietObserver quiet;
    std::size_t next = 0;
    for (auto _ : state) {
        job.rows = {rows[next++ % rows.size()]};
        if (RunExport(job, quiet).saved != 1)
            state.SkipWithError("a picture was not saved");
    }
    state.SetLabel(job.reducedJpegDecode ? "reduced decode" : "full decode");
    fs::remove_all(out);
}
void BM_CaptionJob(benchmark::State &state)
{
    runJob(state, captionJob);
}
BENCHMARK(BM_CaptionJob)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StyledCaptionJob(benchmark::State &state)
{
    runJob(state, styledCaptionJob);
}
BENCHMARK(BM_StyledCaptionJob)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessQt(true);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
