// bench/heif_bench.cpp
// Decoding one HEIF file (ZV_BENCH_HEIF) in process: our reader's full
// decode and its thumbnail path, against the libheif calls heif-convert
// makes before it writes a file (decode to interleaved RGB), so the
// difference is our copying into the DIB.
#include "imagelib/codecs/heif/codec_heif.h"
#include "imagelib/streams/mem_file.h"

#include <benchmark/benchmark.h>
#include <libheif/heif.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const std::vector<std::uint8_t> &fileBytes()
{
    static const std::vector<std::uint8_t> sBytes = [] {
        const char *path = std::getenv("ZV_BENCH_HEIF");
        std::ifstream in(path ? path : "", std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return sBytes;
}

void decodeOurs(benchmark::State &state)
{
    std::vector<std::uint8_t> bytes = fileBytes();
    for (auto _ : state) {
        ZvMemFile file(bytes.data(), bytes.size());
        ZvImageHEIF heif;
        heif.SetReducedDecode(std::int32_t(state.range(0)), std::int32_t(state.range(0)));
        if (!heif.Decode(&file))
            state.SkipWithError(heif.GetLastError());
        benchmark::DoNotOptimize(heif.GetBits());
    }
}

void decodeLibheif(benchmark::State &state)
{
    const std::vector<std::uint8_t> &bytes = fileBytes();
    for (auto _ : state) {
        heif_context *context = heif_context_alloc();
        heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr);
        heif_image_handle *handle = nullptr;
        heif_context_get_primary_image_handle(context, &handle);
        heif_image *image = nullptr;
        const heif_error err =
            heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
        if (err.code != heif_error_Ok)
            state.SkipWithError(err.message);
        benchmark::DoNotOptimize(image);
        heif_image_release(image);
        heif_image_handle_release(handle);
        heif_context_free(context);
    }
}

} // namespace

BENCHMARK(decodeOurs)->Name("decode/zv")->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(decodeOurs)->Name("thumbnail/zv")->Arg(95)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(decodeLibheif)->Name("decode/libheif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
