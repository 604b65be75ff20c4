// collection/thumb_loader.cpp
#include "collection/thumb_loader.h"

#include "collection/thumb_obj.h"

#include <QFileInfo>

ThumbLoader::ThumbLoader(std::function<void()> notify)
    : mNotify(std::move(notify))
{
}

ThumbLoader::~ThumbLoader()
{
    Stop();
}

void ThumbLoader::Start()
{
    if (mThread.joinable())
        return;
    {
        std::lock_guard lock(mMutex);
        mStop = false;
    }
    mThread = std::thread([this] { run(); });
}

void ThumbLoader::Stop()
{
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mWake.notify_all();
    if (mThread.joinable())
        mThread.join();
}

void ThumbLoader::SetFolder(const QString &folder, bool useCache)
{
    std::unordered_map<QString, std::unique_ptr<CThumbObj>> dropped;
    {
        std::lock_guard lock(mMutex);
        mFolder = folder;
        ++mFolderGeneration;
        mUseCache = useCache;
        mLoadCacheFirst = false;
        mCacheDirty = false;
        mGo = false;
        dropped.swap(mCacheList);
        mResult.reset();
        mHandoffPending = false;
    }
    mWake.notify_all();
}

void ThumbLoader::RequestCacheRead()
{
    std::lock_guard lock(mMutex);
    mLoadCacheFirst = true;
}

std::uint64_t ThumbLoader::Post(int index, const QString &path)
{
    std::uint64_t serial;
    {
        std::lock_guard lock(mMutex);
        serial = ++mSerial;
        mJob = ThumbJob{serial, index, path};
        mGo = true;
        mResult.reset();
        mHandoffPending = false;
    }
    mWake.notify_all();
    return serial;
}

std::uint64_t ThumbLoader::LastSerial() const
{
    std::lock_guard lock(mMutex);
    return mSerial;
}

std::optional<ThumbResult> ThumbLoader::TakeResult()
{
    std::optional<ThumbResult> result;
    {
        std::lock_guard lock(mMutex);
        result.swap(mResult);
        mHandoffPending = false;
    }
    mWake.notify_all();
    return result;
}

QStringList ThumbLoader::TakeErrors()
{
    std::lock_guard lock(mMutex);
    QStringList errors;
    errors.swap(mErrors);
    return errors;
}

bool ThumbLoader::DropCacheList()
{
    std::unordered_map<QString, std::unique_ptr<CThumbObj>> dropped;
    std::lock_guard lock(mMutex);
    dropped.swap(mCacheList);
    return !dropped.empty();
}

bool ThumbLoader::TakeCacheDirty()
{
    std::lock_guard lock(mMutex);
    const bool dirty = mCacheDirty;
    mCacheDirty = false;
    return dirty;
}

void ThumbLoader::SetCacheDirty()
{
    std::lock_guard lock(mMutex);
    mCacheDirty = true;
}

void ThumbLoader::PostCacheSave(const QString &folder, std::vector<std::uint8_t> bytes)
{
    {
        std::lock_guard lock(mMutex);
        mSave = CacheSave{folder, std::move(bytes)};
    }
    mWake.notify_all();
}

void ThumbLoader::run()
{
    std::unique_lock lock(mMutex);
    for (;;) {
        mWake.wait(lock, [this] { return mStop || mGo || mSave; });
        // A cache the pass asked for is still written when the list closes.
        if (mSave)
            runSave(lock);
        else if (mStop)
            break;
        else
            runJob(lock);
    }
    mResult.reset();
}

void ThumbLoader::runSave(std::unique_lock<std::mutex> &lock)
{
    const CacheSave save = std::move(*mSave);
    mSave.reset();
    lock.unlock();
    QString error;
    if (save.bytes.empty())
        RemoveSmallThumbCache(save.folder);
    else if (QFileInfo(save.folder).isDir()) // a folder that went away keeps no cache
        WriteThumbCacheFile(save.folder, save.bytes, error);
    if (!QFileInfo(save.folder).isDir())
        error.clear();
    lock.lock();
    if (!error.isEmpty()) {
        mErrors.append(error);
        notifyUnlocked(lock);
    }
}

void ThumbLoader::runJob(std::unique_lock<std::mutex> &lock)
{
    mGo = false;
    const ThumbJob job = mJob;
    const std::uint64_t generation = mFolderGeneration;
    if (mLoadCacheFirst && mUseCache) {
        mLoadCacheFirst = false;
        readCache(lock);
    }
    std::unique_ptr<CThumbObj> thumb = fromCache(lock, job.path);
    if (!thumb) {
        lock.unlock();
        thumb = std::make_unique<CThumbObj>(job.path);
        thumb->MakeThumbnail();
        lock.lock();
        if (generation == mFolderGeneration)
            mCacheDirty = true;
    }
    handOver(lock, ThumbResult{job, std::move(thumb)});
}

void ThumbLoader::readCache(std::unique_lock<std::mutex> &lock)
{
    const QString folder = mFolder;
    const std::uint64_t generation = mFolderGeneration;
    lock.unlock();
    CacheReadResult read = ReadThumbCacheFile(folder);
    std::unordered_map<QString, std::unique_ptr<CThumbObj>> byName;
    for (auto &object : read.objects) {
        const QString name = object->FileName();
        byName.emplace(name, std::move(object));
    }
    lock.lock();
    if (generation != mFolderGeneration)
        return;
    mCacheList.swap(byName);
    if (read.status == CacheRead::Damaged) {
        mCacheDirty = true;
        mErrors.append(read.error);
    }
}

// The cached object of the file, when its modification time still matches.
std::unique_ptr<CThumbObj> ThumbLoader::fromCache(std::unique_lock<std::mutex> &lock, const QString &path)
{
    const auto found = mCacheList.find(QFileInfo(path).fileName());
    if (found == mCacheList.end())
        return nullptr;
    std::unique_ptr<CThumbObj> object = std::move(found->second);
    mCacheList.erase(found);
    const std::uint64_t generation = mFolderGeneration;
    lock.unlock();
    const std::uint32_t modified = CThumbObj::FileModified(path);
    lock.lock();
    if (object->Modified() == modified && object->Path() == path)
        return object;
    if (generation == mFolderGeneration)
        mCacheDirty = true;
    return nullptr;
}

void ThumbLoader::handOver(std::unique_lock<std::mutex> &lock, ThumbResult result)
{
    mResult = std::move(result);
    mHandoffPending = true;
    notifyUnlocked(lock);
    mWake.wait(lock, [this] { return mStop || !mHandoffPending; });
}

void ThumbLoader::notifyUnlocked(std::unique_lock<std::mutex> &lock)
{
    lock.unlock();
    mNotify();
    lock.lock();
}
