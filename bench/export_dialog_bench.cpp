// bench/export_dialog_bench.cpp
// The export run as the window drives it: the export dialog with stand-in
// rows, Start pressed, the progress window pumping, message boxes answered.
// Prints the wall time per picture. Run by bench/window_bench.sh.
//   export_dialog_bench PROFILE OUTPUT_FOLDER PICTURE...
#include "export/export_dialog.h"
#include "export/export_sources.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"

#include <QApplication>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

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
                             path.filename().string().rfind("port", 0) == 0 ? "90" : "0"});
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
    dialog.selectFolderButton()->click();
    dialog.show();
    const auto start = std::chrono::steady_clock::now();
    dialog.startButton()->click();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s\ndialog: %.1f ms per picture (%zu pictures, %.0f ms)\n",
                summary.toLocal8Bit().constData(), ms / double(rows.rows.size()), rows.rows.size(), ms);
    return 0;
}
