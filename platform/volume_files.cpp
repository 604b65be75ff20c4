// platform/volume_files.cpp
#include "platform/volume_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 1 << 20;

struct FdCloser
{
    int fd = -1;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

CopyResult failure(int code)
{
    return {false, code, std::strerror(code)};
}

int openSource(const std::string &path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME | O_NONBLOCK);
    if (fd < 0 && errno == EPERM)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    return fd;
}

// A hidden name beside the target that the browser does not take for a picture.
int openTemporary(const std::string &target, std::string &temporary)
{
    static std::atomic<unsigned> sCounter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "-" +
                    std::to_string(sCounter++) + ".part";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Plain reads and writes; the fault, when given, cuts the reads short.
bool copyByReading(int in, int out, const CopyFault *fault, int &code)
{
    std::unique_ptr<char[]> buffer(new char[kBlock]);
    std::int64_t done = 0;
    for (;;) {
        std::size_t want = kBlock;
        if (fault && fault->failAfter - done < std::int64_t(want)) {
            if (fault->failAfter <= done) {
                code = fault->error;
                return false;
            }
            want = std::size_t(fault->failAfter - done);
        }
        const ssize_t got = ::read(in, buffer.get(), want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            code = errno;
            return false;
        }
        if (got == 0)
            return true;
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = ::write(out, buffer.get() + put, std::size_t(got - put));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                code = errno;
                return false;
            }
            put += n;
        }
        done += got;
    }
}

// The kernel copies without the data passing through us where it can.
bool copyContent(int in, int out, const CopyFault *fault, int &code)
{
    if (fault)
        return copyByReading(in, out, fault, code);
    bool first = true;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n > 0) {
            first = false;
            continue;
        }
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (first && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return copyByReading(in, out, nullptr, code);
        code = errno;
        return false;
    }
}

// Puts the finished copy under its name; without overwrite never over another file.
int placeCopy(const std::string &temporary, const std::string &target, bool overwrite)
{
    if (overwrite)
        return ::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without the no-replace rename: a hard link fails on an existing name.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    if (VolumePathExists(target))
        return EEXIST;
    return ::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
}

} // namespace

bool ListVolumeFolder(const std::string &path, std::vector<VolumeEntry> &entries, std::string &error)
{
    entries.clear();
    DIR *dir = ::opendir(path.c_str());
    if (!dir) {
        error = std::strerror(errno);
        return false;
    }
    const int dirFd = ::dirfd(dir);
    while (const dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat facts
            {
            };
            if (::fstatat(dirFd, e->d_name, &facts, 0) != 0)
                continue;
            type = S_ISDIR(facts.st_mode) ? DT_DIR : S_ISREG(facts.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR || type == DT_REG)
            entries.push_back({name, type == DT_DIR});
    }
    ::closedir(dir);
    return true;
}

bool VolumeFolderId(const std::string &path, FolderId &id)
{
    struct stat facts
    {
    };
    if (::stat(path.c_str(), &facts) != 0)
        return false;
    id = {std::uint64_t(facts.st_dev), std::uint64_t(facts.st_ino)};
    return true;
}

bool VolumePathExists(const std::string &path)
{
    struct stat facts
    {
    };
    return ::lstat(path.c_str(), &facts) == 0;
}

CopyResult CopyVolumeFile(const std::string &source, const std::string &target, bool overwrite,
                          const CopyFault *fault)
{
    FdCloser in{openSource(source)};
    if (in.fd < 0)
        return failure(errno);
    struct stat facts
    {
    };
    if (::fstat(in.fd, &facts) != 0)
        return failure(errno);
    if (!S_ISREG(facts.st_mode))
        return failure(EINVAL);
    const std::string name = source.substr(source.rfind('/') + 1);
    const CopyFault *active = fault && fault->sourceName == name ? fault : nullptr;
    std::string temporary;
    FdCloser out{openTemporary(target, temporary)};
    if (out.fd < 0)
        return failure(errno);
    ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    int code = 0;
    bool ok = copyContent(in.fd, out.fd, active, code);
    const timespec times[2] = {facts.st_atim, facts.st_mtim};
    if (ok && ::futimens(out.fd, times) != 0)
        ok = false, code = errno;
    const int fd = std::exchange(out.fd, -1);
    if (::close(fd) != 0 && ok)
        ok = false, code = errno;
    if (ok)
        code = placeCopy(temporary, target, overwrite);
    if (!ok || code != 0) {
        ::unlink(temporary.c_str());
        return failure(code);
    }
    return {true, 0, {}};
}
