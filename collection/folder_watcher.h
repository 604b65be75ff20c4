// collection/folder_watcher.h
#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Watches a set of folders on a thread of its own and calls OnFolderChanged
// there when files in one of them are added, removed, renamed or rewritten.
// Add, remove, start and stop are called from one thread (the UI thread).
class CFolderWatcher
{
  public:
    CFolderWatcher();
    // Stops a running thread and waits for it.
    virtual ~CFolderWatcher();
    CFolderWatcher(const CFolderWatcher &) = delete;
    CFolderWatcher &operator=(const CFolderWatcher &) = delete;

    void SetOwnerParameter(std::uintptr_t value) { mOwner = value; }

    // Registers a path (a file, or a folder ending with "/"); its folder is
    // watched. A running thread is restarted to watch a new folder.
    void AddPath(const QString &path);
    // Forgets a path; its folder leaves the list with its last path. The
    // running thread is not touched (callers stop and start it).
    void RemovePath(const QString &path);
    // Starts the thread when it is not running; false when it could not start.
    bool Start();
    // Asks a running thread to end; returns without waiting for it.
    void Stop();
    bool IsRunning() const { return mRunning; }

    // The folders being watched, each with its number of registered paths.
    std::vector<std::pair<QString, int>> Folders() const;

  protected:
    // Runs on the watch thread once per registered path in a changed folder
    // (kind 2, empty text). The base does nothing. Must not touch the
    // owner's data.
    virtual void OnFolderChanged(std::uintptr_t owner, int kind, const QString &text);
    // Sleeps on the watch thread for up to ms milliseconds; true when the
    // stop event came first.
    bool waitForStop(int ms) const;

  private:
    struct Entry
    {
        QString path;
        QString folder;
        std::int64_t modified = 0;
    };

    void run(int stopFd);
    void join();
    void notifyFolder(const QString &folder);

    // Guards the registered paths and folders against AddPath while the
    // thread reads them.
    mutable std::mutex mMutex;
    std::map<QString, Entry> mPaths;
    std::vector<std::pair<QString, int>> mFolders;
    int mStopFd = -1; // eventfd, the stop event
    bool mRunning = false;
    std::thread mThread;
    std::uintptr_t mOwner = 0;
};
