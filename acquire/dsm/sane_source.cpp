// acquire/dsm/sane_source.cpp
#include "acquire/dsm/sane_source.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

// The largest page handed over: far above a 600-dpi A4 page in colour.
constexpr std::uint64_t kMaxPageBytes = std::uint64_t(3) << 29;

TW_FIX32 fix32(double value)
{
    const auto n = std::int32_t(value * 65536.0 + 0.5);
    return TW_FIX32{TW_INT16(n >> 16), TW_UINT16(n & 0xFFFF)};
}

double fromFix32(TW_UINT32 item)
{
    return std::int16_t(item & 0xFFFF) + double(item >> 16) / 65536.0;
}

} // namespace

SaneSession::SaneSession()
{
    SANE_Int version = 0;
    mOk = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
}

SaneSession::~SaneSession()
{
    if (mOk)
        sane_exit();
}

SaneSource::SaneSource(std::shared_ptr<SaneSession> session, std::string device, std::string name,
                       Announcer announce)
    : mSession(std::move(session))
    , mDevice(std::move(device))
    , mName(std::move(name))
    , mAnnounce(std::move(announce))
{
}

SaneSource::~SaneSource()
{
    End();
    Close();
}

TW_UINT16 SaneSource::Open(TW_UINT16 &condition)
{
    if (sane_open(mDevice.c_str(), &mHandle) != SANE_STATUS_GOOD) {
        mHandle = nullptr;
        return condition = TWCC_OPERATIONERROR, TWRC_FAILURE;
    }
    mDpi = 0;
    mPixelType = -1;
    return condition = TWCC_SUCCESS, TWRC_SUCCESS;
}

void SaneSource::Close()
{
    if (mHandle)
        sane_close(mHandle);
    mHandle = nullptr;
}

TW_UINT16 SaneSource::SetCap(TW_UINT16 cap, const TW_ONEVALUE &value, TW_UINT16 &condition)
{
    condition = TWCC_SUCCESS;
    if ((cap == ICAP_XRESOLUTION || cap == ICAP_YRESOLUTION) && value.ItemType == TWTY_FIX32) {
        mDpi = fromFix32(value.Item);
        return TWRC_SUCCESS;
    }
    if (cap == ICAP_PIXELTYPE && value.Item <= TWPT_RGB) {
        mPixelType = int(value.Item);
        return TWRC_SUCCESS;
    }
    if (cap == ICAP_XFERMECH && value.Item == 0) // native is the one mechanism
        return TWRC_SUCCESS;
    return condition = TWCC_CAPUNSUPPORTED, TWRC_FAILURE;
}

const SANE_Option_Descriptor *SaneSource::option(const char *name, SANE_Int &index) const
{
    for (index = 1;; ++index) {
        const SANE_Option_Descriptor *d = sane_get_option_descriptor(mHandle, index);
        if (!d)
            return nullptr;
        if (d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap) &&
            SANE_OPTION_IS_SETTABLE(d->cap))
            return d;
    }
}

void SaneSource::setNumber(const char *name, double value)
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor *d = option(name, index);
    if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return;
    SANE_Word word = d->type == SANE_TYPE_INT ? SANE_Word(value + 0.5) : SANE_FIX(value);
    sane_control_option(mHandle, index, SANE_ACTION_SET_VALUE, &word, nullptr);
}

void SaneSource::setText(const char *name, const char *value)
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor *d = option(name, index);
    if (!d || d->type != SANE_TYPE_STRING)
        return;
    std::vector<char> text(std::size_t(std::max<SANE_Int>(d->size, SANE_Int(std::strlen(value) + 1))), 0);
    std::strcpy(text.data(), value);
    sane_control_option(mHandle, index, SANE_ACTION_SET_VALUE, text.data(), nullptr);
}

// The whole scan area, as a source without a window of its own offers.
void SaneSource::setToMaximum(const char *name)
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor *d = option(name, index);
    if (!d || d->constraint_type != SANE_CONSTRAINT_RANGE)
        return;
    SANE_Word word = d->constraint.range->max;
    sane_control_option(mHandle, index, SANE_ACTION_SET_VALUE, &word, nullptr);
}

void SaneSource::configure()
{
    setToMaximum(SANE_NAME_SCAN_BR_X);
    setToMaximum(SANE_NAME_SCAN_BR_Y);
    if (mDpi > 0)
        setNumber(SANE_NAME_SCAN_RESOLUTION, mDpi);
    static const char *const kModes[] = {SANE_VALUE_SCAN_MODE_LINEART, SANE_VALUE_SCAN_MODE_GRAY,
                                         SANE_VALUE_SCAN_MODE_COLOR};
    if (mPixelType >= 0)
        setText(SANE_NAME_SCAN_MODE, kModes[mPixelType]);
    setNumber(SANE_NAME_BIT_DEPTH, mPixelType == TWPT_BW ? 1 : 8);
}

