// tests/collection/folder_watcher_test.cpp
#include "collection/folder_watcher.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/pictures.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

// Counts the watch thread's calls.
class CountingWatcher : public CFolderWatcher
{
  public:
    std::atomic<int> calls = 0;

    // Whether a call comes within ms milliseconds of action.
    template <typename Action> bool callAfter(Action action, int ms = 2000)
    {
        const int before = calls;
        action();
        for (int i = 0; i < ms / 10 && calls == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return calls > before;
    }

  protected:
    void OnFolderChanged(std::uintptr_t, int kind, const QString &) override { calls += kind == 2 ? 1 : 0; }
};

} // namespace

// Whatever reaches the folder from outside is one event of its own: a file
// moved in from a folder nobody watches comes without a partner leaving.
TEST(FolderWatcher, SeesFilesArriveChangeAndMoveInOrOut)
{
    const QString folder = freshFolder("watched"), elsewhere = freshFolder("unwatched");
    writeFile((elsewhere + "in.png").toStdString(), "in");
    CountingWatcher watcher;
    watcher.AddPath(folder);
    ASSERT_TRUE(watcher.Start());
    // The thread sets its watch up on its own: write until it answers.
    int attempt = 0;
    while (!watcher.callAfter([&] { writeFile((folder + "new.png").toStdString(), "new"); }, 100) &&
           ++attempt < 50) {
    }
    ASSERT_GT(watcher.calls, 0);

    EXPECT_TRUE(watcher.callAfter([&] { QFile::rename(elsewhere + "in.png", folder + "in.png"); }));
    EXPECT_TRUE(watcher.callAfter([&] { QFile::rename(folder + "in.png", elsewhere + "out.png"); }));
    EXPECT_TRUE(watcher.callAfter([&] { QFile::remove(folder + "new.png"); }));
    watcher.Stop();
}
