// caption/settings_page.h
#pragma once

#include "caption/caption_source.h"
#include "caption/draw_page.h"
#include "caption/preview_picture.h"

#include <QImage>
#include <QWidget>

#include <utility>
#include <vector>

class CColorPicker;
class PreviewLoader;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The Batch Settings page: a preview of the current picture of the
// selected-image list, turned by its rotation, with the caption box over
// it, and the controls that edit the caption and the picture's rotation.
// The mouse tools (CPointerTool, CTextBoxTool) drive the box through the
// CDrawPage interface. Pictures are decoded on a worker thread, no larger
// than the preview needs. UI thread only.
//
// The page never reaches the selected-image list itself: it asks for the
// previous or next row and reports a new rotation through its signals, and
// the main window answers with ShowImage.
class CSettingsPage : public QWidget, public CDrawPage, public CaptionSource
{
    Q_OBJECT
  public:
    explicit CSettingsPage(QWidget *parent = nullptr);
    ~CSettingsPage() override;

    // The caption box's settings, which the export stamps on every picture.
    std::optional<CaptionSettings> ExportCaption() const override;

    // CDrawPage: geometry in page client pixels.
    RECT PreviewRect() const override;
    float DisplayScale() const override { return mScale; }
    RECT PictureRect() const override { return mShown; }
    bool HasPicture() const override { return !mWorking.isNull(); }
    void SetCursor(Qt::CursorShape shape) override;
    void EnableCaptionControls(bool on) override;
    void InvalidateArea(const RECT &area) override;
    void ShowCaptionInControls(const CDrawText &box) override;

    QString CurrentPath() const { return mPath; }
    int CurrentRotation() const { return mRotation; }
    // Whether a decode for the current path is still under way.
    bool IsLoading() const;
    // Waits for the pending decode and takes its result (tests, benchmarks).
    void WaitForPicture();
    // The picture's size after its turn, in its own pixels; empty without one.
    QSize PictureSize() const;
    // The size at which the turned picture is held for drawing.
    QSize DecodedSize() const { return mWorking.size(); }
    // Why the current picture cannot be shown; empty when it can.
    QString LoadError() const { return mPicture.error; }
    // Draws the preview area (page coordinates) as the screen shows it.
    void PaintPreview(QPainter &painter);
    // The controls and their tips in the markup of the program's tooltip,
    // which the window holding the page shows. The Font button's tip also
    // names the caption's font; markupTipChanged reports each new one.
    std::vector<std::pair<QWidget *, QString>> MarkupTips() const;

  public slots:
    // Shows the picture of row (of count rows; -1 and an empty path: none
    // selected) turned by rotation degrees.
    void ShowImage(const QString &path, int rotation, int row, int count);

  signals:
    void previousRequested();
    void nextRequested();
    void rotationChanged(int degrees);
    void viewRequested();
    void markupTipChanged(QWidget *control, const QString &markup);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

  private:
    void createControls();
    void connectControls();
    void createCaptionBox();
    void applyLayout();
    CDrawText *selectedBox() const;
    void captionChanged();
    void showFontInButton(const LOGFONT &font);

    void onLoaded(const PreviewPicture &picture);
    void onTextEdited();
    void onFont();
    void onBackColor(COLORREF color);
    void onAlign(int index);
    void onAnchor(int index);
    void onRotate(int button);
    void onPrevious();
    void onNext();
    void onView();

    void setWorking(QImage working);
    void updatePictureGeometry();
    void request();
    void requestIfBlurred();
    QSize previewNeed() const;
    void paintBase();
    void paintMessage(QPainter &painter, const QRect &area, const QString &text);

    QPushButton *mPrevious = nullptr;
    QPushButton *mNext = nullptr;
    QPushButton *mView = nullptr;
    QLabel *mResolutionLabel = nullptr;
    QLineEdit *mResolution = nullptr;
    QGroupBox *mTextGroup = nullptr;
    QPushButton *mFont = nullptr;
    CColorPicker *mBackColor = nullptr;
    QPlainTextEdit *mText = nullptr;
    QLabel *mAlignLabel = nullptr;
    QComboBox *mAlign = nullptr;
    QLabel *mAnchorLabel = nullptr;
    QComboBox *mAnchor = nullptr;
    QGroupBox *mRotateGroup = nullptr;
    QRadioButton *mRotate[4] = {};
    PreviewLoader *mLoader = nullptr;

    QRect mPreview;          // P, page client pixels
    RECT mShown{};           // I: where the picture is drawn
    float mScale = 1.0f;     // s: preview pixels per picture pixel
    RECT mHover{};           // outline of an unselected box under the pointer
    PreviewPicture mPicture; // as decoded: unturned, reduced
    QImage mWorking;         // the picture turned by its rotation
    QString mPath;
    int mRotation = 0;
    QSize mRequestedNeed; // what the last decode was asked for
    int mRequestedRotation = 0;
    int mRow = -1;
    int mCount = 0;
    bool mFilling = false;     // controls are being filled from the box
    QImage mBase;              // frame, hatch and picture: what each repaint starts from
    QImage mFrame;             // the off-screen preview, reused between paints
    COLORREF mHolderColor = 0; // text colour the font dialog starts with
    QString mFontTip;          // the Font button's tip with the caption's font
};
