// platform/volume_watcher.cpp
#include "platform/volume_watcher.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// A burst of mounts (a card with several partitions, a desktop mounting
// what it found) is read as one change once the table has been quiet this long.
constexpr int kSettleMs = 150;

bool contains(const std::vector<RemovableVolume> &list, const RemovableVolume &volume)
{
    return std::find_if(list.begin(), list.end(), [&](const RemovableVolume &v) {
               return v.mountPoint == volume.mountPoint && v.device == volume.device;
           }) != list.end();
}

} // namespace

CVolumeWatcher::CVolumeWatcher(VolumeRoots roots, int rescanMs, QObject *parent)
    : QObject(parent)
    , mTable(std::move(roots))
    , mRescanMs(rescanMs)
{
}

CVolumeWatcher::~CVolumeWatcher()
{
    Stop();
}

bool CVolumeWatcher::Start()
{
    if (IsRunning())
        return true;
    const QByteArray path = QFile::encodeName(mTable.roots().proc + "/self/mountinfo");
    const int tableFd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (tableFd < 0)
        return false;
    mStopFd = ::eventfd(0, EFD_CLOEXEC);
    if (mStopFd < 0) {
        ::close(tableFd);
        return false;
    }
    mKnown = mTable.RemovableVolumes();
    mThreadView = mKnown;
    mThread = std::thread([this, tableFd] { run(tableFd); });
    return true;
}

void CVolumeWatcher::Stop()
{
    if (!IsRunning())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(mStopFd, &one, sizeof one);
    mThread.join();
    ::close(mStopFd);
    mStopFd = -1;
}

// Watcher thread. Never blocks on the UI thread: results are posted.
void CVolumeWatcher::run(int tableFd)
{
    pollfd fds[2] = {{mStopFd, POLLIN, 0}, {tableFd, POLLPRI, 0}};
    const int timeout = mRescanMs > 0 ? mRescanMs : -1;
    for (;;) {
        fds[0].revents = fds[1].revents = 0;
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (fds[0].revents & POLLIN))
            break;
        if (fds[1].revents) {
            // Let the burst settle; a stop request ends the wait early.
            pollfd stop = {mStopFd, POLLIN, 0};
            if (::poll(&stop, 1, kSettleMs) > 0)
                break;
        }
        std::vector<RemovableVolume> now = mTable.RemovableVolumes();
        if (now == mThreadView)
            continue;
        mThreadView = now;
        QMetaObject::invokeMethod(
            this, [this, now] { deliver(now); }, Qt::QueuedConnection);
    }
    ::close(tableFd);
}

// UI thread: signals for what left, then for what came.
void CVolumeWatcher::deliver(const std::vector<RemovableVolume> &now)
{
    if (!IsRunning())
        return;
    const std::vector<RemovableVolume> before = std::exchange(mKnown, now);
    for (const RemovableVolume &volume : before) {
        if (!contains(now, volume))
            emit volumeRemoved(volume.mountPoint);
    }
    for (const RemovableVolume &volume : now) {
        if (!contains(before, volume))
            emit volumeArrived(volume.mountPoint);
    }
}
