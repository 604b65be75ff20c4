// imagelib/registry/image_io.cpp
// Load, save and the dispatch of decoding and encoding to the codecs.
#include "imagelib/registry/codec_factory.h"
#include "imagelib/streams/io_file.h"
#include "imagelib/streams/mem_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A camera RAW comes before TIFF, whose byte-order marks most RAW files
// share: the RAW codec takes only what LibRaw identifies as a camera's
// raw data, and leaves plain TIFFs to the TIFF codec.
constexpr std::uint32_t kSniffOrder[] = {
    ZV_TYPE_BMP, ZV_TYPE_JPG, ZV_TYPE_ICO, ZV_TYPE_GIF, ZV_TYPE_PNG, ZV_TYPE_WEBP, ZV_TYPE_AVIF, ZV_TYPE_HEIF,
    ZV_TYPE_JXL, ZV_TYPE_RAW, ZV_TYPE_TIF, ZV_TYPE_TGA, ZV_TYPE_PCX, ZV_TYPE_WBMP, ZV_TYPE_WMF,  ZV_TYPE_JP2,
};

bool keepsFrameCount(std::uint32_t type)
{
    return type == ZV_TYPE_GIF || type == ZV_TYPE_ICO || type == ZV_TYPE_TIF;
}

// Where the saves in progress keep their temporary files, for
// ZvRemovePendingSaves. A slot is Free, Filling while its name is written,
// or Ready while the file may exist.
constexpr int kPendingSlots = 16;
enum SlotState : int { kFree, kFilling, kReady };
std::atomic<int> sSlotState[kPendingSlots];
char sSlotPath[kPendingSlots][4096];

int claimSlot(const std::string &path)
{
    if (path.size() >= sizeof(sSlotPath[0]))
        return -1;
    for (int i = 0; i < kPendingSlots; ++i) {
        int expected = kFree;
        if (sSlotState[i].compare_exchange_strong(expected, kFilling)) {
            std::memcpy(sSlotPath[i], path.c_str(), path.size() + 1);
            sSlotState[i].store(kReady);
            return i;
        }
    }
    return -1;
}

void releaseSlot(int slot)
{
    if (slot >= 0)
        sSlotState[slot].store(kFree);
}

// The file a save writes: the target itself, or the file a symbolic link
// (or a chain of them) names, so that the link stays a link.
std::string resolveLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string link(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || std::size_t(n) >= link.size())
            return path;
        link.resize(std::size_t(n));
        const std::size_t slash = path.rfind('/');
        path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
    return path;
}

