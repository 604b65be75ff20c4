// collection/folder_watcher.cpp
#include "collection/folder_watcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Names, sizes and last-write times of what is directly in the folder.
constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                     IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QDir::currentPath() + u'/';
    return path.left(slash + 1);
}

// True when the folder itself went away: its watch cannot report any more.
bool drain(int fd)
{
    alignas(inotify_event) char buffer[4096];
    bool gone = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n <= 0)
            return gone;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF))
                gone = true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}

void closeAll(const std::vector<int> &fds)
{
    for (int fd : fds)
        ::close(fd);
}

} // namespace

CFolderWatcher::CFolderWatcher()
    : mStopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

CFolderWatcher::~CFolderWatcher()
{
    Stop();
    join();
    if (mStopFd >= 0)
        ::close(mStopFd);
}

void CFolderWatcher::AddPath(const QString &path)
{
    {
        std::lock_guard lock(mMutex);
        if (mPaths.count(path))
            return;
        Entry entry{path, folderOf(path), QFileInfo(path).lastModified().toSecsSinceEpoch()};
        auto folder = std::find_if(mFolders.begin(), mFolders.end(),
                                   [&](const auto &f) { return f.first == entry.folder; });
        if (folder == mFolders.end())
            mFolders.emplace_back(entry.folder, 1);
        else
            ++folder->second;
        mPaths.emplace(path, std::move(entry));
    }
    if (mRunning) {
        Stop();
        Start();
    }
}

void CFolderWatcher::RemovePath(const QString &path)
{
    std::lock_guard lock(mMutex);
    const auto found = mPaths.find(path);
    if (found == mPaths.end())
        return;
    const QString folder = found->second.folder;
    mPaths.erase(found);
    auto entry =
        std::find_if(mFolders.begin(), mFolders.end(), [&](const auto &f) { return f.first == folder; });
    if (entry != mFolders.end() && --entry->second <= 0)
        mFolders.erase(entry);
}

bool CFolderWatcher::Start()
{
    if (mRunning || mStopFd < 0)
        return mRunning;
    join();
    std::uint64_t pending = 0;
    while (::read(mStopFd, &pending, sizeof(pending)) > 0) {
    }
    try {
        mThread = std::thread([this, fd = mStopFd] { run(fd); });
        mRunning = true;
    } catch (const std::system_error &) {
        mRunning = false;
    }
    return mRunning;
}

void CFolderWatcher::Stop()
{
    if (!mRunning)
        return;
    mRunning = false;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(mStopFd, &one, sizeof(one));
}

void CFolderWatcher::join()
{
    if (mThread.joinable())
        mThread.join();
}

std::vector<std::pair<QString, int>> CFolderWatcher::Folders() const
{
    std::lock_guard lock(mMutex);
    return mFolders;
}

void CFolderWatcher::OnFolderChanged(std::uintptr_t, int, const QString &) {}

bool CFolderWatcher::waitForStop(int ms) const
{
    pollfd stop{mStopFd, POLLIN, 0};
    return ::poll(&stop, 1, ms) > 0;
}

void CFolderWatcher::notifyFolder(const QString &folder)
{
    std::vector<QString> paths;
    {
        std::lock_guard lock(mMutex);
        for (const auto &[path, entry] : mPaths) {
            if (entry.folder == folder)
                paths.push_back(path);
        }
    }
    for (std::size_t i = 0; i < paths.size(); ++i)
        OnFolderChanged(mOwner, 2, QString());
}

// Handle 0 is the stop event, handle k the notification of folder k. The
// notifications stay open between changes, so nothing that happens while
// the owner is told is missed.
void CFolderWatcher::run(int stopFd)
{
    const std::vector<std::pair<QString, int>> folders = Folders();
    std::vector<int> watches;
    for (const auto &folder : folders) {
        const int fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (fd < 0 || ::inotify_add_watch(fd, QFile::encodeName(folder.first).constData(), kWatchMask) < 0) {
            if (fd >= 0)
                ::close(fd);
            closeAll(watches);
            return;
        }
        watches.push_back(fd);
    }
    std::vector<pollfd> handles(watches.size() + 1);
    handles[0] = {stopFd, POLLIN, 0};
    for (std::size_t i = 0; i < watches.size(); ++i)
        handles[i + 1] = {watches[i], POLLIN, 0};
    for (;;) {
        const int n = ::poll(handles.data(), nfds_t(handles.size()), -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || handles[0].revents)
            break;
        bool gone = false;
        for (std::size_t i = 1; i < handles.size(); ++i) {
            if (!handles[i].revents)
                continue;
            gone = drain(handles[i].fd) || gone;
            notifyFolder(folders[i - 1].first);
        }
        if (gone)
            break;
    }
    closeAll(watches);
}
