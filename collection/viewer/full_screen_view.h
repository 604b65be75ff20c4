// collection/viewer/full_screen_view.h
#pragma once

#include "caption/picture_facts.h"
#include "caption/preview_picture.h"
#include "collection/viewer/viewer_keys.h"

#include <QDialog>
#include <QImage>

class CaptionSource;
class PictureSequence;
class PreviewLoader;
class QTimer;

// One picture over the whole screen on a plain background (its transparent
// parts over a checkerboard, as an export keeps them), with a short
// help for the first ten seconds. Page Up / Page Down / Home / End and the
// wheel step through the sequence; Escape or a double click closes it.
// With a caption source (opened from the Batch Settings page) the caption
// is drawn over the picture at the picture's scale. Pictures are decoded on
// a worker at no more than the screen needs; the shown one stays until the
// next is ready. Run modally with exec(). UI thread only.
class CFullScreenView : public QDialog
{
    Q_OBJECT
  public:
    // sequence and caption must outlive the view; caption null: browser mode.
    // upright: pictures stand as the camera held them.
    CFullScreenView(PictureSequence &sequence, const CaptionSource *caption, QWidget *parent = nullptr,
                    bool upright = true);
    ~CFullScreenView() override;

    ViewerMode Mode() const { return mMode; }
    bool HelpShown() const { return mShowHelp; }
    int ShownIndex() const { return mIndex; }
    QString ShownPath() const { return mPicture.path; }
    // The picture's size after its turn; empty while none is shown.
    QSize PictureSize() const;
    // Waits for the pending decode and takes its result (tests, benchmarks).
    void WaitForPicture();
    // Draws the view into painter for a client area of size.
    void PaintView(QPainter &painter, QSize size);

  public slots:
    // One second has passed; the tenth hides the help.
    void Tick();
    // Acts as the step's key does.
    void Step(ViewerStep step);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

  private:
    void load(int index);
    void onLoaded(const PreviewPicture &picture);
    void paintHelp(QPainter &painter, QSize size);
    void paintCaption(QPainter &painter, const QRect &shown);

    PictureSequence &mSequence;
    const CaptionSource *mCaption;
    ViewerMode mMode;
    PreviewLoader *mLoader;
    QTimer *mTimer;
    int mTicks = 0;
    bool mShowHelp = true;
    int mIndex = -1; // the index the shown (or coming) picture belongs to
    int mRotation = 0;
    PreviewPicture mPicture; // unturned
    QImage mImage;           // turned
    QImage mScaled;          // mImage at the size it was last drawn, over the checkerboard
    PictureFacts mFacts;     // of the picture shown, read when the caption first names a field
};
