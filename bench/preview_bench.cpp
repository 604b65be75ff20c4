// bench/preview_bench.cpp
// The Batch Settings preview and the full-screen viewer on a 12-megapixel
// JPEG: one repaint while the caption box is dragged, with a plain and a
// fully styled caption (target: under 16 ms a frame), and one step to the next picture, decoded for the
// preview and for a 1920 x 1080 screen, against a full decode.
#include "caption/box_tool.h"
#include "caption/draw_text.h"
#include "caption/preview_picture.h"
#include "caption/preview_view.h"
#include "caption/settings_page.h"
#include "collection/viewer/full_screen_view.h"
#include "collection/viewer/picture_sequence.h"
#include "imagelib/core/image.h"
#include "platform/headless.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// A 4000 x 3000 JPEG with detail everywhere, written once per run.
const QString &bigJpeg()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("zv_preview_bench_12mp.jpg"));
        ZvImage picture(4000, 3000, 24, ZV_TYPE_JPG);
        for (std::uint32_t y = 0; y < 3000; ++y) {
            std::uint8_t *row = picture.GetBits(y);
            for (std::uint32_t x = 0; x < 4000; ++x, row += 3) {
                row[0] = std::uint8_t(x * 7 + y);
                row[1] = std::uint8_t((x ^ y) * 3);
                row[2] = std::uint8_t(128 + 100 * std::sin(x * 0.01 + y * 0.013));
            }
        }
        picture.SetJpegQuality(90);
        picture.Save(p.toLocal8Bit().constData(), ZV_TYPE_JPG);
        return p;
    }();
    return path;
}

void sendMove(QWidget &w, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
}

void BM_PreviewDragFrame(benchmark::State &state)
{
    CSettingsPage page;
    page.resize(1280, 800);
    page.show();
    page.ShowImage(bigJpeg(), 0, 0, 1);
    page.WaitForPicture();
    if (state.range(0)) {
        // A caption with everything on: sized with the picture, wrapped,
        // with fields, a shadow and a see-through back colour.
        CaptionSettings caption = *page.ExportCaption();
        caption.text =
            QStringLiteral("%{name} %{width}x%{height}, %{date:d MMM yyyy}: ") +
            QString(QStringLiteral("a caption long enough to wrap over several lines ")).repeated(4);
        caption.offsets = {200, 200, 1800, 800};
        caption.backColor = 0x202020;
        caption.style.referenceSide = 3000;
        caption.style.wordWrap = true;
        caption.style.padding = 20;
        caption.style.effect = CaptionEffect::Shadow;
        caption.style.backOpacity = 60;
        caption.font.lfHeight = -60;
        page.SetCaption(caption);
    }
    auto *preview = page.findChild<CPreviewView *>(QStringLiteral("preview"));
    const RECT b = preview->CaptionBox()->GetPosition();
    QPoint at((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), preview->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(preview, &press);
    // What the paint handler does for every mouse move, into an off-screen
    // frame of the preview's size.
    QImage frame(preview->size(), QImage::Format_RGB32);
    int step = 1;
    for (auto _ : state) {
        at += QPoint(step, step);
        if (at.x() > 600 || at.x() < 200)
            step = -step;
        sendMove(*preview, at);
        preview->render(&frame);
    }
    state.counters["scale"] = preview->Geometry().scale;
}
BENCHMARK(BM_PreviewDragFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond); // plain, styled

// The decode behind one step of the preview (area about 1040 x 790).
void BM_PreviewStep(benchmark::State &state)
{
    for (auto _ : state) {
        const PreviewPicture p = LoadPreviewPicture(bigJpeg(), 0, QSize(1040, 790));
        benchmark::DoNotOptimize(p.image.constBits());
        state.counters["width"] = p.image.width();
    }
}
BENCHMARK(BM_PreviewStep)->Unit(benchmark::kMillisecond);

// The decode behind one step of the viewer on a 1920 x 1080 screen, and the
// same step's first paint.
struct OnePicture : PictureSequence
{
    int Count() const override { return 2; }
    QString PathAt(int) const override { return bigJpeg(); }
    int RotationAt(int) const override { return 0; }
    int Current() const override { return current; }
    void SetCurrent(int i) override { current = i; }
    int current = 0;
};

void BM_ViewerStep(benchmark::State &state)
{
    OnePicture seq;
    CFullScreenView view(seq, nullptr);
    view.WaitForPicture();
    QImage frame(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        view.Step(seq.current == 0 ? ViewerStep::Next : ViewerStep::Previous);
        view.WaitForPicture();
        QPainter p(&frame);
        view.PaintView(p, frame.size());
    }
}
BENCHMARK(BM_ViewerStep)->Unit(benchmark::kMillisecond);

void BM_FullDecodeForComparison(benchmark::State &state)
{
    for (auto _ : state) {
        const PreviewPicture p = LoadPreviewPicture(bigJpeg(), 0, QSize());
        benchmark::DoNotOptimize(p.image.constBits());
    }
}
BENCHMARK(BM_FullDecodeForComparison)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessQt(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
