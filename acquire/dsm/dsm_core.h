// acquire/dsm/dsm_core.h
#pragma once

#include "acquire/twain.h"

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One source behind the manager: a device that hands over pages. Called
// with the manager's lock held; pages may be produced on a thread of the
// source's own, which then calls DsmCore::Announce.
class DsmSource
{
  public:
    virtual ~DsmSource() = default;

    virtual std::string Name() const = 0;
    virtual TW_UINT16 Open(TW_UINT16 &condition) { return condition = TWCC_SUCCESS, TWRC_SUCCESS; }
    virtual void Close() {}

    // A session of up to count pages (-1: as many as the device has). The
    // source calls DsmCore::Announce(MSG_XFERREADY) when the first is ready.
    virtual TW_UINT16 Begin(int count, TW_UINT16 &condition) = 0;
    virtual TW_UINT16 Info(TW_IMAGEINFO &info, TW_UINT16 &condition) = 0;
    // One page in a block from DsmAllocate, a complete TIFF (or a DIB).
    virtual TW_UINT16 Transfer(TW_HANDLE &handle, TW_UINT16 &condition) = 0;
    // After a page: whether another follows, and whether it is there yet.
    // A page still being scanned is announced with MSG_XFERREADY when
    // ready, so the application is not held inside MSG_ENDXFER meanwhile.
    enum class More { No, Ready, Later };
    virtual More HasMore() = 0;
    virtual void End() {}

    // False for a source that only queues its notices for MSG_PROCESSEVENT.
    virtual bool AcceptsCallback() const { return true; }
    // CAP_XFERCOUNT as asked; CHECKSTATUS when the source puts its own in count.
    virtual TW_UINT16 CheckTransferCount(int &, TW_UINT16 &condition)
    {
        return condition = TWCC_SUCCESS, TWRC_SUCCESS;
    }
    virtual TW_UINT16 SetCap(TW_UINT16, const TW_ONEVALUE &, TW_UINT16 &condition)
    {
        return condition = TWCC_CAPUNSUPPORTED, TWRC_FAILURE;
    }
};

TW_HANDLE DsmAllocate(TW_UINT32 size);
void DsmFree(TW_HANDLE handle);
// Blocks handed out and not yet freed, so tests can see that none leaks.
long DsmOutstandingBlocks();

// The manager's side of TWAIN for one application at a time: identities,
// the memory functions, callbacks or the event queue, and each source's
// states 4 to 7. The library's DSM_Entry hands every call to Entry.
class DsmCore
{
  public:
    using SourceFactory = std::vector<std::unique_ptr<DsmSource>> (*)();

    explicit DsmCore(SourceFactory factory);

    TW_UINT16 Entry(TW_IDENTITY *origin, TW_IDENTITY *destination, TW_UINT32 group, TW_UINT16 dat,
                    TW_UINT16 message, TW_MEMREF data);
    // A source's notice to the application: through its callback, else
    // queued for its next MSG_PROCESSEVENT. MSG_XFERREADY and MSG_CLOSEDSREQ
    // count only while the source waits enabled (state 5). Any thread.
    void Announce(TW_UINT16 message);
    // The same from a source's own thread, which must not wait for a
    // manager call that may itself be waiting for that thread: false when
    // the manager is busy, and the thread tries again.
    bool TryAnnounce(TW_UINT16 message);

  private:
    TW_UINT16 managerCall(TW_IDENTITY *origin, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 identityCall(TW_UINT16 message, TW_IDENTITY *id);
    TW_UINT16 sourceCall(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 capability(TW_UINT16 message, TW_CAPABILITY *cap);
    TW_UINT16 userInterface(TW_UINT16 message);
    TW_UINT16 pending(TW_UINT16 message, TW_PENDINGXFERS *pending);
    TW_UINT16 openSource(TW_IDENTITY *id);
    void closeSource();
    TW_UINT16 fail(TW_UINT16 condition);
    TW_IDENTITY identityOf(std::size_t index) const;
    void announceLocked(TW_UINT16 message);

    SourceFactory mFactory;
    std::recursive_mutex mMutex;
    bool mOpen = false;
    TW_IDENTITY mApp{};
    std::vector<std::unique_ptr<DsmSource>> mSources;
    std::size_t mNext = 0; // GETNEXT position
    int mOpenSource = -1;
    int mState = 3; // of the open source: 4..7
    int mTransferCount = -1;
    int mDone = 0;
    TW_UINT16 mCondition = TWCC_SUCCESS;
    TW_MEMREF mCallback = nullptr;
    TW_UINTPTR mRefCon = 0;
    std::deque<TW_UINT16> mQueue;
};
