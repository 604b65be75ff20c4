// bench/geometry_bench.cpp
// Resample and rotate on a 12-megapixel 24-bit picture, each reported as a
// ratio to one memcpy of the same pixels measured in the same run.
#include "imagelib/core/image.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 4000;
constexpr std::uint32_t kHeight = 3000;

// A camera-like picture: smooth gradients with a little noise.
const ZvImage &picture()
{
    static const ZvImage image = [] {
        ZvImage im(kWidth, kHeight, 24, 3);
        std::uint32_t seed = 12345;
        for (std::uint32_t y = 0; y < kHeight; ++y) {
            std::uint8_t *p = im.GetBits(y);
            for (std::uint32_t x = 0; x < kWidth; ++x, p += 3) {
                seed = seed * 1664525u + 1013904223u;
                const std::uint32_t noise = seed >> 29;
                p[0] = std::uint8_t(x / 16 + noise);
                p[1] = std::uint8_t(y / 12 + noise);
                p[2] = std::uint8_t((x + y) / 28 + noise);
            }
        }
        return im;
    }();
    return image;
}

std::size_t pixelBytes()
{
    return std::size_t(picture().GetEffWidth()) * kHeight;
}

void BM_Memcpy(benchmark::State &state)
{
    std::vector<std::uint8_t> dst(pixelBytes());
    const std::uint8_t *src = picture().GetBits(0);
    for (auto _ : state) {
        std::memcpy(dst.data(), src, dst.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(dst.size()));
}

void BM_Resample(benchmark::State &state)
{
    const int mode = int(state.range(0));
    ZvImage dst;
    for (auto _ : state) {
        if (!const_cast<ZvImage &>(picture()).Resample(800, 600, mode, &dst))
            state.SkipWithError("Resample failed");
        benchmark::DoNotOptimize(dst.GetBits(0));
    }
}

template <bool (ZvImage::*Turn)(ZvImage *)> void BM_Turn(benchmark::State &state)
{
    ZvImage dst;
    for (auto _ : state) {
        if (!(const_cast<ZvImage &>(picture()).*Turn)(&dst))
            state.SkipWithError("rotation failed");
        benchmark::DoNotOptimize(dst.GetBits(0));
    }
}

void BM_Copy(benchmark::State &state)
{
    ZvImage dst;
    for (auto _ : state) {
        dst.Copy(picture());
        benchmark::DoNotOptimize(dst.GetBits(0));
    }
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Resample)->ArgName("mode")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Turn<&ZvImage::RotateRight>)
    ->Name("BM_RotateRight")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Turn<&ZvImage::RotateLeft>)->Name("BM_RotateLeft")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Turn<&ZvImage::Rotate180>)->Name("BM_Rotate180")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the console table as usual, then every result as a multiple of the
// memcpy (medians when repetitions are asked for).
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            Times &slot = mTimes[name];
            if (median || !slot.fromMedian)
                slot = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto base = mTimes.find("BM_Memcpy");
        if (base == mTimes.end() || base->second.real <= 0 || base->second.cpu <= 0)
            return;
        const std::map<std::string, const char *> targets = {{"BM_Resample/mode:0", "8"},
                                                             {"BM_RotateRight", "4"},
                                                             {"BM_RotateLeft", "4"},
                                                             {"BM_Rotate180", "4"},
                                                             {"BM_Copy", "1.5"}};
        // CPU time as well: on a shared machine the wall clock also counts other people's work.
        std::printf("\n%-20s %9s %9s %9s %9s %7s\n", "operation", "real ms", "x memcpy", "cpu ms", "x memcpy",
                    "target");
        for (const auto &[name, time] : mTimes) {
            const auto target = targets.find(name);
            std::printf("%-20s %9.2f %9.2f %9.2f %9.2f %7s\n", name.c_str(), time.real,
                        time.real / base->second.real, time.cpu, time.cpu / base->second.cpu,
                        target == targets.end() ? "-" : target->second);
        }
    }

  private:
    struct Times
    {
        double real = 0; // ms
        double cpu = 0;  // ms
        bool fromMedian = false;
    };
    std::map<std::string, Times> mTimes;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    picture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
