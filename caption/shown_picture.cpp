// caption/shown_picture.cpp
#include "caption/shown_picture.h"

#include "caption/preview_loader.h"

#include <QCoreApplication>

ShownPicture::ShownPicture(QObject *parent)
    : QObject(parent)
    , mLoader(new PreviewLoader(this))
{
    connect(mLoader, &PreviewLoader::loaded, this, &ShownPicture::onLoaded);
}

ShownPicture::~ShownPicture() = default;

bool ShownPicture::Show(const QString &path, int degrees, QSize need)
{
    if (path.isEmpty()) {
        mLoader->Cancel();
        mPath.clear();
        mRotation = 0;
        mDecoded = PreviewPicture();
        setTurned(QImage());
        return false;
    }
    const bool same = path == mPath && mDecoded.IsValid() && SameFile(mDecoded, path);
    mPath = path;
    mRotation = degrees;
    if (same) {
        // A larger decode of this very picture may still come; the one held will do.
        mLoader->Cancel();
        setTurned(TurnImage(mDecoded.image, degrees));
        return false;
    }
    request(need);
    return true;
}

void ShownPicture::Turn(int degrees)
{
    if (mPath.isEmpty() || degrees == mRotation)
        return;
    mRotation = degrees;
    if (mDecoded.IsValid() && mDecoded.path == mPath)
        setTurned(TurnImage(mDecoded.image, degrees));
}

void ShownPicture::SetUpright(bool on)
{
    if (on == mLoader->Upright())
        return;
    mLoader->SetUpright(on);
    if (mPath.isEmpty())
        return;
    mDecoded = PreviewPicture();
    setTurned(QImage());
    mLoader->Request(mPath, mRotation, mRequestedNeed * 5 / 4);
}

QSize ShownPicture::Size() const
{
    return mTurned.isNull() ? QSize() : TurnedSize(mDecoded.fullSize, mRotation);
}

bool ShownPicture::IsBusy() const
{
    return mLoader->IsBusy();
}

void ShownPicture::WaitForIdle()
{
    mLoader->WaitForIdle();
    QCoreApplication::sendPostedEvents(mLoader);
}

void ShownPicture::onLoaded(const PreviewPicture &picture)
{
    if (picture.path != mPath)
        return;
    mDecoded = picture;
    emit loaded(picture);
    setTurned(picture.IsValid() ? TurnImage(picture.image, mRotation) : QImage());
}

void ShownPicture::setTurned(QImage turned)
{
    mTurned = std::move(turned);
    emit changed();
}

// Decoded with a quarter more than the preview needs, so that a page made a
// little larger does not call for another decode.
void ShownPicture::request(QSize need)
{
    mRequestedNeed = need;
    mRequestedRotation = mRotation;
    mLoader->Request(mPath, mRotation, need * 5 / 4);
}

void ShownPicture::RequestIfBlurred(QSize need, QSize shown)
{
    if (mTurned.isNull() || !mDecoded.IsReduced() || mLoader->IsBusy() || mDecoded.path != mPath)
        return;
    if (need == mRequestedNeed && mRotation == mRequestedRotation)
        return;
    if (shown.width() > mTurned.width() || shown.height() > mTurned.height())
        request(need);
}
