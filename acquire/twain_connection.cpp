// acquire/twain_connection.cpp
#include "acquire/twain_connection.h"

#include "acquire/transfer_picture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QInputDialog>
#include <QLibrary>
#include <QMetaObject>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

// The largest picture block the connection measures: far above a 600-dpi
// A4 page in true colour.
constexpr std::size_t kMaxTransferBytes = std::size_t(1) << 31;

// Connections by the id handed to the manager with the callback; the
// callback may come on a source's own thread, so lookups are locked.
std::mutex sRegistryMutex;
std::map<std::uint32_t, QObject *> sMailboxes;
std::map<std::uint32_t, CTwainConnection *> sConnections;
std::uint32_t sNextId = 1;

extern "C" TW_UINT16 zvTwainCallback(TW_IDENTITY *, TW_IDENTITY *, TW_UINT32, TW_UINT16, TW_UINT16 message,
                                     TW_MEMREF refCon)
{
    const auto id = std::uint32_t(reinterpret_cast<std::uintptr_t>(refCon));
    std::lock_guard lock(sRegistryMutex);
    const auto mailbox = sMailboxes.find(id);
    if (mailbox == sMailboxes.end())
        return TWRC_FAILURE;
    CTwainConnection *connection = sConnections[id];
    // Never handled here: the manager may still be inside the call that raised it.
    QMetaObject::invokeMethod(
        mailbox->second, [connection, message] { connection->HandleSourceMessage(message); },
        Qt::QueuedConnection);
    return TWRC_SUCCESS;
}

// A TW_STR32 holds up to 33 characters and always its terminating zero.
void copyText(TW_STR32 &field, const char *text)
{
    constexpr std::size_t kLast = sizeof(TW_STR32) - 1;
    std::strncpy(field, text, kLast);
    field[kLast] = 0;
}

// Offers every event of the application to the connection while a source is enabled.
class SourceEventFilter : public QObject
{
  public:
    explicit SourceEventFilter(CTwainConnection &connection)
        : mConnection(connection)
    {
    }

    // The source's notices ride on whatever event comes next; that event
    // is still the program's own and is dispatched as usual.
    bool eventFilter(QObject *, QEvent *event) override
    {
        mConnection.FilterMessage(event);
        return false;
    }

  private:
    CTwainConnection &mConnection;
};

} // namespace

CTwainConnection::CTwainConnection(QStringList managerLibraries)
    : mLibraries(std::move(managerLibraries))
    , mMailbox(std::make_unique<QObject>())
{
    std::lock_guard lock(sRegistryMutex);
    mCallbackId = sNextId++;
    sMailboxes[mCallbackId] = mMailbox.get();
    sConnections[mCallbackId] = this;
}

CTwainConnection::~CTwainConnection()
{
    {
        std::lock_guard lock(sRegistryMutex);
        sMailboxes.erase(mCallbackId);
        sConnections.erase(mCallbackId);
    }
    CloseManager();
}

QStringList CTwainConnection::DefaultManagerLibraries()
{
    QStringList names = {QStringLiteral("libtwaindsm.so.2"), QStringLiteral("libtwaindsm.so")};
    if (QCoreApplication::instance()) {
        // Our own manager: beside the program in the build tree, in
        // lib/zelventa of the prefix once installed.
        const QString dir = QCoreApplication::applicationDirPath();
        names << dir + QStringLiteral("/libzvtwaindsm.so")
              << dir + QStringLiteral("/../lib/zelventa/libzvtwaindsm.so");
    }
    return names;
}

QString CTwainConnection::LoadedLibrary() const
{
    return mLibrary ? mLibrary->fileName() : QString();
}

