// caption/preview_loader.h
#pragma once

#include "caption/preview_picture.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThreadPool;

// Decodes pictures for the screen on a worker thread, one at a time, and
// hands each result back on the UI thread. Only the newest request counts:
// a request still waiting when a newer one arrives is skipped, and the
// result of a superseded one is dropped, so stepping quickly through a list
// costs one decode, not one per step. Create and use on the UI thread.
class PreviewLoader : public QObject
{
    Q_OBJECT
  public:
    explicit PreviewLoader(QObject *parent = nullptr);
    ~PreviewLoader() override;

    // Starts decoding path for an area of need pixels (see LoadPreviewPicture).
    void Request(const QString &path, int degrees, QSize need);
    // Whether later requests turn pictures upright as the camera held them (on at first).
    void SetUpright(bool on) { mUpright = on; }
    bool Upright() const { return mUpright; }
    // Forgets the pending request: its result will not be delivered.
    void Cancel();
    bool IsBusy() const { return mBusy; }
    // Waits for the worker to finish (tests, benchmarks, shutdown).
    void WaitForIdle();

  signals:
    // The newest request's result; emitted on the UI thread.
    void loaded(const PreviewPicture &picture);

  private:
    void deliver(unsigned generation, const PreviewPicture &picture);

    QThreadPool *mPool;
    std::shared_ptr<std::atomic<unsigned>> mNewest;
    unsigned mGeneration = 0;
    bool mBusy = false;
    bool mUpright = true;
};
