// bench/gif_bench.cpp
// GIF encoding of a 1000 x 1000 picture: 8 bits with each of our three
// coders and 24 bits as exact-colour tiles, each beside ImageMagick
// encoding the same picture to GIF in the same run.
//
// ImageMagick runs in-process through MagickWand, limited to one thread as
// our encoder is, and writes into a memory blob as we write into a memory
// stream; its picture is built (and for 8 bits made a palette picture) once,
// outside the timing. For 24 bits it has to reduce the colours to 256,
// which is what saving such a picture as GIF costs it; we keep them exact.
#include "bench/magick_gif.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::uint32_t kSide = 1000;

// A photograph-like scene: smooth gradients, a sharp-edged block and fine
// noise, as top-down red, green, blue.
std::vector<std::uint8_t> sceneRgb()
{
    std::vector<std::uint8_t> rgb(std::size_t(kSide) * kSide * 3);
    std::uint32_t seed = 777;
    std::size_t i = 0;
    for (std::uint32_t y = 0; y < kSide; ++y) {
        for (std::uint32_t x = 0; x < kSide; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 29) - 4;
            const bool block = x > 600 && x < 850 && y > 150 && y < 500;
            rgb[i++] = std::uint8_t(block ? 200 : std::clamp(int(x / 4) + noise, 0, 255));
            rgb[i++] = std::uint8_t(block ? 40 : std::clamp(int(y / 4) + noise, 0, 255));
            rgb[i++] = std::uint8_t(block ? 40 : std::clamp(int((x + y) / 8) + noise, 0, 255));
        }
    }
    return rgb;
}

// The scene reduced to a 6 x 7 x 6 colour cube: what an 8-bit picture of
// a photograph looks like.
std::uint8_t cubeIndex(const std::uint8_t *p)
{
    return std::uint8_t((p[0] * 6 / 256) * 42 + (p[1] * 7 / 256) * 6 + p[2] * 6 / 256);
}

std::uint8_t cubeLevel(int level, int levels)
{
    return std::uint8_t(level * 255 / (levels - 1));
}

ZvImage &picture8()
{
    static ZvImage image = [] {
        ZvImage im(kSide, kSide, 8, 0);
        for (int i = 0; i < 252; ++i)
            im.SetPaletteColor(std::uint8_t(i), RGBQUAD{cubeLevel(i % 6, 6), cubeLevel(i / 6 % 7, 7),
                                                        cubeLevel(i / 42, 6), 0});
        const std::vector<std::uint8_t> rgb = sceneRgb();
        for (std::uint32_t y = 0; y < kSide; ++y) {
            std::uint8_t *row = im.GetBits(kSide - 1 - y);
            for (std::uint32_t x = 0; x < kSide; ++x)
                row[x] = cubeIndex(&rgb[(std::size_t(y) * kSide + x) * 3]);
        }
        return im;
    }();
    return image;
}

ZvImage &picture24()
{
    static ZvImage image = [] {
        ZvImage im(kSide, kSide, 24, 0);
        const std::vector<std::uint8_t> rgb = sceneRgb();
        for (std::uint32_t y = 0; y < kSide; ++y) {
            std::uint8_t *row = im.GetBits(kSide - 1 - y);
            for (std::uint32_t x = 0; x < kSide; ++x) {
                const std::uint8_t *p = &rgb[(std::size_t(y) * kSide + x) * 3];
                row[3 * x] = p[2];
                row[3 * x + 1] = p[1];
                row[3 * x + 2] = p[0];
            }
        }
        return im;
    }();
    return image;
}

// Top-down red, green, blue of a picture, the form MagickWand takes.
std::vector<std::uint8_t> rgbOf(const ZvImage &image)
{
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t(kSide) * kSide * 3);
    for (std::uint32_t y = kSide; y-- > 0;) {
        for (std::uint32_t x = 0; x < kSide; ++x) {
            const RGBQUAD c = image.GetPixelColor(std::int32_t(x), std::int32_t(y), false);
            rgb.insert(rgb.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    }
    return rgb;
}

void encodeOurs(benchmark::State &state, ZvImage &picture)
{
    picture.SetCodecOption(std::uint32_t(state.range(0)));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        ZvMemFile out;
        out.Open();
        if (!picture.Encode(&out, 2))
            state.SkipWithError(picture.GetLastError());
        bytes = out.Size();
        benchmark::DoNotOptimize(out.GetBuffer(false));
    }
    state.counters["bytes"] = double(bytes);
}

void encodeMagick(benchmark::State &state, const ZvImage &picture, bool palette)
{
    MagickGif magick(rgbOf(picture), kSide, kSide, palette);
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        magick.Prepare();
        state.ResumeTiming();
        bytes = magick.Encode();
        if (bytes == 0)
            state.SkipWithError("ImageMagick did not encode");
    }
    state.counters["bytes"] = double(bytes);
}

void BM_Gif8Ours(benchmark::State &state)
{
    encodeOurs(state, picture8());
}

void BM_Gif8Magick(benchmark::State &state)
{
    encodeMagick(state, picture8(), true);
}

void BM_Gif24TilesOurs(benchmark::State &state)
{
    encodeOurs(state, picture24());
}

void BM_Gif24Magick(benchmark::State &state)
{
    encodeMagick(state, picture24(), false);
}

} // namespace

// Argument: the codec option, 0 run-length, 1 literal codes, 2 LZW.
BENCHMARK(BM_Gif8Ours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif8Magick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif24TilesOurs)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif24Magick)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
