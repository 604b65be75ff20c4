// bench/pngtif_bench.cpp
// PNG and TIFF save and load of one 12-megapixel 24-bit picture, each beside
// ImageMagick doing the same to the same files in the same run.
//
// The picture is $ZV_BENCH_PICTURE when set (pngtif_bench.sh passes the
// shared corpus maker's camera-like PNG), else a synthetic one. Both sides
// load the same files: the source PNG, and the TIFFs our encoder wrote.
// ImageMagick runs as `convert`, so its figures include starting the
// process; BM_MagickBaseline measures that start plus reading the source
// from ImageMagick's own memory-mapped cache format, which is all its save
// rows have on top of the encoding itself. Files go to a private folder
// under $TMPDIR, removed at exit.
#include "imagelib/core/image.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

// One row of the comparison: our codec settings and ImageMagick's equivalent.
struct Case
{
    const char *label;
    std::uint32_t type;
    std::uint32_t option; // TIFF compression, 0 = by bit count (JPEG for 24 bits)
    const char *file;
    const char *magickArgs; // ImageMagick's options for the same encoding
};

const Case kCases[] = {
    {"PNG", 4, 0, "out.png", ""},
    {"TIFF JPEG q90", 6, 0, "jpeg.tif", "-compress JPEG -quality 90"},
    {"TIFF LZW+predictor", 6, 5, "lzw.tif", "-compress LZW -define tiff:predictor=2"},
    {"TIFF uncompressed", 6, 1, "none.tif", "-compress None"},
};

const std::string &workDir()
{
    static const std::string dir = [] {
        std::string tmpl = (fs::temp_directory_path() / "zv-pngtif-XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            std::abort();
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(workDir(), ec);
        });
        return tmpl;
    }();
    return dir;
}

std::string pathOf(const std::string &name)
{
    return workDir() + "/" + name;
}

// Smooth gradients with sensor-like noise: about what a photograph costs a
// deflate or LZW coder.
ZvImage synthetic()
{
    ZvImage im(4000, 3000, 24, 0);
    std::uint32_t seed = 12345;
    for (std::uint32_t y = 0; y < 3000; ++y) {
        std::uint8_t *p = im.GetBits(y);
        for (std::uint32_t x = 0; x < 4000; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t noise = seed >> 29;
            p[0] = std::uint8_t(x / 16 + noise);
            p[1] = std::uint8_t(y / 12 + (noise >> 1));
            p[2] = std::uint8_t((x + y) / 28 + noise);
        }
    }
    return im;
}

ZvImage &picture()
{
    static ZvImage image = [] {
        const char *source = std::getenv("ZV_BENCH_PICTURE");
        ZvImage im;
        if (source && *source && im.Load(source, 0) && im.GetBpp() == 24)
            return im;
        return synthetic();
    }();
    return image;
}

// Source files written once: the PNG both sides load, our TIFFs, and
// ImageMagick's cache for its saves.
void prepare()
{
    static const bool done = [] {
        picture().SetCodecOption(0);
        picture().Save(pathOf("src.png").c_str(), 4);
        for (const Case &c : kCases) {
            picture().SetCodecOption(c.option);
            picture().Save(pathOf(std::string("src-") + c.file).c_str(), c.type);
        }
        picture().SetCodecOption(0);
        const std::string cmd = "convert '" + pathOf("src.png") + "' '" + pathOf("src.mpc") + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "ImageMagick could not make its source; its rows will fail\n");
        return true;
    }();
    (void)done;
}

double childCpuSeconds()
{
    struct rusage usage;
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the command per iteration; on a shared machine the processor time
// ImageMagick spent (as "cpu_ms") is the figure to hold against our CPU column.
void runMagick(benchmark::State &state, const std::string &cmd)
{
    const double before = childCpuSeconds();
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError(("failed: " + cmd).c_str());
    }
    state.counters["cpu_ms"] = (childCpuSeconds() - before) * 1000.0 / double(state.iterations());
}

// The file both sides load for a case: the source PNG, or our TIFF.
std::string loadSource(const Case &c)
{
    return pathOf(c.type == 4 ? std::string("src.png") : std::string("src-") + c.file);
}

void BM_ZvSave(benchmark::State &state)
{
    prepare();
    const Case &c = kCases[state.range(0)];
    const std::string out = pathOf(std::string("zv-") + c.file);
    picture().SetCodecOption(c.option);
    for (auto _ : state) {
        if (!picture().Save(out.c_str(), c.type))
            state.SkipWithError(picture().GetLastError());
    }
    picture().SetCodecOption(0);
    state.counters["MB"] = double(fs::file_size(out)) / 1e6;
    state.SetLabel(c.label);
}

void BM_MagickSave(benchmark::State &state)
{
    prepare();
    const Case &c = kCases[state.range(0)];
    const std::string out = pathOf(std::string("im-") + c.file);
    const std::string cmd = "convert '" + pathOf("src.mpc") + "' " + c.magickArgs + " '" + out + "'";
    runMagick(state, cmd);
    state.counters["MB"] = double(fs::file_size(out)) / 1e6;
    state.SetLabel(c.label);
}

void BM_ZvLoad(benchmark::State &state)
{
    prepare();
    const Case &c = kCases[state.range(0)];
    const std::string in = loadSource(c);
    for (auto _ : state) {
        ZvImage image;
        if (!image.Load(in.c_str(), c.type))
            state.SkipWithError(image.GetLastError());
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    state.SetLabel(c.label);
}

void BM_MagickLoad(benchmark::State &state)
{
    prepare();
    const Case &c = kCases[state.range(0)];
    const std::string cmd = "convert '" + loadSource(c) + "' null:";
    runMagick(state, cmd);
    state.SetLabel(c.label);
}

void BM_MagickBaseline(benchmark::State &state)
{
    prepare();
    runMagick(state, "convert '" + pathOf("src.mpc") + "' null:");
}

} // namespace

BENCHMARK(BM_ZvSave)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MagickSave)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ZvLoad)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MagickLoad)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MagickBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
