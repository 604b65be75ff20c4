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

constexpr std::uint32_t kSniffOrder[] = {
    ZV_TYPE_BMP, ZV_TYPE_JPG, ZV_TYPE_ICO, ZV_TYPE_GIF, ZV_TYPE_PNG, ZV_TYPE_TIF,
    ZV_TYPE_TGA, ZV_TYPE_PCX, ZV_TYPE_WBMP, ZV_TYPE_WMF, ZV_TYPE_JP2,
};

bool keepsFrameCount(std::uint32_t type)
{
    return type == ZV_TYPE_GIF || type == ZV_TYPE_ICO || type == ZV_TYPE_TIF;
}

// A temporary file beside the target, created with the permissions a new
// file would get (or the target's own), that a successful save renames
// over the target. Hidden and with no picture extension, so folder
// browsers ignore it while it exists.
class TempSibling
{
public:
    explicit TempSibling(const std::string &target)
        : mTarget(target)
    {
        static std::atomic<unsigned> sCounter{0};
        const std::size_t slash = target.rfind('/');
        const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        struct stat st;
        const bool exists = ::stat(target.c_str(), &st) == 0;
        if (exists && !S_ISREG(st.st_mode))
            return;
        for (int attempt = 0; attempt < 100 && mFd < 0; ++attempt) {
            mPath = dir + "." + base + ".zvtmp" + std::to_string(::getpid()) + "-" +
                    std::to_string(sCounter++);
            mFd = ::open(mPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (mFd < 0 && errno != EEXIST)
                break;
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
        const bool written = std::fflush(mFp) == 0 && std::ferror(mFp) == 0;
        const bool closed = std::fclose(mFp) == 0;
        mFp = nullptr;
        mFd = -1;
        if (!written || !closed) {
            ::unlink(mPath.c_str());
            return false;
        }
        if (::rename(mPath.c_str(), mTarget.c_str()) != 0) {
            ::unlink(mPath.c_str());
            return false;
        }
        mCommitted = true;
        return true;
    }

private:
    std::string mTarget;
    std::string mPath;
    int mFd = -1;
    std::FILE *mFp = nullptr;
    bool mCommitted = false;
};

} // namespace

bool ZvImage::Load(const char *filename, std::uint32_t imagetype)
{
    if (!filename)
        return false;
    if (imagetype > 0 && imagetype < ZV_MAX_TYPES) {
        ZvIOFile file;
        if (!file.Open(filename, "rb"))
            return false;
        if (Decode(&file, imagetype))
            return true;
    }
    char saved[sizeof(mInfo.szLastError)];
    std::memcpy(saved, mInfo.szLastError, sizeof(saved));
    ZvIOFile file;
    if (!file.Open(filename, "rb"))
        return false;
    const bool ok = Decode(&file, ZV_TYPE_UNKNOWN);
    if (!ok && imagetype != ZV_TYPE_UNKNOWN)
        std::memcpy(mInfo.szLastError, saved, sizeof(saved));
    return ok;
}

bool ZvImage::Decode(ZvFile *stream, std::uint32_t imagetype)
{
    if (!stream)
        return false;
    if (imagetype == ZV_TYPE_UNKNOWN)
        return DecodeSniffing(stream);
    if (imagetype >= ZV_MAX_TYPES) {
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
    return DecodeTyped(stream, imagetype);
}

bool ZvImage::DecodeTyped(ZvFile *stream, std::uint32_t imagetype)
{
    std::unique_ptr<ZvCodec> codec = ZvMakeCodec(imagetype);
    if (!codec) {
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
    codec->CopyInfo(*this);
    codec->SetPhotoInfo(nullptr);
    if (codec->Decode(stream)) {
        mOrigHead = codec->mHead;
        Transfer(*codec);
        return true;
    }
    SetLastError(codec->GetLastError());
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
        if (codec->Decode(stream)) {
            Transfer(*codec);
            return true;
        }
        stream->Seek(start, SEEK_FROM_START);
    }
    SetLastError("Decode: Unknown or wrong format");
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
    if (!filename || !*filename)
        return false;
    TempSibling temp(filename);
    std::FILE *fp = temp.Stream();
    if (!fp)
        return false;
    ZvIOFile file(fp);
    if (!Encode(&file, imagetype))
        return false;
    return temp.Commit();
}

bool ZvImage::Encode(ZvFile *stream, std::uint32_t imagetype)
{
    std::unique_ptr<ZvCodec> codec;
    if (imagetype > 0 && imagetype < ZV_MAX_TYPES)
        codec = ZvMakeCodec(imagetype);
    if (!codec) {
        SetLastError("Encode: Unknown format");
        return false;
    }
    codec->Ghost(this);
    const bool ok = codec->Encode(stream);
    if (!ok)
        SetLastError(codec->GetLastError());
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