TW_UINT16 CTwainConnection::call(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, void *data, bool toSource)
{
    if (!mEntry)
        return mReturnCode = TWRC_FAILURE;
    TW_IDENTITY *destination = toSource ? &mSource : nullptr;
    mReturnCode = mEntry(&mApp, destination, group, dat, message, data);
    if ((mReturnCode == TWRC_FAILURE || mReturnCode == TWRC_CHECKSTATUS) && dat != DAT_EVENT) {
        TW_STATUS status{};
        mEntry(&mApp, destination, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        mStatus = status;
    }
    return mReturnCode;
}

bool CTwainConnection::loadLibrary()
{
    for (const QString &name : mLibraries) {
        auto library = std::make_unique<QLibrary>(name);
        if (!library->load())
            continue;
        mEntry = reinterpret_cast<DSMENTRYPROC>(library->resolve("DSM_Entry"));
        if (mEntry) {
            mLibrary = std::move(library);
            return true;
        }
        library->unload();
    }
    return false;
}

void CTwainConnection::unloadLibrary()
{
    mEntry = nullptr;
    mMemory = {};
    if (mLibrary)
        mLibrary->unload();
    mLibrary.reset();
}

void CTwainConnection::FillAppIdentity()
{
    mApp = {};
    mApp.Version.MajorNum = 3;
    mApp.Version.MinorNum = 5;
    mApp.Version.Language = TWLG_USA;
    mApp.Version.Country = TWCY_USA;
    copyText(mApp.Version.Info, "3.5");
    // A TWAIN 2 application, as a Linux manager expects: it hands out its
    // memory functions and calls back instead of waiting for events.
    mApp.ProtocolMajor = 2;
    mApp.ProtocolMinor = 4;
    mApp.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    copyText(mApp.Manufacturer, "ZUZEV");
    copyText(mApp.ProductFamily, "Generic");
    copyText(mApp.ProductName, "Rared Udiv");
}

bool CTwainConnection::OpenManager(QWidget *window)
{
    if (ManagerLoaded())
        return true;
    mApp = {};
    if (!window)
        return false;
    mWindow = window;
    if (!loadLibrary())
        return false;
    FillAppIdentity();
    // Linux managers take no parent window here.
    mManagerOpen = call(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr, false) == TWRC_SUCCESS;
    if (mManagerOpen && (mApp.SupportedGroups & DF_DSM2))
        takeMemoryFunctions();
    return true;
}

void CTwainConnection::takeMemoryFunctions()
{
    TW_ENTRYPOINT entry{};
    entry.Size = sizeof entry;
    if (call(DG_CONTROL, DAT_ENTRYPOINT, MSG_GET, &entry, false) == TWRC_SUCCESS)
        mMemory = entry;
}

void CTwainConnection::CloseManager()
{
    if (mSourceOpen)
        CloseDataSource();
    if (mManagerOpen)
        call(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr, false);
    mManagerOpen = false;
    mSourceSelected = false;
    unloadLibrary();
}

bool CTwainConnection::UseDefaultSource()
{
    mSourceSelected = call(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &mSource, false) == TWRC_SUCCESS;
    return mSourceSelected;
}

std::vector<TW_IDENTITY> CTwainConnection::Sources()
{
    std::vector<TW_IDENTITY> sources;
    TW_IDENTITY id{};
    TW_UINT16 message = MSG_GETFIRST;
    while (sources.size() < 100 && call(DG_CONTROL, DAT_IDENTITY, message, &id, false) == TWRC_SUCCESS) {
        sources.push_back(id);
        message = MSG_GETNEXT;
    }
    return sources;
}

// The manager's own selection first; Linux managers have none, and then
// the program lists the sources itself. Cancelling the choice ends here.
bool CTwainConnection::ChooseSource()
{
    if (!mSourceSelected)
        UseDefaultSource();
    TW_IDENTITY chosen = mSource;
    if (call(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen, false) == TWRC_SUCCESS) {
        mSource = chosen;
        return mSourceSelected = true;
    }
    if (mReturnCode == TWRC_CANCEL)
        return false;
    const std::vector<TW_IDENTITY> sources = Sources();
    const int index = PickSource(sources);
    if (index < 0 || index >= int(sources.size()))
        return false;
    mSource = sources[std::size_t(index)];
    return mSourceSelected = true;
}

int CTwainConnection::PickSource(const std::vector<TW_IDENTITY> &sources)
{
    if (sources.empty())
        return -1;
    QStringList names;
    for (const TW_IDENTITY &source : sources)
        names << QString::fromLocal8Bit(source.ProductName);
    bool ok = false;
    const QString name = QInputDialog::getItem(mWindow, QStringLiteral("Select Source"),
                                               QStringLiteral("Sources:"), names, 0, false, &ok);
    return ok ? int(names.indexOf(name)) : -1;
}

bool CTwainConnection::OpenDataSource(const TW_IDENTITY *identity)
{
    if (!mManagerOpen)
        return false;
    if (identity) {
        mSource = *identity;
        mSourceSelected = true;
    }
    if (!mSourceSelected && !UseDefaultSource())
        return false;
    mSourceOpen = call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &mSource, false) == TWRC_SUCCESS;
    if (mSourceOpen)
        registerCallback();
    return mSourceOpen;
}