std::string folderOfPath(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Makes a rename in folder durable; a folder that cannot be opened or
// synced (some file systems refuse) leaves the rename as the system keeps it.
void syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A temporary file beside the target, created with the permissions a new
// file would get (or the target's own), that a successful save syncs and
// renames over the target. Hidden and with no picture extension, so folder
// browsers ignore it while it exists. Failures leave their text in mProblem.
class TempSibling
{
  public:
    explicit TempSibling(const std::string &target)
        : mTarget(resolveLinks(target))
    {
        static std::atomic<unsigned> sCounter{0};
        const std::string dir = folderOfPath(mTarget) == "." ? std::string() : folderOfPath(mTarget);
        const std::string base = mTarget.substr(dir.size());
        struct stat st;
        const bool exists = ::stat(mTarget.c_str(), &st) == 0;
        if (exists && !S_ISREG(st.st_mode)) {
            fail(EISDIR);
            return;
        }
        for (int attempt = 0; attempt < 100 && mFd < 0; ++attempt) {
            mPath =
                dir + "." + base + ".zvtmp" + std::to_string(::getpid()) + "-" + std::to_string(sCounter++);
            mSlot = claimSlot(mPath);
            mFd = ::open(mPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (mFd < 0) {
                const int error = errno;
                releaseSlot(mSlot);
                mSlot = -1;
                if (error != EEXIST) {
                    fail(error);
                    break;
                }
            }
        }
        if (mFd >= 0 && exists)
            ::fchmod(mFd, st.st_mode & 07777);
    }
    ~TempSibling()
    {
        if (mFp)
            std::fclose(mFp);
        else if (mFd >= 0)
            ::close(mFd);
        if (!mCommitted && mFd >= 0)
            ::unlink(mPath.c_str());
        releaseSlot(mSlot);
    }
    std::FILE *Stream()
    {
        if (!mFp && mFd >= 0)
            mFp = ::fdopen(mFd, "wb");
        return mFp;
    }
    bool Commit()
    {
        if (!mFp)
            return false;
        errno = 0;
        const bool written = std::fflush(mFp) == 0 && std::ferror(mFp) == 0 && ::fsync(mFd) == 0;
        const int writeError = errno;
        const bool closed = std::fclose(mFp) == 0;
        const int closeError = errno;
        mFp = nullptr;
        mFd = -1;
        if (!written || !closed) {
            ::unlink(mPath.c_str());
            fail(!written ? writeError : closeError);
            return false;
        }
        if (::rename(mPath.c_str(), mTarget.c_str()) != 0) {
            fail(errno);
            ::unlink(mPath.c_str());
            return false;
        }
        mCommitted = true;
        syncFolder(folderOfPath(mTarget));
        return true;
    }
    // Gives up after a failed write: the file goes with the object.
    void Abandon(int error) { fail(error); }
    const std::string &Problem() const { return mProblem; }
    ZvErrorKind Kind() const { return mKind; }

  private:
    void fail(int error)
    {
        mKind = error == ENOENT || error == ENOTDIR ? ZvErrorKind::NotFound : ZvErrorKind::Io;
        mProblem = "cannot write " + mTarget + ": " + std::strerror(error ? error : EIO);
    }

    std::string mTarget;
    std::string mPath;
    std::string mProblem;
    ZvErrorKind mKind = ZvErrorKind::Io;
    int mFd = -1;
    int mSlot = -1;
    std::FILE *mFp = nullptr;
    bool mCommitted = false;
};

// A codec's failure as the caller sees it: a stream error is I/O, memory and
// cancelling stay as the codec said, anything else is fallback.
ZvErrorKind failureKind(const ZvImage &codec, ZvFile *stream, ZvErrorKind fallback)
{
    const ZvErrorKind kind = codec.GetErrorKind();
    if (kind == ZvErrorKind::TooLarge || kind == ZvErrorKind::Cancelled)
        return kind;
    if (stream && stream->Error())
        return ZvErrorKind::Io;
    if (codec.GetEscape() != 0 && codec.GetEscape() != -1)
        return ZvErrorKind::Cancelled;
    return fallback;
}

ZvErrorKind openErrorKind(int error)
{
    return error == ENOENT || error == ENOTDIR ? ZvErrorKind::NotFound : ZvErrorKind::Io;
}

} // namespace

void ZvRemovePendingSaves()
{
    for (int i = 0; i < kPendingSlots; ++i) {
        if (sSlotState[i].load() == kReady)
            ::unlink(sSlotPath[i]);
    }
}

bool ZvImage::Load(const char *filename, std::uint32_t imagetype)
{
    if (!filename)
        return false;
    ZvIOFile file;
    errno = 0;
    if (!file.Open(filename, "rb")) {
        const int error = errno ? errno : EIO;
        SetLastError(std::strerror(error), openErrorKind(error));
        return false;
    }
    return Load(&file, imagetype);
}

bool ZvImage::Load(ZvFile *stream, std::uint32_t imagetype)
{
    if (!stream)
        return false;
    const std::int64_t start = stream->Tell();
    if (imagetype > 0 && imagetype < ZV_MAX_TYPES) {
        if (Decode(stream, imagetype))
            return true;
        if (GetErrorKind() == ZvErrorKind::Cancelled || GetErrorKind() == ZvErrorKind::Io)
            return false;
        stream->Seek(start, SEEK_FROM_START);
    }
    char saved[sizeof(mInfo.szLastError)];
    std::memcpy(saved, mInfo.szLastError, sizeof(saved));
    const ZvErrorKind savedKind = GetErrorKind();
    const bool ok = Decode(stream, ZV_TYPE_UNKNOWN);
    if (!ok && imagetype != ZV_TYPE_UNKNOWN)
        SetLastError(saved, savedKind);
    return ok;
}

bool ZvImage::DecodeHeader(ZvFile *stream, std::uint32_t imagetype)
{
    const std::int32_t escape = GetEscape();
    SetEscape(-1);
    const bool ok = Decode(stream, imagetype);
    SetEscape(escape);
    return ok;
}

bool ZvImage::Decode(ZvFile *stream, std::uint32_t imagetype)
{
    if (!stream)
        return false;
    if (imagetype == ZV_TYPE_UNKNOWN)
        return DecodeSniffing(stream);
    if (imagetype >= ZV_MAX_TYPES) {
        SetLastError("Decode: Unknown or wrong format", ZvErrorKind::Unsupported);
        return false;
    }
    return DecodeTyped(stream, imagetype);
}

bool ZvImage::DecodeTyped(ZvFile *stream, std::uint32_t imagetype)
{
    std::unique_ptr<ZvCodec> codec = ZvMakeCodec(imagetype);
    if (!codec) {
        SetLastError("Decode: Unknown or wrong format", ZvErrorKind::Unsupported);
        return false;
    }
    codec->CopyInfo(*this);
    codec->SetPhotoInfo(nullptr);
    codec->SetColourSpace(nullptr);
    codec->SetOrientation(0);
    codec->SetDamage("");
    // Some codecs stop after the header by failing with the size filled in.
    const bool headerOnly = GetEscape() == -1;
    if (codec->Decode(stream) ||
        (headerOnly && !codec->IsValid() && codec->mHead.biWidth > 0 && codec->mHead.biHeight > 0)) {
        mOrigHead = codec->AsLoadedHead();
        Transfer(*codec);
        SetLastError("");
        return true;
    }
    SetLastError(codec->GetLastError(), failureKind(*codec, stream, ZvErrorKind::BadData));
    if (keepsFrameCount(imagetype))
        mInfo.nNumFrames = codec->GetNumFrames();
    return false;
}

bool ZvImage::DecodeSniffing(ZvFile *stream)
{
    const std::int64_t start = stream->Tell();
    for (std::uint32_t type : kSniffOrder) {
        std::unique_ptr<ZvCodec> codec = ZvMakeSniffingCodec(type);
        if (!codec)
            continue;
        codec->CopyInfo(*this);
        codec->SetPhotoInfo(nullptr);
        codec->SetColourSpace(nullptr);
        codec->SetOrientation(0);
        codec->SetDamage("");
        if (codec->Decode(stream)) {
            mOrigHead = codec->AsLoadedHead();
            Transfer(*codec);
            return true;
        }
        stream->Seek(start, SEEK_FROM_START);
    }
    SetLastError("Decode: Unknown or wrong format", ZvErrorKind::Unsupported);
    return false;
}

bool ZvImage::Decode(std::FILE *stream, std::uint32_t imagetype)
{
    ZvIOFile file(stream);
    return Decode(&file, imagetype);
}

bool ZvImage::Decode(std::uint8_t *buffer, std::uint32_t size, std::uint32_t imagetype)
{
    if (!buffer)
        return false;
    ZvMemFile file(buffer, size);
    return Decode(&file, imagetype);
}

bool ZvImage::Save(const char *filename, std::uint32_t imagetype)
{
    if (!filename || !*filename) {
        SetLastError("Save: no file name", ZvErrorKind::NotFound);
        return false;
    }
    TempSibling temp(filename);
    std::FILE *fp = temp.Stream();
    if (!fp) {
        SetLastError(temp.Problem().c_str(), temp.Kind());
        return false;
    }
    ZvIOFile file(fp);
    if (!Encode(&file, imagetype))
        return false;
    if (temp.Commit())
        return true;
    SetLastError(temp.Problem().c_str(), temp.Kind());
    return false;
}

bool ZvWriteFile(const char *filename, const std::uint8_t *data, std::size_t size, std::string &problem,
                 ZvErrorKind &kind)
{
    if (!filename || !*filename) {
        problem = "no file name";
        kind = ZvErrorKind::NotFound;
        return false;
    }
    TempSibling temp(filename);
    if (std::FILE *fp = temp.Stream()) {
        errno = 0;
        if (size == 0 || std::fwrite(data, 1, size, fp) == size) {
            if (temp.Commit())
                return true;
        } else {
            temp.Abandon(errno);
        }
    }
    problem = temp.Problem();
    kind = temp.Kind();
    return false;
}

bool ZvImage::Encode(ZvFile *stream, std::uint32_t imagetype)
{
    std::unique_ptr<ZvCodec> codec;
    if (imagetype > 0 && imagetype < ZV_MAX_TYPES)
        codec = ZvMakeCodec(imagetype);
    if (!codec) {
        SetLastError("Encode: Unknown format", ZvErrorKind::Unsupported);
        return false;
    }
    codec->Ghost(this);
    const bool ok = codec->Encode(stream);
    // An encoder that fails without a write error refuses this picture.
    if (!ok)
        SetLastError(codec->GetLastError(), failureKind(*codec, stream, ZvErrorKind::Unsupported));
    return ok;
}

bool ZvImage::Encode(std::FILE *stream, std::uint32_t imagetype)
{
    ZvIOFile file(stream);
    return Encode(stream ? static_cast<ZvFile *>(&file) : nullptr, imagetype);
}

bool ZvImage::Encode(std::uint8_t *&buffer, std::int32_t &size, std::uint32_t imagetype)
{
    if (buffer) {
        SetLastError("the buffer must be empty");
        return false;
    }
    ZvMemFile file;
    file.Open();
    if (!Encode(&file, imagetype))
        return false;
    size = std::int32_t(file.Size());
    buffer = file.GetBuffer(true);
    return true;
}
