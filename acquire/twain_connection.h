// acquire/twain_connection.h
#pragma once

#include "acquire/twain.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QEvent;
class QLibrary;
class QObject;
class QWidget;

// The application's side of TWAIN: the data source manager library loaded
// at run time, the identities, the state flags and the native transfer
// loop. Source notifications arrive either as events offered to
// FilterMessage (an application-wide event filter does so while a source
// is enabled) or through the callback registered with a TWAIN 2 manager;
// both lead to the same handling on the UI thread. UI thread only, apart
// from the callback, which only posts.
class CTwainConnection
{
  public:
    // Tried in order; the first that loads and has DSM_Entry is the manager.
    explicit CTwainConnection(QStringList managerLibraries = DefaultManagerLibraries());
    virtual ~CTwainConnection();
    CTwainConnection(const CTwainConnection &) = delete;
    CTwainConnection &operator=(const CTwainConnection &) = delete;

    // "libtwaindsm.so.2", "libtwaindsm.so", then our own manager beside the program.
    static QStringList DefaultManagerLibraries();

    bool OpenManager(QWidget *window);
    bool ManagerLoaded() const { return mEntry != nullptr; }
    void CloseManager();

    bool UseDefaultSource();
    bool StartAcquisition(int count);
    // True when the event belonged to the source.
    bool FilterMessage(QEvent *event);
    void HandleSourceMessage(TW_UINT16 message);

    bool SetCapValue(TW_UINT16 capability, int value, bool isSigned);
    // Any one-value container, e.g. a resolution as TWTY_FIX32.
    bool SetCapOneValue(TW_UINT16 capability, const TW_ONEVALUE &value);
    bool GetCapValue(TW_UINT16 capability, TW_ONEVALUE &value);
    bool ShowSource(bool showInterface);
    void CloseDataSource();

    bool IsManagerOpen() const { return mManagerOpen; }
    bool IsSourceSelected() const { return mSourceSelected; }
    bool IsSourceOpen() const { return mSourceOpen; }
    bool IsSourceEnabled() const { return mSourceEnabled; }
    TW_UINT16 ReturnCode() const { return mReturnCode; }
    TW_UINT16 ConditionCode() const { return mStatus.ConditionCode; }
    int TransferCount() const { return mTransferCount; }
    const TW_IDENTITY &AppIdentity() const { return mApp; }
    const TW_IDENTITY &SourceIdentity() const { return mSource; }
    QString LoadedLibrary() const;

    // The sources the manager knows (state 3 or later).
    std::vector<TW_IDENTITY> Sources();

    // The operations a user of the connection may refine, in this order.
    virtual void FillAppIdentity();
    virtual bool ChooseSource();
    virtual bool OpenDataSource(const TW_IDENTITY *identity = nullptr);
    // 0 transfer, 1 skip this picture, 2 cancel all.
    virtual int DecideTransfer(const TW_IMAGEINFO &info);
    virtual void HideSource();
    virtual bool MayCloseOnRequest();
    // The picture's bytes (a TIFF file or a packed DIB; size 0 when the
    // block could not be measured); the block itself is freed afterwards.
    virtual void OnImageTransferred(const std::uint8_t *data, std::size_t size, const TW_IMAGEINFO &info) = 0;

  protected:
    // Without a manager window to pick a source in: index into sources, or -1.
    virtual int PickSource(const std::vector<TW_IDENTITY> &sources);

  private:
    TW_UINT16 call(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, void *data, bool toSource);
    bool loadLibrary();
    void unloadLibrary();
    void takeMemoryFunctions();
    void registerCallback();
    void setFiltering(bool on);
    void transferLoop();
    bool transferOne(const TW_IMAGEINFO &info);
    bool endTransfer();

    void freeHandle(TW_HANDLE handle);

    QStringList mLibraries;
    std::unique_ptr<QLibrary> mLibrary;
    DSMENTRYPROC mEntry = nullptr;
    TW_ENTRYPOINT mMemory{};
    TW_IDENTITY mApp{};
    TW_IDENTITY mSource{};
    QWidget *mWindow = nullptr;
    TW_UINT16 mReturnCode = TWRC_SUCCESS;
    TW_STATUS mStatus{};
    bool mManagerOpen = false;
    bool mSourceSelected = false;
    bool mSourceOpen = false;
    bool mSourceEnabled = false;
    bool mInTransfer = false;
    TW_BOOL mModalUI = 0;
    int mTransferCount = -1;
    std::int32_t mModalValue = 1;
    std::uint32_t mCallbackId = 0;
    std::unique_ptr<QObject> mFilter;  // offers the application's events while enabled
    std::unique_ptr<QObject> mMailbox; // receives what the callback posts
};
