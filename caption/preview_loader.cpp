// caption/preview_loader.cpp
#include "caption/preview_loader.h"

#include <QMetaObject>
#include <QThreadPool>

PreviewLoader::PreviewLoader(QObject *parent)
    : QObject(parent)
    , mPool(new QThreadPool(this))
    , mNewest(std::make_shared<std::atomic<unsigned>>(0))
{
    mPool->setMaxThreadCount(1);
}

PreviewLoader::~PreviewLoader()
{
    Cancel();
    mPool->waitForDone();
}

void PreviewLoader::Request(const QString &path, int degrees, QSize need)
{
    const unsigned generation = ++mGeneration;
    mNewest->store(generation);
    mBusy = true;
    auto newest = mNewest;
    // The destructor waits for the worker, so this outlives every job; a
    // result posted to a loader destroyed meanwhile is discarded with it.
    const bool upright = mUpright;
    mPool->start([this, newest, generation, path, degrees, need, upright] {
        if (newest->load() != generation)
            return;
        const PreviewPicture picture = LoadPreviewPicture(path, degrees, need, upright);
        if (newest->load() != generation)
            return;
        QMetaObject::invokeMethod(
            this, [this, generation, picture] { deliver(generation, picture); }, Qt::QueuedConnection);
    });
}

void PreviewLoader::Cancel()
{
    mNewest->store(++mGeneration);
    mBusy = false;
}

void PreviewLoader::WaitForIdle()
{
    mPool->waitForDone();
}

void PreviewLoader::deliver(unsigned generation, const PreviewPicture &picture)
{
    if (generation != mGeneration)
        return;
    mBusy = false;
    emit loaded(picture);
}
