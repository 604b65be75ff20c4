// bench/caption_bench.cpp
// Stamping the caption into a 12-megapixel picture, as the export does once
// per picture: the cost should be that of the box, not of the picture.
#include "caption/caption_layout.h"
#include "caption/caption_render.h"
#include "imagelib/core/image.h"
#include "platform/headless.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstring>

namespace {

CaptionSettings bottomRightCaption(COLORREF back)
{
    CaptionSettings caption;
    caption.text = QStringLiteral("Holiday 2024\r\nwww.zelventa.example");
    caption.backColor = back;
    caption.anchor = CaptionAnchor::BottomRight;
    caption.offsets = {640, 140, 40, 40};
    return caption;
}

void stamp(benchmark::State &state, COLORREF back)
{
    ZvImage picture(4000, 3000, 24);
    std::memset(picture.GetBits(0), 0x80, picture.GetHeader().biSizeImage);
    const CaptionSettings caption = bottomRightCaption(back);
    for (auto _ : state) {
        StampCaption(picture, caption);
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
}

// The same box sizing with the picture, padded, with a 400-character text
// wrapped to it: the layout is made once per picture size, not per stamp.
void BM_StampStyled(benchmark::State &state)
{
    ZvImage picture(4000, 3000, 24);
    std::memset(picture.GetBits(0), 0x80, picture.GetHeader().biSizeImage);
    CaptionSettings caption = bottomRightCaption(RGB(255, 255, 255));
    caption.text.clear();
    while (caption.text.size() < 400)
        caption.text += QStringLiteral("A long caption wrapped to the box of the picture. ");
    caption.text.truncate(400);
    caption.style.referenceSide = 3000;
    caption.style.wordWrap = true;
    caption.style.padding = 10;
    caption.style.fitToBox = state.range(0) != 0;
    for (auto _ : state) {
        StampCaption(picture, caption);
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetLabel(caption.style.fitToBox ? "fit to box" : "wrap");
}
BENCHMARK(BM_StampStyled)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A new layout for every stamp (the text changes, as with a placeholder):
// the cost of wrapping and fitting themselves.
void BM_LayoutFresh(benchmark::State &state)
{
    CaptionSettings caption = bottomRightCaption(RGB(255, 255, 255));
    caption.style.wordWrap = true;
    caption.style.fitToBox = state.range(0) != 0;
    QString text;
    while (text.size() < 400)
        text += QStringLiteral("A long caption wrapped to the box of the picture. ");
    int n = 0;
    for (auto _ : state) {
        caption.text = QString::number(n++) + text.left(396);
        benchmark::DoNotOptimize(LayoutCaption(caption, RECT{3360, 2860, 3960, 2960}));
    }
    state.SetLabel(caption.style.fitToBox ? "fit to box" : "wrap");
}
BENCHMARK(BM_LayoutFresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_StampWithBackground(benchmark::State &state)
{
    stamp(state, RGB(255, 255, 255));
}
BENCHMARK(BM_StampWithBackground)->Unit(benchmark::kMicrosecond);

void BM_StampTransparent(benchmark::State &state)
{
    stamp(state, kNoBackColor);
}
BENCHMARK(BM_StampTransparent)->Unit(benchmark::kMicrosecond);

// An 8-bit picture has to be expanded to 24 bits first: a full-picture pass.
void BM_StampIndexed(benchmark::State &state)
{
    const CaptionSettings caption = bottomRightCaption(RGB(255, 255, 255));
    for (auto _ : state) {
        state.PauseTiming();
        ZvImage picture(4000, 3000, 8);
        state.ResumeTiming();
        StampCaption(picture, caption);
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
}
BENCHMARK(BM_StampIndexed)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessQt(true);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
