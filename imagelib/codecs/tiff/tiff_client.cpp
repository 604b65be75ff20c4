// imagelib/codecs/tiff/tiff_client.cpp
#include "imagelib/codecs/tiff/tiff_client.h"
#include "imagelib/streams/file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

namespace {

// libtiff sizes its own buffers from the header: a forged sample count can
// ask for gigabytes beside a small picture. No real page needs a single
// buffer this large.
constexpr tmsize_t kMaxSingleAlloc = tmsize_t(1) << 30;
constexpr std::size_t kWriteBlock = 256 * 1024;

// Messages libtiff raises before a handle exists, or from code that has no
// handle, would go to the process-wide handlers and so to stderr. Those are
// switched off once, before the first handle is opened on any thread.
void silenceProcessHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

} // namespace

ZvTiffClient::ZvTiffClient(ZvFile *file)
    : mFile(file)
{
}

ZvTiffClient::~ZvTiffClient()
{
    // Not TIFFClose: after a failure nothing more should be written.
    if (mTif)
        TIFFCleanup(mTif);
}

bool ZvTiffClient::Open(const char *mode)
{
    silenceProcessHandlers();
    if (!mFile || mTif)
        return false;
    mBase = mFile->Tell();
    mPos = mBase;
    mEnd = mFile->Size();
    if (mBase < 0)
        mBase = 0;
    TIFFOpenOptions *opts = TIFFOpenOptionsAlloc();
    if (!opts)
        return false;
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxSingleAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(opts, ErrorHandler, this);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, WarningHandler, this);
    mTif = TIFFClientOpenExt("ZvImageTIF", mode, this, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                             MapProc, UnmapProc, opts);
    TIFFOpenOptionsFree(opts);
    // A stream that takes nothing fails here, at the header, not at the end.
    if (mTif && !FlushPending()) {
        TIFFCleanup(mTif);
        mTif = nullptr;
    }
    return mTif != nullptr;
}

bool ZvTiffClient::Close()
{
    if (!mTif)
        return false;
    const bool flushed = TIFFFlush(mTif) != 0;
    TIFFCleanup(mTif);
    mTif = nullptr;
    return FlushPending() && flushed;
}

bool ZvTiffClient::FlushPending()
{
    if (mPendingBytes > 0 && mFile->Write(mPending.get(), 1, mPendingBytes) != mPendingBytes)
        mWriteFailed = true;
    mPendingBytes = 0;
    return !mWriteFailed;
}

std::int64_t ZvTiffClient::Available() const
{
    const std::int64_t size = mFile ? mFile->Size() : -1;
    return size >= mBase ? size - mBase : -1;
}

tmsize_t ZvTiffClient::ReadProc(thandle_t h, void *buf, tmsize_t size)
{
    auto *self = static_cast<ZvTiffClient *>(h);
    if (size <= 0 || !self->FlushPending())
        return 0;
    const std::size_t got = self->mFile->Read(buf, 1, std::size_t(size));
    self->mPos += std::int64_t(got);
    return tmsize_t(got);
}

tmsize_t ZvTiffClient::WriteProc(thandle_t h, void *buf, tmsize_t size)
{
    auto *self = static_cast<ZvTiffClient *>(h);
    if (size <= 0 || self->mWriteFailed)
        return 0;
    const std::size_t n = std::size_t(size);
    if (!self->mPending)
        self->mPending.reset(new (std::nothrow) std::uint8_t[kWriteBlock]);
    if (self->mPendingBytes + n > kWriteBlock && !self->FlushPending())
        return 0;
    if (self->mPending && n <= kWriteBlock) {
        std::memcpy(self->mPending.get() + self->mPendingBytes, buf, n);
        self->mPendingBytes += n;
    } else if (self->mFile->Write(buf, 1, n) != n) {
        self->mWriteFailed = true;
        return 0;
    }
    self->mPos += std::int64_t(n);
    if (self->mEnd >= 0 && self->mPos > self->mEnd)
        self->mEnd = self->mPos;
    return size;
}

// libtiff seeks to the end of the file before every strip it writes, which
// is where it already is; on a stdio stream each such seek would flush the
// buffer and cost system calls, so seeks to the current position are
// answered without the stream.
toff_t ZvTiffClient::SeekProc(thandle_t h, toff_t off, int whence)
{
    auto *self = static_cast<ZvTiffClient *>(h);
    constexpr toff_t kFail = toff_t(-1);
    bool ok = false;
    switch (whence) {
    case SEEK_SET:
        if (off > toff_t(INT64_MAX - self->mBase))
            return kFail;
        if (self->mPos >= 0 && self->mBase + std::int64_t(off) == self->mPos)
            return off;
        if (!self->FlushPending())
            return kFail;
        ok = self->mFile->Seek(self->mBase + std::int64_t(off), SEEK_FROM_START);
        break;
    case SEEK_CUR:
        ok = self->FlushPending() && self->mFile->Seek(std::int64_t(off), SEEK_FROM_CURRENT);
        break;
    case SEEK_END:
        if (off == 0 && self->mPos >= 0 && self->mPos == self->mEnd)
            return toff_t(self->mPos - self->mBase);
        ok = self->FlushPending() && self->mFile->Seek(std::int64_t(off), SEEK_FROM_END);
        break;
    default: return kFail;
    }
    self->mPos = ok ? self->mFile->Tell() : -1;
    const std::int64_t pos = self->mPos >= 0 ? self->mPos - self->mBase : -1;
    return pos < 0 ? kFail : toff_t(pos);
}

int ZvTiffClient::CloseProc(thandle_t)
{
    return 0; // the stream is the caller's
}

toff_t ZvTiffClient::SizeProc(thandle_t h)
{
    auto *self = static_cast<ZvTiffClient *>(h);
    if (!self->FlushPending())
        return 0;
    const std::int64_t size = self->Available();
    return size < 0 ? 0 : toff_t(size);
}

int ZvTiffClient::MapProc(thandle_t, void **, toff_t *)
{
    return 0;
}

void ZvTiffClient::UnmapProc(thandle_t, void *, toff_t) {}

int ZvTiffClient::ErrorHandler(TIFF *, void *user, const char *, const char *fmt, va_list ap)
{
    // The last error is kept: libtiff reports some problems it then works
    // around as errors too, and the one that ends a call comes last.
    auto *self = static_cast<ZvTiffClient *>(user);
    if (self)
        std::vsnprintf(self->mError, sizeof(self->mError), fmt, ap);
    return 1;
}

int ZvTiffClient::WarningHandler(TIFF *, void *, const char *, const char *, va_list)
{
    return 1; // warnings describe oddities libtiff has already worked around
}
