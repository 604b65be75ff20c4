// bench/modern_decode_bench.cpp
// Decoding one camera-sized WebP, AVIF and JPEG XL file with our readers
// against the formats' own decoder tools on the same files, in the same
// run. The libraries are the same, so the gap is our copying into the DIB
// (and, for the tools, writing their output and starting a process; a run
// on a tiny file shows that share). Single-threaded on both sides: the
// export decodes one picture per core. The tools' CPU time comes from the
// kernel (tool_cpu_ms).
//
// ZV_BENCH_WEBP, ZV_BENCH_AVIF and ZV_BENCH_JXL name the files
// (bench/modern_vs_tools.sh makes them).
#include "imagelib/core/image.h"

#include "bench/run_tool.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Format
{
    const char *name;
    const char *variable;
    std::uint32_t type;
};
const Format kFormats[] = {{"webp", "ZV_BENCH_WEBP", ZV_TYPE_WEBP},
                           {"avif", "ZV_BENCH_AVIF", ZV_TYPE_AVIF},
                           {"jxl", "ZV_BENCH_JXL", ZV_TYPE_JXL}};

std::string fileOf(const Format &f)
{
    const char *path = std::getenv(f.variable);
    return path ? path : "";
}

// The reference decoder's command: decode only, or to the cheapest output.
std::vector<std::string> toolCommand(const Format &f, const std::string &path)
{
    if (std::string(f.name) == "webp")
        return {"dwebp", "-quiet", path}; // no output: decode only
    if (std::string(f.name) == "avif")
        return {"avifdec", "-j", "1", "-d", "8", path, "/dev/shm/zv-bench-avif.png"};
    return {"djxl", path, "--num_threads=1", "--quiet"}; // no output: decode only
}

void zvDecode(benchmark::State &state, const Format &f)
{
    const std::string path = fileOf(f);
    for (auto _ : state) {
        ZvImage image;
        if (!image.Load(path.c_str(), f.type)) {
            state.SkipWithError(image.GetLastError());
            break;
        }
        benchmark::DoNotOptimize(image.GetBits(0));
    }
}

void toolDecode(benchmark::State &state, const Format &f)
{
    double cpu = 0;
    for (auto _ : state) {
        if (!runTool(toolCommand(f, fileOf(f)), &cpu)) {
            state.SkipWithError("the tool failed");
            break;
        }
    }
    state.counters["tool_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (const Format &f : kFormats) {
        if (fileOf(f).empty())
            continue;
        benchmark::RegisterBenchmark((std::string("decode/zv/") + f.name).c_str(), zvDecode, f)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("decode/tool/") + f.name).c_str(), toolDecode, f)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
