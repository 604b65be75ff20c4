// bench/thumb_list_bench.cpp
// The picture browser over a real folder, timed as a user sees it:
//   thumb_list_bench cold FOLDER     from choosing the folder (no cache) to the last thumbnail
//   thumb_list_bench reopen FOLDER   the same with the cache the cold pass wrote
//   thumb_list_bench screen FOLDER   from choosing the folder to the first screen of cells painted
// Prints milliseconds, the number of pictures and the peak resident memory
// (VmHWM) of the process. Runs on the offscreen platform.
#include "collection/thumb_cache_file.h"
#include "collection/thumb_list.h"
#include "collection/thumb_obj.h"
#include "platform/headless.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

int runPass(CThumbList &list, const QString &folder, bool firstScreenOnly)
{
    QElapsedTimer clock;
    clock.start();
    list.SetFolder(folder);
    if (firstScreenOnly) {
        list.viewport()->repaint();
    } else {
        // The event loop sleeps between deliveries, as the program's does.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (!list.PassRunning() && list.AddEnabled())
                loop.quit();
        });
        check.start(1);
        loop.exec();
    }
    const qint64 ms = clock.elapsed();
    std::printf("%s: %lld ms for %d pictures (%.1f ms each), peak RSS %ld KiB\n",
                firstScreenOnly ? "first screen" : "pass", static_cast<long long>(ms), list.Count(),
                list.Count() ? double(ms) / list.Count() : 0.0, peakKiB());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: thumb_list_bench cold|reopen|screen FOLDER\n");
        return 2;
    }
    prepareHeadlessQt(true);
    QApplication app(argc, argv);
    const std::string mode = argv[1];
    if (mode == "make") {
        QElapsedTimer clock;
        clock.start();
        CThumbObj thumb(QString::fromLocal8Bit(argv[2]));
        thumb.MakeThumbnail();
        std::printf("one thumbnail: %lld ms\n", static_cast<long long>(clock.elapsed()));
        return 0;
    }
    QString folder = QString::fromLocal8Bit(argv[2]);
    if (!folder.endsWith('/'))
        folder += '/';
    if (mode == "cold")
        QFile::remove(ThumbCachePath(folder));
    std::printf("before: peak RSS %ld KiB\n", peakKiB());
    CThumbList list;
    list.resize(780, 300);
    list.SetThumbnailMode(true);
    list.show();
    return runPass(list, folder, mode == "screen");
}
