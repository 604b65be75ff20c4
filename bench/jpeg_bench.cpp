// bench/jpeg_bench.cpp
// JPEG decode and encode of one camera-sized file against libjpeg-turbo's
// own djpeg and cjpeg on the same file, in the same run. Both tools write
// to /dev/null. Besides wall time, the tools' own CPU time is taken from
// the kernel (tool_cpu_ms), to compare with our CPU time on a busy machine;
// a run of djpeg on a tiny file shows what starting a process costs.
//
// ZV_BENCH_JPEG names the file (bench/jpeg_vs_djpeg.sh makes one).
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/streams/io_file.h"

#include "bench/run_tool.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string benchFile()
{
    const char *path = std::getenv("ZV_BENCH_JPEG");
    return path ? path : "";
}

std::string scratchPath(const char *name)
{
    const char *dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/zv-jpeg-bench-" + name;
}

void zvDecode(benchmark::State &state)
{
    const std::string path = benchFile();
    const auto scale = std::uint8_t(state.range(0));
    for (auto _ : state) {
        ZvImage image(ZV_TYPE_JPG);
        image.SetJpegScale(scale);
        if (!image.Load(path.c_str(), ZV_TYPE_JPG)) {
            state.SkipWithError(image.GetLastError());
            break;
        }
        benchmark::DoNotOptimize(image.GetBits(0));
    }
}

void djpegDecode(benchmark::State &state)
{
    const std::string scale = "1/" + std::to_string(state.range(0));
    double cpu = 0;
    for (auto _ : state) {
        if (!runTool({"djpeg", "-scale", scale, "-outfile", "/dev/null", benchFile()}, &cpu)) {
            state.SkipWithError("djpeg failed");
            break;
        }
    }
    state.counters["tool_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

void zvEncode(benchmark::State &state)
{
    ZvImage image(benchFile().c_str(), ZV_TYPE_JPG);
    if (!image.IsValid()) {
        state.SkipWithError(image.GetLastError());
        return;
    }
    image.SetJpegQuality(90);
    for (auto _ : state) {
        ZvIOFile out;
        if (!out.Open("/dev/null", "wb") || !image.Encode(&out, ZV_TYPE_JPG)) {
            state.SkipWithError("encode failed");
            break;
        }
    }
}

void cjpegEncode(benchmark::State &state)
{
    const std::string ppm = scratchPath("source.ppm");
    if (!runTool({"djpeg", "-outfile", ppm, benchFile()})) {
        state.SkipWithError("djpeg failed");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        if (!runTool({"cjpeg", "-quality", "90", "-outfile", "/dev/null", ppm}, &cpu)) {
            state.SkipWithError("cjpeg failed");
            break;
        }
    }
    state.counters["tool_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    std::remove(ppm.c_str());
}

// What starting djpeg costs by itself: an 8 x 8 file.
void processStart(benchmark::State &state)
{
    const std::string tiny = scratchPath("tiny.jpg");
    ZvImage dot(8, 8, 24);
    ZvIOFile file;
    if (!file.Open(tiny.c_str(), "wb") || !dot.Encode(&file, ZV_TYPE_JPG)) {
        state.SkipWithError("cannot write the tiny file");
        return;
    }
    file.Close();
    double cpu = 0;
    for (auto _ : state)
        runTool({"djpeg", "-outfile", "/dev/null", tiny}, &cpu);
    state.counters["tool_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    std::remove(tiny.c_str());
}

} // namespace

BENCHMARK(zvDecode)->Name("decode/zv")->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(djpegDecode)->Name("decode/djpeg")->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(zvEncode)->Name("encode/zv")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(cjpegEncode)->Name("encode/cjpeg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(processStart)->Name("start/djpeg")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchFile().empty()) {
        std::fprintf(stderr, "set ZV_BENCH_JPEG to a JPEG file (bench/jpeg_vs_djpeg.sh makes one)\n");
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
