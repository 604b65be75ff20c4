// platform/volume_watcher.h
#pragma once

#include "platform/volumes.h"

#include <QObject>

#include <atomic>
#include <thread>

// Notices removable USB volumes arriving and leaving. A thread of its own
// waits for the kernel to flag a change of the mount table (POLLPRI on
// mountinfo), lets a burst of changes settle, compares the removable volumes
// with the last look and hands each difference to the UI thread as a
// signal. The object lives on the UI thread; Start and Stop are called there.
class CVolumeWatcher : public QObject
{
    Q_OBJECT

  public:
    // rescanMs > 0 also looks again after that much quiet time (fake tables
    // in tests cannot raise POLLPRI); 0 waits for the kernel only.
    explicit CVolumeWatcher(VolumeRoots roots = {}, int rescanMs = 0, QObject *parent = nullptr);
    ~CVolumeWatcher() override;

    // Takes the present volumes as known and starts watching. False when
    // the mount table cannot be opened.
    bool Start();
    // Stops the thread and waits for it; no signal arrives afterwards.
    void Stop();
    bool IsRunning() const { return mThread.joinable(); }

    // The volumes last seen (UI thread).
    const std::vector<RemovableVolume> &Volumes() const { return mKnown; }

  signals:
    void volumeArrived(const QString &mountPoint);
    void volumeRemoved(const QString &mountPoint);

  private:
    void run(int tableFd);
    void deliver(const std::vector<RemovableVolume> &now);

    VolumeTable mTable;
    int mRescanMs;
    int mStopFd = -1;
    std::thread mThread;
    std::vector<RemovableVolume> mKnown;      // UI thread
    std::vector<RemovableVolume> mThreadView; // watcher thread
};
