// caption/preview_view.h
#pragma once

#include "caption/draw_page.h"
#include "caption/draw_text.h"
#include "caption/picture_facts.h"

#include <QImage>
#include <QSizeF>
#include <QWidget>

class ShownPicture;
struct PreviewPicture;

// The preview of the Batch Settings page: the current picture turned by its
// rotation and fitted into the widget over a hatch (its transparent parts
// over a checkerboard), the caption box drawn over it with its handles, and the mouse tools (CPointerTool,
// CTextBoxTool) driving the box. It owns the drawing objects (CDrawPage) and reports what the page's controls
// must show through its signals. Coordinates are the widget's own pixels; the picture is held at the device
// pixels of the screen, so it is sharp at any pixel density. UI thread only.
class CPreviewView : public QWidget, public CDrawPage
{
    Q_OBJECT
  public:
    explicit CPreviewView(QWidget *parent = nullptr);
    ~CPreviewView() override;

    // Makes the caption box as a user would: the creation tool pressed at
    // (40, 40), or (50, 50) when something is there, and released 40
    // further on; then selects it. Call once the signals are connected.
    void CreateCaptionBox();

    // Shows path turned by degrees; an empty path shows nothing.
    void ShowPicture(const QString &path, int degrees);
    // Turns the current picture; nothing without a path.
    void SetRotation(int degrees);
    // Whether pictures stand as the camera held them (ShownPicture::SetUpright).
    void SetUpright(bool on);
    QString Path() const;
    int Rotation() const;
    bool HasPicture() const;
    // The picture's size after its turn, in its own pixels; empty without one.
    QSize PictureSize() const;
    // Waits for the pending decode and takes its result (tests, benchmarks).
    void WaitForPicture();
    // Puts every caption box where its offsets say (after they were set
    // from outside: a field, undo) and repaints.
    void PlaceBoxes();
    // The size the position fields measure in: the picture's own pixels, or
    // the preview area's while no picture is shown.
    QSizeF FieldPictureSize() const;

    // CDrawPage
    PreviewGeometry Geometry() const override;
    void SetCursor(Qt::CursorShape shape) override;
    void EnableCaptionControls(bool on) override;
    void InvalidateArea(const RECT &area) override;
    void ShowCaptionInControls(const CDrawText &box) override;

  signals:
    // The controls that edit the caption box are to be enabled or disabled.
    void captionControlsEnabled(bool on);
    // A caption box was selected: the controls show its settings.
    void captionSelected(const CDrawText &box);
    // The properties text of a newly decoded picture; empty when it failed.
    void pictureLoaded(const QString &properties);
    // The mouse moved or resized the selection: a step of a drag (finished
    // false) or its end (true).
    void boxEdited(bool finished);
    // The boxes were placed anew: another picture, size or design.
    void boxesPlaced();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

  private:
    void onLoaded(const PreviewPicture &picture);
    void onPictureChanged();
    void updatePictureGeometry();
    QSize deviceSize(QSize logical) const;
    QSize need() const;
    void requestIfBlurred();
    const QImage &scaledPicture(const QRect &shown);
    void paintObjects(QPainter &painter);
    const PictureFacts &shownFacts();

    ShownPicture *mShown;
    RECT mPictureRect{}; // I: where the picture is drawn
    float mScale = 1.0f; // s: preview pixels per picture pixel
    RECT mHover{};       // outline of an unselected box under the pointer
    QImage mScaled;      // the turned picture at its drawn size in device pixels
    qint64 mScaledFrom = 0;
    qreal mPixelRatio = 1.0; // device pixels per preview pixel the decode was sized for
    PictureFacts mFacts;     // of the picture shown, read when a caption first names a field
};
