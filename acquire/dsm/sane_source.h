// acquire/dsm/sane_source.h
#pragma once

#include "acquire/dsm/dsm_core.h"
#include "acquire/dsm/tiff_page.h"

#include <sane/sane.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// SANE initialised for as long as any source uses it.
class SaneSession
{
  public:
    SaneSession();
    ~SaneSession();
    bool ok() const { return mOk; }

  private:
    bool mOk = false;
};

// One SANE device as a TWAIN source. Pages are scanned on a thread of the
// source's own, one page ahead of the application: the first page's
// arrival is announced, later pages are waited for when taken. Each page
// is a TIFF file in a block from the manager's allocator.
class SaneSource : public DsmSource
{
  public:
    using Announcer = std::function<bool(TW_UINT16)>; // false: busy, try again

    SaneSource(std::shared_ptr<SaneSession> session, std::string device, std::string name,
               Announcer announce);
    ~SaneSource() override;

    std::string Name() const override { return mName; }
    TW_UINT16 Open(TW_UINT16 &condition) override;
    void Close() override;
    TW_UINT16 Begin(int count, TW_UINT16 &condition) override;
    TW_UINT16 Info(TW_IMAGEINFO &info, TW_UINT16 &condition) override;
    TW_UINT16 Transfer(TW_HANDLE &handle, TW_UINT16 &condition) override;
    More HasMore() override;
    void End() override;
    TW_UINT16 SetCap(TW_UINT16 cap, const TW_ONEVALUE &value, TW_UINT16 &condition) override;

  private:
    struct Page
    {
        TW_HANDLE block = nullptr;
        TiffPageFormat format;
        TW_UINT16 condition = TWCC_SUCCESS; // not success: the page failed
    };

    void run(int count);
    bool feeder();
    void configure();
    Page scanPage();
    bool readRows(const SANE_Parameters &p, Page &page);
    void announce(TW_UINT16 message);
    const SANE_Option_Descriptor *option(const char *name, SANE_Int &index) const;
    void setNumber(const char *name, double value);
    void setText(const char *name, const char *value);
    void setToMaximum(const char *name);

    std::shared_ptr<SaneSession> mSession;
    std::string mDevice;
    std::string mName;
    Announcer mAnnounce;
    SANE_Handle mHandle = nullptr;
    double mDpi = 0;     // 0: the device's own
    int mPixelType = -1; // -1: the device's own

    std::thread mThread;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<Page> mPages; // scanned, not yet taken
    bool mScanning = false;  // a page has been started and is being read
    bool mFinished = true;
    bool mStop = false;
};
