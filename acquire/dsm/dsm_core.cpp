// acquire/dsm/dsm_core.cpp
#include "acquire/dsm/dsm_core.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> sOutstanding{0};

TW_MEMREF memLock(TW_HANDLE handle)
{
    return handle;
}

void memUnlock(TW_HANDLE) {}

} // namespace

TW_HANDLE DsmAllocate(TW_UINT32 size)
{
    TW_HANDLE block = size ? std::calloc(1, size) : nullptr;
    if (block)
        ++sOutstanding;
    return block;
}

void DsmFree(TW_HANDLE handle)
{
    if (handle)
        --sOutstanding;
    std::free(handle);
}

long DsmOutstandingBlocks()
{
    return sOutstanding;
}

DsmCore::DsmCore(SourceFactory factory)
    : mFactory(factory)
{
}

TW_UINT16 DsmCore::fail(TW_UINT16 condition)
{
    mCondition = condition;
    return TWRC_FAILURE;
}

TW_IDENTITY DsmCore::identityOf(std::size_t index) const
{
    TW_IDENTITY id{};
    id.Id = TW_UINT32(index + 1);
    id.Version.MajorNum = 1;
    id.Version.Language = TWLG_USA;
    id.Version.Country = TWCY_USA;
    std::strncpy(id.Version.Info, "1.0", 33);
    id.ProtocolMajor = 2;
    id.ProtocolMinor = 4;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    std::strncpy(id.Manufacturer, "Zelventa", 33);
    std::strncpy(id.ProductFamily, "Scanner", 33);
    std::strncpy(id.ProductName, mSources[index]->Name().c_str(), 33);
    return id;
}

TW_UINT16 DsmCore::Entry(TW_IDENTITY *origin, TW_IDENTITY *destination, TW_UINT32 group, TW_UINT16 dat,
                         TW_UINT16 message, TW_MEMREF data)
{
    std::lock_guard lock(mMutex);
    if (!origin)
        return fail(TWCC_BADPROTOCOL);
    if (!mOpen && !(dat == DAT_PARENT && message == MSG_OPENDSM)) {
        if (dat == DAT_STATUS && data)
            return static_cast<TW_STATUS *>(data)->ConditionCode = TWCC_BUMMER, TWRC_SUCCESS;
        return TWRC_FAILURE;
    }
    if (!destination)
        return managerCall(origin, dat, message, data);
    if (mOpenSource < 0 || destination->Id != TW_UINT32(mOpenSource + 1))
        return fail(TWCC_BADDEST);
    return sourceCall(group, dat, message, data);
}