bool SaneSource::feeder()
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor *d = option(SANE_NAME_SCAN_SOURCE, index);
    if (!d || d->type != SANE_TYPE_STRING)
        return false;
    std::vector<char> text(std::size_t(d->size) + 1, 0);
    if (sane_control_option(mHandle, index, SANE_ACTION_GET_VALUE, text.data(), nullptr) != SANE_STATUS_GOOD)
        return false;
    std::string value(text.data());
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return value.find("adf") != std::string::npos || value.find("feeder") != std::string::npos;
}

TW_UINT16 SaneSource::Begin(int count, TW_UINT16 &condition)
{
    if (!mHandle)
        return condition = TWCC_SEQERROR, TWRC_FAILURE;
    End();
    configure();
    mStop = false;
    mFinished = false;
    mScanning = false;
    mThread = std::thread([this, count] { run(count); });
    return condition = TWCC_SUCCESS, TWRC_SUCCESS;
}

// Scanning thread: pages until the count is reached, the feeder is empty,
// a page fails or the session ends; never more than one page ahead.
void SaneSource::run(int count)
{
    const int limit = count > 0 ? count : feeder() ? 32767 : 1;
    for (int n = 0; n < limit; ++n) {
        {
            std::unique_lock lock(mMutex);
            mChanged.wait(lock, [this] { return mStop || mPages.empty(); });
            if (mStop)
                break;
            mScanning = true;
        }
        const SANE_Status started = sane_start(mHandle);
        if (started != SANE_STATUS_GOOD && n > 0)
            break; // the feeder is empty
        Page page;
        if (started != SANE_STATUS_GOOD)
            page.condition = started == SANE_STATUS_NO_DOCS ? TW_UINT16(29) : TWCC_OPERATIONERROR;
        else
            page = scanPage();
        {
            std::lock_guard lock(mMutex);
            mPages.push_back(page);
            mScanning = false;
        }
        mChanged.notify_all();
        announce(MSG_XFERREADY); // heard only while the application waits for it
        if (page.condition != TWCC_SUCCESS)
            break;
    }
    sane_cancel(mHandle);
    bool nothingLeft = false;
    {
        std::lock_guard lock(mMutex);
        mFinished = true;
        mScanning = false;
        nothingLeft = mPages.empty() && !mStop;
    }
    mChanged.notify_all();
    // An application waiting for a page that will not come may close the source.
    if (nothingLeft)
        announce(MSG_CLOSEDSREQ);
}

