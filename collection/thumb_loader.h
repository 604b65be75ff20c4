// collection/thumb_loader.h
#pragma once

#include "collection/thumb_cache_file.h"

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

class CThumbObj;

// One thumbnail to make: which item asked for it (index and path) and the
// serial of the request, so that the UI can tell a stale answer.
struct ThumbJob
{
    std::uint64_t serial = 0;
    int index = -1;
    QString path;
};

struct ThumbResult
{
    ThumbJob job;
    std::unique_ptr<CThumbObj> thumb;
};

// The browser's background loader: one thread that makes (or takes from the
// folder's cache) one thumbnail per job and hands it to the UI thread.
//
// One mutex guards the job slot, the result, the cache list and the flags.
// The loader never holds it while it reads files or decodes, and the UI
// thread never waits for the loader: the hand-off is a notification (the
// notify callback, which must post a call to the UI thread that ends in
// TakeResult) after which the loader waits until the result was taken or
// it is told to stop. Stop therefore never deadlocks.
class ThumbLoader
{
  public:
    // notify runs on the loader thread after a result was placed.
    explicit ThumbLoader(std::function<void()> notify);
    // Stops the thread and waits for it (it finishes the picture in hand
    // and writes a cache it was asked to).
    ~ThumbLoader();
    ThumbLoader(const ThumbLoader &) = delete;
    ThumbLoader &operator=(const ThumbLoader &) = delete;

    // All of the following are called on the UI thread.
    void Start();
    void Stop();

    // A new folder: the cache list and any undelivered result are dropped.
    void SetFolder(const QString &folder, bool useCache);
    // The next job reads the folder's cache file first.
    void RequestCacheRead();
    // Puts a job into the slot (replacing one not yet taken), drops an
    // undelivered result and wakes the loader. Returns the job's serial.
    std::uint64_t Post(int index, const QString &path);
    // The serial of the job posted last.
    std::uint64_t LastSerial() const;
    // Takes the result the loader handed over, if any, and lets it go on.
    std::optional<ThumbResult> TakeResult();
    // Errors of cache reads and writes since the last call.
    QStringList TakeErrors();
    // Drops the cache list; true when it still held objects (which makes
    // the cache dirty).
    bool DropCacheList();
    // Whether the cache must be rewritten; cleared by the call.
    bool TakeCacheDirty();
    void SetCacheDirty();
    // Writes the cache file on the loader thread; a failure comes back as a
    // result with an error and no thumbnail. Empty bytes remove a small cache.
    void PostCacheSave(const QString &folder, std::vector<std::uint8_t> bytes);

  private:
    struct CacheSave
    {
        QString folder;
        std::vector<std::uint8_t> bytes;
    };

    void run();
    void runJob(std::unique_lock<std::mutex> &lock);
    void runSave(std::unique_lock<std::mutex> &lock);
    std::unique_ptr<CThumbObj> fromCache(std::unique_lock<std::mutex> &lock, const QString &path);
    void readCache(std::unique_lock<std::mutex> &lock);
    void handOver(std::unique_lock<std::mutex> &lock, ThumbResult result);
    void notifyUnlocked(std::unique_lock<std::mutex> &lock);

    std::function<void()> mNotify;
    mutable std::mutex mMutex;
    std::condition_variable mWake;
    // The loader's events, all auto-reset.
    bool mStop = false;
    bool mGo = false;
    bool mHandoffPending = false;

    ThumbJob mJob;
    std::uint64_t mSerial = 0;
    std::optional<ThumbResult> mResult;
    std::optional<CacheSave> mSave;
    QString mFolder;
    std::uint64_t mFolderGeneration = 0;
    bool mUseCache = true;
    bool mLoadCacheFirst = false;
    bool mCacheDirty = false;
    // Objects read from the cache file and not yet claimed, by file name.
    std::unordered_map<QString, std::unique_ptr<CThumbObj>> mCacheList;
    QStringList mErrors;
    std::thread mThread;
};