TW_UINT16 DsmCore::managerCall(TW_IDENTITY *origin, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data)
{
    switch (dat) {
    case DAT_PARENT:
        if (message == MSG_OPENDSM) {
            if (mOpen)
                return fail(TWCC_SEQERROR);
            origin->Id = 1;
            origin->SupportedGroups |= DF_DSM2;
            mApp = *origin;
            mSources = mFactory();
            mOpen = true;
            return TWRC_SUCCESS;
        }
        if (message == MSG_CLOSEDSM) {
            closeSource();
            mSources.clear();
            mOpen = false;
            return TWRC_SUCCESS;
        }
        return fail(TWCC_BADPROTOCOL);
    case DAT_ENTRYPOINT: {
        auto *entry = static_cast<TW_ENTRYPOINT *>(data);
        if (message != MSG_GET || !entry || entry->Size != sizeof(TW_ENTRYPOINT) ||
            !(origin->SupportedGroups & DF_APP2))
            return fail(TWCC_BADPROTOCOL);
        entry->DSM_Entry = nullptr;
        entry->DSM_MemAllocate = &DsmAllocate;
        entry->DSM_MemFree = &DsmFree;
        entry->DSM_MemLock = &memLock;
        entry->DSM_MemUnlock = &memUnlock;
        return TWRC_SUCCESS;
    }
    case DAT_STATUS:
        if (!data)
            return fail(TWCC_BADVALUE);
        static_cast<TW_STATUS *>(data)->ConditionCode = mCondition;
        mCondition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    case DAT_IDENTITY: return identityCall(message, static_cast<TW_IDENTITY *>(data));
    default: return fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 DsmCore::identityCall(TW_UINT16 message, TW_IDENTITY *id)
{
    if (!id)
        return fail(TWCC_BADVALUE);
    switch (message) {
    case MSG_GETFIRST: mNext = 0; [[fallthrough]];
    case MSG_GETNEXT:
        if (mNext >= mSources.size())
            return TWRC_ENDOFLIST;
        *id = identityOf(mNext++);
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
        if (mSources.empty())
            return fail(TWCC_NODS);
        *id = identityOf(0);
        return TWRC_SUCCESS;
    case MSG_USERSELECT:
        id->Id = 0; // no selection window of the manager's own
        return fail(TWCC_BADPROTOCOL);
    case MSG_OPENDS: return openSource(id);
    case MSG_CLOSEDS:
        if (mOpenSource < 0 || mState != 4)
            return fail(TWCC_SEQERROR);
        closeSource();
        return TWRC_SUCCESS;
    default: return fail(TWCC_BADPROTOCOL);
    }
}

// By id, by product name when the id is 0, the first source when both are empty.
TW_UINT16 DsmCore::openSource(TW_IDENTITY *id)
{
    if (mOpenSource >= 0)
        return fail(TWCC_SEQERROR);
    int index = -1;
    if (id->Id >= 1 && id->Id <= mSources.size())
        index = int(id->Id) - 1;
    for (std::size_t i = 0; index < 0 && i < mSources.size(); ++i) {
        if (!id->ProductName[0] || mSources[i]->Name() == id->ProductName)
            index = int(i);
    }
    if (index < 0)
        return fail(TWCC_NODS);
    TW_UINT16 condition = TWCC_SUCCESS;
    if (mSources[std::size_t(index)]->Open(condition) != TWRC_SUCCESS)
        return fail(condition);
    *id = identityOf(std::size_t(index));
    mOpenSource = index;
    mState = 4;
    mTransferCount = -1;
    mCallback = nullptr;
    mQueue.clear();
    return TWRC_SUCCESS;
}

// Backs out from any state, as a manager closing under an open source must.
void DsmCore::closeSource()
{
    if (mOpenSource < 0)
        return;
    DsmSource &source = *mSources[std::size_t(mOpenSource)];
    if (mState >= 5)
        source.End();
    source.Close();
    mOpenSource = -1;
    mState = 3;
    mQueue.clear();
}

TW_UINT16 DsmCore::sourceCall(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data)
{
    DsmSource &source = *mSources[std::size_t(mOpenSource)];
    TW_UINT16 condition = TWCC_SUCCESS;
    if (group == DG_CONTROL && dat == DAT_STATUS) {
        static_cast<TW_STATUS *>(data)->ConditionCode = mCondition;
        mCondition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (group == DG_CONTROL && (dat == DAT_CALLBACK || dat == DAT_CALLBACK2) &&
        message == MSG_REGISTER_CALLBACK) {
        if (mState != 4 || !data)
            return fail(TWCC_SEQERROR);
        if (!source.AcceptsCallback())
            return fail(TWCC_BADPROTOCOL);
        if (dat == DAT_CALLBACK2) {
            const auto *cb = static_cast<TW_CALLBACK2 *>(data);
            mCallback = cb->CallBackProc, mRefCon = cb->RefCon;
        } else {
            const auto *cb = static_cast<TW_CALLBACK *>(data);
            mCallback = cb->CallBackProc, mRefCon = cb->RefCon;
        }
        return TWRC_SUCCESS;
    }
    if (group == DG_CONTROL && dat == DAT_CAPABILITY)
        return capability(message, static_cast<TW_CAPABILITY *>(data));
    if (group == DG_CONTROL && dat == DAT_USERINTERFACE)
        return userInterface(message);
    if (group == DG_CONTROL && dat == DAT_PENDINGXFERS)
        return pending(message, static_cast<TW_PENDINGXFERS *>(data));
    if (group == DG_CONTROL && dat == DAT_EVENT && message == MSG_PROCESSEVENT) {
        auto *event = static_cast<TW_EVENT *>(data);
        if (mState < 5 || mQueue.empty())
            return event->TWMessage = 0, TWRC_NOTDSEVENT;
        event->TWMessage = mQueue.front();
        mQueue.pop_front();
        return TWRC_DSEVENT;
    }
    if (group == DG_IMAGE && dat == DAT_IMAGEINFO && message == MSG_GET) {
        if (mState != 6 && mState != 7)
            return fail(TWCC_SEQERROR);
        const TW_UINT16 rc = source.Info(*static_cast<TW_IMAGEINFO *>(data), condition);
        return rc == TWRC_SUCCESS ? rc : fail(condition);
    }
    if (group == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && message == MSG_GET) {
        if (mState != 6)
            return fail(TWCC_SEQERROR);
        auto *handle = static_cast<TW_HANDLE *>(data);
        *handle = nullptr;
        const TW_UINT16 rc = source.Transfer(*handle, condition);
        if (rc == TWRC_XFERDONE || rc == TWRC_CANCEL)
            mState = 7;
        return rc == TWRC_FAILURE ? fail(condition) : rc;
    }
    return fail(TWCC_BADPROTOCOL);
}

TW_UINT16 DsmCore::capability(TW_UINT16 message, TW_CAPABILITY *cap)
{
    if (!cap)
        return fail(TWCC_BADVALUE);
    DsmSource &source = *mSources[std::size_t(mOpenSource)];
    TW_UINT16 condition = TWCC_SUCCESS;
    if (message == MSG_GET && cap->Cap == CAP_XFERCOUNT) {
        auto *one = static_cast<TW_ONEVALUE *>(DsmAllocate(sizeof(TW_ONEVALUE)));
        one->ItemType = TWTY_INT16;
        one->Item = std::uint16_t(std::int16_t(mTransferCount));
        cap->ConType = TWON_ONEVALUE;
        cap->hContainer = one;
        return TWRC_SUCCESS;
    }
    if (message != MSG_SET)
        return fail(TWCC_CAPBADOPERATION);
    if (mState != 4)
        return fail(TWCC_SEQERROR);
    if (cap->ConType != TWON_ONEVALUE || !cap->hContainer)
        return fail(TWCC_BADVALUE);
    const TW_ONEVALUE one = *static_cast<TW_ONEVALUE *>(cap->hContainer);
    if (cap->Cap != CAP_XFERCOUNT) {
        const TW_UINT16 rc = source.SetCap(cap->Cap, one, condition);
        return rc == TWRC_FAILURE ? fail(condition) : rc;
    }
    int count = std::int16_t(one.Item);
    if (count == 0 || count < -1)
        return fail(TWCC_BADVALUE);
    const TW_UINT16 rc = source.CheckTransferCount(count, condition);
    if (rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS)
        mTransferCount = count;
    mCondition = condition;
    return rc;
}

TW_UINT16 DsmCore::userInterface(TW_UINT16 message)
{
    DsmSource &source = *mSources[std::size_t(mOpenSource)];
    if (message == MSG_ENABLEDS) {
        if (mState != 4)
            return fail(TWCC_SEQERROR);
        mState = 5;
        mDone = 0;
        TW_UINT16 condition = TWCC_SUCCESS;
        if (source.Begin(mTransferCount, condition) != TWRC_SUCCESS) {
            mState = 4;
            return fail(condition);
        }
        return TWRC_SUCCESS;
    }
    if (message == MSG_DISABLEDS) {
        if (mState != 5)
            return fail(TWCC_SEQERROR);
        source.End();
        mState = 4;
        mQueue.clear();
        return TWRC_SUCCESS;
    }
    return fail(TWCC_BADPROTOCOL);
}

TW_UINT16 DsmCore::pending(TW_UINT16 message, TW_PENDINGXFERS *pending)
{
    if (!pending)
        return fail(TWCC_BADVALUE);
    DsmSource &source = *mSources[std::size_t(mOpenSource)];
    if (message == MSG_ENDXFER) {
        if (mState != 7)
            return fail(TWCC_SEQERROR);
        ++mDone;
        const DsmSource::More more =
            mTransferCount >= 0 && mDone >= mTransferCount ? DsmSource::More::No : source.HasMore();
        const bool ready = more == DsmSource::More::Ready;
        pending->Count = !ready ? 0 : mTransferCount < 0 ? 0xFFFF : TW_UINT16(mTransferCount - mDone);
        mState = ready ? 6 : 5;
        if (more == DsmSource::More::Later)
            return TWRC_SUCCESS; // the next page is announced when scanned
    } else if (message == MSG_RESET) {
        if (mState != 6)
            return fail(TWCC_SEQERROR);
        pending->Count = 0;
        mState = 5;
    } else if (message == MSG_GET) {
        pending->Count = mState >= 6 ? 1 : 0;
        return TWRC_SUCCESS;
    } else {
        return fail(TWCC_BADPROTOCOL);
    }
    // The session is over: a source without a window of its own asks to be closed.
    if (mState == 5)
        Announce(MSG_CLOSEDSREQ);
    return TWRC_SUCCESS;
}

void DsmCore::Announce(TW_UINT16 message)
{
    std::lock_guard lock(mMutex);
    announceLocked(message);
}

bool DsmCore::TryAnnounce(TW_UINT16 message)
{
    std::unique_lock lock(mMutex, std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    announceLocked(message);
    return true;
}

void DsmCore::announceLocked(TW_UINT16 message)
{
    if (mOpenSource < 0)
        return;
    if ((message == MSG_XFERREADY || message == MSG_CLOSEDSREQ) && mState != 5)
        return;
    if (message == MSG_XFERREADY)
        mState = 6;
    if (mCallback) {
        TW_IDENTITY source = identityOf(std::size_t(mOpenSource));
        reinterpret_cast<DSMENTRYPROC>(mCallback)(&source, &mApp, DG_CONTROL, DAT_NULL, message,
                                                  reinterpret_cast<TW_MEMREF>(mRefCon));
    } else {
        mQueue.push_back(message);
    }
}