void SaneSource::announce(TW_UINT16 message)
{
    while (!mAnnounce(message)) {
        if (std::lock_guard lock(mMutex); mStop)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

SaneSource::Page SaneSource::scanPage()
{
    Page page;
    SANE_Parameters p{};
    if (sane_get_parameters(mHandle, &p) != SANE_STATUS_GOOD || !p.last_frame || p.pixels_per_line <= 0 ||
        (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB) ||
        (p.depth != 1 && p.depth != 8 && p.depth != 16) || (p.format == SANE_FRAME_RGB && p.depth == 1)) {
        page.condition = TWCC_OPERATIONERROR;
        return page;
    }
    page.format.width = std::uint32_t(p.pixels_per_line);
    page.format.samples = p.format == SANE_FRAME_RGB ? 3 : 1;
    page.format.bits = p.depth == 1 ? 1 : 8;
    page.format.dpi = std::uint32_t(mDpi > 0 ? mDpi + 0.5 : 0);
    if (page.format.dpi == 0) {
        SANE_Int index = 0;
        const SANE_Option_Descriptor *d = option(SANE_NAME_SCAN_RESOLUTION, index);
        SANE_Word word = 0;
        if (d &&
            sane_control_option(mHandle, index, SANE_ACTION_GET_VALUE, &word, nullptr) == SANE_STATUS_GOOD)
            page.format.dpi = std::uint32_t(d->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) + 0.5 : word);
    }
    if (!readRows(p, page) && page.block) {
        DsmFree(page.block);
        page.block = nullptr;
    }
    return page;
}

// SANE's lines (bytes_per_line each, 16-bit samples in host order) become
// the TIFF's rows of 8-bit samples; a page of unknown length is gathered first.
bool SaneSource::readRows(const SANE_Parameters &p, Page &page)
{
    const std::uint64_t rowBytes = TiffRowBytes(page.format);
    const bool known = p.lines > 0;
    std::vector<std::uint8_t> gathered;
    const std::uint64_t bytes = TiffHeaderBytes() + rowBytes * std::uint64_t(known ? p.lines : 0);
    if (bytes > kMaxPageBytes)
        return page.condition = TWCC_LOWMEMORY, false;
    page.block = DsmAllocate(TW_UINT32(bytes));
    if (!page.block)
        return page.condition = TWCC_LOWMEMORY, false;
    auto *rows = static_cast<std::uint8_t *>(page.block) + TiffHeaderBytes();
    std::vector<std::uint8_t> line(std::size_t(p.bytes_per_line));
    std::vector<std::uint8_t> buffer(1 << 18);
    std::size_t filled = 0;
    std::uint64_t done = 0;
    for (;;) {
        SANE_Int got = 0;
        const SANE_Status status = sane_read(mHandle, buffer.data(), SANE_Int(buffer.size()), &got);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD)
            return page.condition = TWCC_OPERATIONERROR, false;
        for (SANE_Int i = 0; i < got;) {
            const std::size_t take = std::min(line.size() - filled, std::size_t(got - i));
            std::memcpy(line.data() + filled, buffer.data() + i, take);
            filled += take, i += SANE_Int(take);
            if (filled < line.size())
                continue;
            filled = 0;
            std::uint8_t *row = nullptr;
            if (known && done < std::uint64_t(p.lines))
                row = rows + done * rowBytes;
            else if (!known) {
                if (TiffHeaderBytes() + (done + 1) * rowBytes > kMaxPageBytes)
                    return page.condition = TWCC_LOWMEMORY, false;
                gathered.resize(std::size_t((done + 1) * rowBytes));
                row = gathered.data() + done * rowBytes;
            }
            if (row && p.depth == 16) {
                const auto *samples = reinterpret_cast<const std::uint16_t *>(line.data());
                for (std::uint64_t s = 0; s < rowBytes; ++s)
                    row[s] = std::uint8_t(samples[s] >> 8);
            } else if (row) {
                std::memcpy(row, line.data(), std::size_t(rowBytes));
            }
            ++done;
        }
    }
    page.format.height = std::uint32_t(known ? std::min<std::uint64_t>(done, std::uint64_t(p.lines)) : done);
    if (!known) {
        DsmFree(page.block);
        page.block = DsmAllocate(TW_UINT32(TiffHeaderBytes() + gathered.size()));
        if (!page.block)
            return page.condition = TWCC_LOWMEMORY, false;
        std::memcpy(static_cast<std::uint8_t *>(page.block) + TiffHeaderBytes(), gathered.data(),
                    gathered.size());
    }
    if (page.format.height == 0)
        return page.condition = TWCC_OPERATIONERROR, false;
    WriteTiffHeader(static_cast<std::uint8_t *>(page.block), page.format);
    return true;
}

TW_UINT16 SaneSource::Info(TW_IMAGEINFO &info, TW_UINT16 &condition)
{
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return !mPages.empty() || mFinished; });
    if (mPages.empty())
        return condition = TWCC_BUMMER, TWRC_FAILURE;
    const TiffPageFormat &f = mPages.front().format;
    info = {};
    info.XResolution = info.YResolution = fix32(f.dpi);
    info.ImageWidth = TW_INT32(f.width);
    info.ImageLength = TW_INT32(f.height);
    info.SamplesPerPixel = TW_INT16(f.samples);
    for (int i = 0; i < f.samples; ++i)
        info.BitsPerSample[i] = TW_INT16(f.bits);
    info.BitsPerPixel = TW_INT16(f.samples * f.bits);
    info.PixelType = TW_INT16(f.samples == 3 ? TWPT_RGB : f.bits == 1 ? TWPT_BW : TWPT_GRAY);
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSource::Transfer(TW_HANDLE &handle, TW_UINT16 &condition)
{
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return !mPages.empty() || mFinished; });
    if (mPages.empty())
        return condition = TWCC_BUMMER, TWRC_FAILURE;
    const Page page = mPages.front();
    mPages.pop_front();
    lock.unlock();
    mChanged.notify_all();
    if (page.condition != TWCC_SUCCESS || !page.block)
        return condition = page.condition, TWRC_FAILURE;
    handle = page.block;
    return TWRC_XFERDONE;
}

// Never waits for the scanner: a page on its way is announced when it arrives.
DsmSource::More SaneSource::HasMore()
{
    std::lock_guard lock(mMutex);
    if (!mPages.empty())
        return More::Ready;
    return mFinished ? More::No : More::Later;
}

void SaneSource::End()
{
    if (!mThread.joinable())
        return;
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mChanged.notify_all();
    sane_cancel(mHandle); // ends a read in progress
    mThread.join();
    for (Page &page : mPages)
        DsmFree(page.block);
    mPages.clear();
    mFinished = true;
}
