// caption/shown_picture.h
#pragma once

#include "caption/preview_picture.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

class PreviewLoader;

// The picture the Batch Settings preview shows: which file, turned how, as
// decoded (unturned, reduced) and turned for drawing. Pictures are decoded
// on the loader's worker thread, no larger than the preview needs, and
// again larger once the preview outgrows a reduced decode. Sizes asked for
// are device pixels of the screen the preview is on. UI thread only.
class ShownPicture : public QObject
{
    Q_OBJECT
  public:
    explicit ShownPicture(QObject *parent = nullptr);
    ~ShownPicture() override;

    // Shows path turned by degrees (0, 90, -90, 180) in an area of need
    // device pixels; an empty path shows nothing. The file shown already,
    // unchanged on disk, is only turned. True while a decode is under way.
    bool Show(const QString &path, int degrees, QSize need);
    // Turns the current picture; nothing without a path.
    void Turn(int degrees);
    // Whether pictures stand as the camera held them (on at first); a
    // change decodes the current picture again.
    void SetUpright(bool on);
    // Decodes again, larger, when the turned picture drawn at shown device
    // pixels has more pixels than held: once per need and turn, so rounding
    // can never make it decode over and over.
    void RequestIfBlurred(QSize need, QSize shown);

    const QString &Path() const { return mPath; }
    int Rotation() const { return mRotation; }
    // The turned picture at its decoded size; null while there is none.
    const QImage &Turned() const { return mTurned; }
    // The picture's own size after its turn; empty without a picture.
    QSize Size() const;
    // Why the current picture cannot be shown; empty when it can.
    const QString &Error() const { return mDecoded.error; }
    bool IsBusy() const;
    // Waits for the pending decode and takes its result (tests, benchmarks).
    void WaitForIdle();

  signals:
    // A decode for the current path has arrived (valid or not).
    void loaded(const PreviewPicture &picture);
    // Turned() changed: another picture, another turn, or none.
    void changed();

  private:
    void onLoaded(const PreviewPicture &picture);
    void request(QSize need);
    void setTurned(QImage turned);

    PreviewLoader *mLoader;
    PreviewPicture mDecoded; // as decoded: unturned, reduced
    QImage mTurned;
    QString mPath;
    int mRotation = 0;
    QSize mRequestedNeed; // what the last decode was asked for
    int mRequestedRotation = 0;
};