// A manager without callbacks queues the source's notices for FilterMessage.
void CTwainConnection::registerCallback()
{
    TW_CALLBACK2 callback2{reinterpret_cast<TW_MEMREF>(&zvTwainCallback), mCallbackId, 0};
    if (call(DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &callback2, true) == TWRC_SUCCESS)
        return;
    TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&zvTwainCallback), mCallbackId, 0};
    call(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback, true);
}

void CTwainConnection::CloseDataSource()
{
    if (mSourceEnabled)
        HideSource();
    if (mSourceOpen)
        call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &mSource, false);
    mSourceOpen = false;
}

bool CTwainConnection::ShowSource(bool showInterface)
{
    TW_USERINTERFACE ui{TW_BOOL(showInterface ? 1 : 0), 0, nullptr};
    const TW_UINT16 rc = call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui, true);
    mSourceEnabled = rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS;
    mModalUI = ui.ModalUI;
    mModalValue = mSourceEnabled ? ui.ModalUI : 1;
    setFiltering(mSourceEnabled);
    return mSourceEnabled;
}

void CTwainConnection::HideSource()
{
    if (!mSourceEnabled)
        return;
    TW_USERINTERFACE ui{0, 0, nullptr};
    call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui, true);
    mSourceEnabled = false;
    setFiltering(false);
}

void CTwainConnection::setFiltering(bool on)
{
    if (on && !mFilter && QCoreApplication::instance()) {
        mFilter = std::make_unique<SourceEventFilter>(*this);
        QCoreApplication::instance()->installEventFilter(mFilter.get());
    } else if (!on) {
        mFilter.reset();
    }
}

bool CTwainConnection::SetCapValue(TW_UINT16 capability, int value, bool isSigned)
{
    return SetCapOneValue(capability,
                          TW_ONEVALUE{TW_UINT16(isSigned ? TWTY_INT16 : TWTY_UINT16), std::uint16_t(value)});
}

bool CTwainConnection::SetCapOneValue(TW_UINT16 capability, const TW_ONEVALUE &value)
{
    TW_HANDLE block = mMemory.DSM_MemAllocate ? mMemory.DSM_MemAllocate(sizeof(TW_ONEVALUE))
                                              : std::calloc(1, sizeof(TW_ONEVALUE));
    if (!block)
        return false;
    auto *one = static_cast<TW_ONEVALUE *>(mMemory.DSM_MemLock ? mMemory.DSM_MemLock(block) : block);
    *one = value;
    if (mMemory.DSM_MemUnlock)
        mMemory.DSM_MemUnlock(block);
    TW_CAPABILITY cap{capability, TWON_ONEVALUE, block};
    const bool ok = call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap, true) == TWRC_SUCCESS;
    freeHandle(block);
    return ok;
}

