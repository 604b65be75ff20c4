// bench/export_dialog_bench.cpp
// The export run as the window drives it: the export dialog with stand-in
// rows, Start pressed, the progress window pumping, message boxes answered.
// Prints the wall time per picture. Run by bench/window_bench.sh.
//   export_dialog_bench PROFILE OUTPUT_FOLDER PICTURE...
#include "bench/quiet_observer.h"
#include "caption/caption_source.h"
#include "export/export_dialog.h"
#include "export/export_row_source.h"
#include "export/export_run.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"

#include <QApplication>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace {

// CPU time of this process in milliseconds: steadier than wall time on a busy machine.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

class Rows : public ExportRowSource
{
  public:
    std::vector<ExportRow> ExportRows() const override { return rows; }
    std::vector<ExportRow> rows;
};

// White 26 px text on a #202020 box 10 px from the bottom-right corner.
class Caption : public CaptionSource
{
  public:
    std::optional<CaptionSettings> ExportCaption() const override
    {
        CaptionSettings c;
        c.text = QStringLiteral("Zelventa benchmark caption");
        c.font.lfFaceName[0] = 0;
        std::snprintf(c.font.lfFaceName, sizeof(c.font.lfFaceName), "Liberation Sans");
        c.font.lfHeight = -26;
        c.textColor = 0xFFFFFF;
        c.backColor = 0x202020;
        c.anchor = CaptionAnchor::BottomRight;
        c.offsets = {410, 50, 10, 10};
        return c;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: export_dialog_bench PROFILE OUTPUT_FOLDER PICTURE...\n");
        return 2;
    }
    prepareHeadlessQt(false);
    QApplication app(argc, argv);
    ProfileStore profile(argv[1]);
    Rows rows;
    for (int i = 3; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        rows.rows.push_back({path.filename().string(), path.string(),
                             path.filename().string().rfind("port", 0) == 0 ? 90 : 0});
    }
    Caption caption;
    QString summary;
    SetMessageBoxHandler([&](const QString &text, unsigned, unsigned) {
        summary = text;
        return int(IDYES);
    });
    QWidget owner;
    owner.show();
    CExportDialog dialog(profile, &rows, &caption, &owner);
    dialog.SetFolderChooser(
        [&](QWidget *, const QString &, const QString &) { return QString::fromLocal8Bit(argv[2]); });
    dialog.findChild<QPushButton *>(QStringLiteral("selectFolderButton"))->click();
    dialog.show();
    // The same job through the core alone, as a yardstick inside this process.
    QuietObserver quiet;
    ExportJob job;
    job.rows = rows.rows;
    job.options.Load(profile);
    job.options.OutputFolder = std::string(argv[2]) + "/core";
    job.caption = caption.ExportCaption();
    std::filesystem::create_directories(job.options.OutputFolder);
    const auto coreStart = std::chrono::steady_clock::now();
    const double coreCpu = cpuMs();
    RunExport(job, quiet);
    const double coreCpuMs = cpuMs() - coreCpu;
    const double coreMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - coreStart).count();
    std::filesystem::remove_all(job.options.OutputFolder);
    const double n = double(rows.rows.size());
    std::printf("core alone: %.1f ms per picture (CPU %.1f ms)\n", coreMs / n, coreCpuMs / n);
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuMs();
    dialog.findChild<QPushButton *>(QStringLiteral("startButton"))->click();
    const double cpuUsed = cpuMs() - cpu;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s\ndialog: %.1f ms per picture (CPU %.1f ms; %zu pictures)\n",
                summary.toLocal8Bit().constData(), ms / n, cpuUsed / n, rows.rows.size());
    return 0;
}
