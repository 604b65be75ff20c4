// bench/scan_bench.cpp
// One colour page at 600 dpi from SANE's test backend through our own
// manager: time from the start of the acquisition to the saved JPEG, and
// the process's peak memory.   scan_bench [manager library]
#include "acquire/acquire_settings.h"
#include "acquire/acquire_twain.h"
#include "platform/headless.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <sys/resource.h>

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessQt(true);
    QApplication app(argc, argv);
    QTemporaryDir folder;
    std::ofstream((folder.path() + "/dll.conf").toStdString()) << "test\n";
    ::setenv("SANE_CONFIG_DIR", folder.path().toLocal8Bit().constData(), 1);
    const QString manager =
        argc > 1 ? argv[1] : QCoreApplication::applicationDirPath() + "/../app/libzvtwaindsm.so";

    AcquireSettings settings{folder.path(), 0, "Scan"};
    QString saved;
    CAcquireTwain twain(
        settings, [] { return QString(); }, [&](const QString &p) { saved = p; }, {manager});
    QWidget window;
    if (!twain.OpenManager(&window) || !twain.UseDefaultSource() || !twain.OpenDataSource()) {
        std::fprintf(stderr, "no manager or source at %s\n", qPrintable(manager));
        return 1;
    }
    twain.SetCapValue(ICAP_PIXELTYPE, TWPT_RGB, false);
    twain.SetCapOneValue(ICAP_XRESOLUTION, TW_ONEVALUE{TWTY_FIX32, 600});
    const long before = peakKilobytes();
    QElapsedTimer timer;
    timer.start();
    twain.StartAcquisition(1);
    while (saved.isEmpty() && timer.elapsed() < 300000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double elapsed = timer.elapsed() / 1000.0;
    QFileInfo file(saved);
    std::printf(
        "600 dpi colour page (%s, %.1f MB JPEG): %.2f s; peak memory %.0f MB (%.0f MB before the scan)\n",
        qPrintable(file.fileName()), file.size() / 1048576.0, elapsed, peakKilobytes() / 1024.0,
        before / 1024.0);
    twain.CloseManager();
    return saved.isEmpty() ? 1 : 0;
}