bool CTwainConnection::GetCapValue(TW_UINT16 capability, TW_ONEVALUE &value)
{
    TW_CAPABILITY cap{capability, TWON_DONTCARE16, nullptr};
    if (call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap, true) != TWRC_SUCCESS || !cap.hContainer)
        return false;
    const auto *one = static_cast<const TW_ONEVALUE *>(
        mMemory.DSM_MemLock ? mMemory.DSM_MemLock(cap.hContainer) : cap.hContainer);
    const bool ok = cap.ConType == TWON_ONEVALUE;
    if (ok)
        value = *one;
    if (mMemory.DSM_MemUnlock)
        mMemory.DSM_MemUnlock(cap.hContainer);
    freeHandle(cap.hContainer);
    return ok;
}

void CTwainConnection::freeHandle(TW_HANDLE handle)
{
    if (!handle)
        return;
    if (mMemory.DSM_MemFree)
        mMemory.DSM_MemFree(handle);
    else
        std::free(handle);
}

bool CTwainConnection::StartAcquisition(int count)
{
    if (!mSourceOpen && !OpenDataSource(nullptr))
        return false;
    if (!SetCapValue(CAP_XFERCOUNT, count, true)) {
        TW_ONEVALUE current{};
        if (mReturnCode != TWRC_CHECKSTATUS || !GetCapValue(CAP_XFERCOUNT, current))
            return false;
        count = std::int16_t(current.Item);
        SetCapValue(CAP_XFERCOUNT, count, true);
    }
    mTransferCount = count;
    return ShowSource(true);
}

bool CTwainConnection::FilterMessage(QEvent *event)
{
    if (!mSourceEnabled || mInTransfer)
        return false;
    TW_EVENT twainEvent{event, 0};
    if (call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twainEvent, true) != TWRC_DSEVENT)
        return false;
    if (twainEvent.TWMessage)
        HandleSourceMessage(twainEvent.TWMessage);
    return true;
}

void CTwainConnection::HandleSourceMessage(TW_UINT16 message)
{
    if (message == MSG_XFERREADY && mSourceEnabled && !mInTransfer)
        transferLoop();
    else if ((message == MSG_CLOSEDSREQ || message == MSG_CLOSEDSOK) && mSourceOpen && MayCloseOnRequest())
        CloseDataSource();
}

int CTwainConnection::DecideTransfer(const TW_IMAGEINFO &)
{
    return 0;
}

bool CTwainConnection::MayCloseOnRequest()
{
    return true;
}

// At most 100 rounds, each taking pictures while the source has more.
void CTwainConnection::transferLoop()
{
    mInTransfer = true;
    bool pending = true;
    for (int round = 0; round < 100 && pending; ++round) {
        TW_IMAGEINFO info{};
        if (call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info, true) != TWRC_SUCCESS)
            continue;
        switch (DecideTransfer(info)) {
        case 0: pending = transferOne(info); break;
        case 1: pending = endTransfer(); break;
        default: {
            TW_PENDINGXFERS reset{};
            call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset, true);
            pending = false;
        }
        }
    }
    mInTransfer = false;
}

bool CTwainConnection::transferOne(const TW_IMAGEINFO &info)
{
    TW_HANDLE handle = nullptr;
    const TW_UINT16 rc = call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle, true);
    if (rc == TWRC_FAILURE) {
        TW_PENDINGXFERS reset{};
        call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset, true);
        return false;
    }
    if (rc == TWRC_XFERDONE) {
        const auto *data = static_cast<const std::uint8_t *>(
            handle && mMemory.DSM_MemLock ? mMemory.DSM_MemLock(handle) : handle);
        const std::size_t size = data ? TransferExtent(data, kMaxTransferBytes) : 0;
        OnImageTransferred(size ? data : nullptr, size, info);
        if (handle && mMemory.DSM_MemUnlock)
            mMemory.DSM_MemUnlock(handle);
    }
    freeHandle(handle);
    return endTransfer();
}

bool CTwainConnection::endTransfer()
{
    TW_PENDINGXFERS pending{};
    return call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending, true) == TWRC_SUCCESS &&
           pending.Count != 0;
}
