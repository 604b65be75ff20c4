// bench/tgapcx_bench.cpp
// TGA and PCX save and load of a 12-megapixel 24-bit picture, each beside
// ImageMagick doing the same to the same files in the same run.
//
// ImageMagick runs as `convert`, so its figures include starting the
// process; BM_MagickBaseline measures that start plus reading the source
// from ImageMagick's own memory-mapped cache format, which is all the
// save rows have on top of the encoding itself. Files go to a private
// folder under $TMPDIR, removed at exit.
#include "imagelib/core/image.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kWidth = 4000;
constexpr std::uint32_t kHeight = 3000;

// A camera-like picture: smooth gradients with a little noise, so that the
// PCX run-length coder meets runs about as often as in a photograph.
ZvImage &picture()
{
    static ZvImage image = [] {
        ZvImage im(kWidth, kHeight, 24, 0);
        std::uint32_t seed = 12345;
        for (std::uint32_t y = 0; y < kHeight; ++y) {
            std::uint8_t *p = im.GetBits(y);
            for (std::uint32_t x = 0; x < kWidth; ++x, p += 3) {
                seed = seed * 1664525u + 1013904223u;
                const std::uint32_t noise = seed >> 30;
                p[0] = std::uint8_t(x / 16 + noise);
                p[1] = std::uint8_t(y / 12);
                p[2] = std::uint8_t((x + y) / 28 + noise);
            }
        }
        return im;
    }();
    return image;
}

const std::string &workDir()
{
    static const std::string dir = [] {
        std::string tmpl = (fs::temp_directory_path() / "zv-tgapcx-XXXXXX").string();
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

std::string pathOf(const char *name)
{
    return workDir() + "/" + name;
}

// Source files written once: ours for loading, ImageMagick's cache for its saves.
void prepare()
{
    static const bool done = [] {
        picture().Save(pathOf("src.tga").c_str(), 7);
        picture().Save(pathOf("src.pcx").c_str(), 8);
        const std::string cmd = "convert '" + pathOf("src.tga") + "' '" + pathOf("src.mpc") + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "ImageMagick could not make its source; its rows will fail\n");
        return true;
    }();
    (void)done;
}

void runOrFail(benchmark::State &state, const std::string &cmd)
{
    if (std::system(cmd.c_str()) != 0)
        state.SkipWithError(("failed: " + cmd).c_str());
}

void BM_ZvSave(benchmark::State &state)
{
    prepare();
    const std::uint32_t type = std::uint32_t(state.range(0));
    const std::string out = pathOf(type == 7 ? "zv-out.tga" : "zv-out.pcx");
    for (auto _ : state) {
        if (!picture().Save(out.c_str(), type))
            state.SkipWithError(picture().GetLastError());
    }
    state.SetLabel(type == 7 ? "TGA" : "PCX");
}

void BM_ZvLoad(benchmark::State &state)
{
    prepare();
    const std::uint32_t type = std::uint32_t(state.range(0));
    const std::string in = pathOf(type == 7 ? "src.tga" : "src.pcx");
    for (auto _ : state) {
        ZvImage image;
        if (!image.Load(in.c_str(), type))
            state.SkipWithError(image.GetLastError());
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    state.SetLabel(type == 7 ? "TGA" : "PCX");
}

void BM_MagickSave(benchmark::State &state)
{
    prepare();
    const bool tga = state.range(0) == 7;
    const std::string cmd =
        "convert '" + pathOf("src.mpc") + "' '" + pathOf(tga ? "im-out.tga" : "im-out.pcx") + "'";
    for (auto _ : state)
        runOrFail(state, cmd);
    state.SetLabel(tga ? "TGA" : "PCX");
}

void BM_MagickLoad(benchmark::State &state)
{
    prepare();
    const bool tga = state.range(0) == 7;
    const std::string cmd = "convert '" + pathOf(tga ? "src.tga" : "src.pcx") + "' null:";
    for (auto _ : state)
        runOrFail(state, cmd);
    state.SetLabel(tga ? "TGA" : "PCX");
}

void BM_MagickBaseline(benchmark::State &state)
{
    prepare();
    const std::string cmd = "convert '" + pathOf("src.mpc") + "' null:";
    for (auto _ : state)
        runOrFail(state, cmd);
}

} // namespace

BENCHMARK(BM_ZvSave)->Arg(7)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_MagickSave)->Arg(7)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ZvLoad)->Arg(7)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_MagickLoad)->Arg(7)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MagickBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
