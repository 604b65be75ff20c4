// bench/import_bench.cpp
// Copying a card's worth of pictures through the import against `cp -r` of
// the same tree, in the same run: 500 files of 5 MB in 5 folders by default.
//   import_bench [work folder] [files] [megabytes per file]
// Both read from the page cache after the tree is written; each side runs
// three times, taking turns to go first, and is timed until its copies are
// on disk (a sync before and after), so neither pays for the other's
// write-back. The medians are compared.
#include "acquire/import_progress.h"
#include "acquire/media_import.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include <unistd.h>
#include <vector>

namespace {

class QuietProgress : public ImportProgress
{
  public:
    void SetText(const QString &) override {}
    void PumpMessages() override {}
    bool IsCancelled() override { return false; }
    void SetRange(int, int, int) override {}
    void SetPos(int) override {}
    void StepIt() override {}
};

void makeTree(const QString &root, int files, int megabytes)
{
    std::vector<char> block(std::size_t(megabytes) << 20);
    std::mt19937 random(7);
    for (int i = 0; i < files; ++i) {
        const QString folder = root + QString("/DCIM/%1CANON").arg(100 + i / 100);
        QDir().mkpath(folder);
        for (std::size_t k = 0; k < block.size(); k += 4096)
            block[k] = char(random());
        std::ofstream(
            QFile::encodeName(folder + QString("/IMG_%1.JPG").arg(i, 4, 10, QChar('0'))).toStdString(),
            std::ios::binary)
            .write(block.data(), std::streamsize(block.size()));
    }
}

double seconds(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const QString work = argc > 1 ? argv[1] : QDir::tempPath() + "/zv-import-bench";
    const int files = argc > 2 ? std::atoi(argv[2]) : 500;
    const int megabytes = argc > 3 ? std::atoi(argv[3]) : 5;
    SetMessageBoxHandler([](const QString &, unsigned, unsigned) { return int(IDOK); });
    QDir(work).removeRecursively();
    makeTree(work + "/card", files, megabytes);
    std::vector<double> ours, cp;
    for (int round = 0; round < 3; ++round) {
        QDir(work + "/cp").removeRecursively();
        QDir(work + "/flat").removeRecursively();
        QDir().mkpath(work + "/flat");
        const std::string command =
            "cp -r '" + (work + "/card").toStdString() + "' '" + (work + "/cp").toStdString() + "'";
        // Each side starts with no dirty pages of the other's to write back,
        // and the sides take turns going first.
        const auto runCp = [&] {
            ::sync();
            cp.push_back(seconds([&] {
                if (std::system(command.c_str()) != 0)
                    std::fprintf(stderr, "cp failed\n");
                ::sync();
            }));
        };
        const auto runImport = [&] {
            ::sync();
            QuietProgress progress;
            int copied = 0;
            ours.push_back(seconds([&] {
                copied = CMediaImport(progress, work + "/flat").Run(work + "/card");
                ::sync();
            }));
            if (copied != files)
                std::fprintf(stderr, "import copied %d of %d\n", copied, files);
        };
        if (round % 2) {
            runImport();
            runCp();
        } else {
            runCp();
            runImport();
        }
    }
    const double mine = median(ours), theirs = median(cp);
    std::printf("%d files of %d MB: import %.3f s, cp -r %.3f s, ratio %.2f\n", files, megabytes, mine,
                theirs, mine / theirs);
    QDir(work).removeRecursively();
    return 0;
}
