// caption/settings_page.h
#pragma once

#include "caption/caption_source.h"
#include "platform/win_types.h"

#include <QWidget>

#include <utility>
#include <vector>

class CCaptionBoxControls;
class CCaptionDesignEditor;
class CCaptionStyleControls;
class CColorPicker;
class CDrawText;
class CPreviewView;
class QComboBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// The Batch Settings page: the preview of the current picture of the
// selected-image list (CPreviewView, which holds the caption box and its
// mouse tools) and the controls that edit the caption and the picture's
// rotation, in a column on its right. UI thread only.
//
// The page never reaches the selected-image list itself: it asks for the
// previous or next row and reports a new rotation through its signals, and
// the main window answers with ShowImage. Controls carry object names
// ("previous", "next", "view", "resolution", "font", "backColor", "text",
// "align", "anchor", "rotate0", "rotateMinus90", "rotate90", "rotate180";
// the preview is "preview"; the tabs "captionTabs"; the Style and Box tabs
// are CCaptionStyleControls and CCaptionBoxControls).
//
// The caption design is one value held by a CCaptionDesignEditor
// ("designEditor"): every change of it (text, font, colours, align, anchor,
// style, a drag or resize, the fields, Centre, Reset box, SetCaption) goes
// through the editor's Edit and is a step of its history: Ctrl+Z undoes it,
// Ctrl+Shift+Z and Ctrl+Y redo it, also while a text field has the focus.
// Typing runs into one step. The controls show the design after every
// change; filling them is no edit.
class CSettingsPage : public QWidget, public CaptionSource
{
    Q_OBJECT
  public:
    explicit CSettingsPage(QWidget *parent = nullptr);
    ~CSettingsPage() override;

    // The caption design, which the export stamps on every picture; none
    // without a caption box.
    std::optional<CaptionSettings> ExportCaption() const override;
    // Puts a whole design (a restored or loaded one) on the caption box and
    // shows it in the controls; makes the box first when there is none.
    // It is a step of the history: undo brings back the design before.
    void SetCaption(const CaptionSettings &caption);

    QString CurrentPath() const;
    // Whether the preview shows pictures as the camera held them, as the
    // export will turn them.
    void SetUpright(bool on);
    // Waits for the pending decode and takes its result (tests, benchmarks).
    void WaitForPicture();
    // One step back or forward in the design's history; false at its end.
    bool Undo();
    bool Redo();
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

  private:
    QLayout *createNavigation();
    QWidget *createTextGroup();
    QGroupBox *createRotateGroup();
    void connectControls();
    void connectDesignControls();
    void enableCaptionControls(bool on);
    void showCaptionInControls(const CaptionSettings &design);
    void showFontInButton(const LOGFONT &font);

    void onFont();
    void onAnchor(int index);
    void onRotate(int button);

    CPreviewView *mPreview = nullptr;
    QPushButton *mPrevious = nullptr;
    QPushButton *mNext = nullptr;
    QPushButton *mView = nullptr;
    QLineEdit *mResolution = nullptr;
    QPushButton *mFont = nullptr;
    CColorPicker *mBackColor = nullptr;
    QPlainTextEdit *mText = nullptr;
    QComboBox *mAlign = nullptr;
    QComboBox *mAnchor = nullptr;
    QRadioButton *mRotate[4] = {};
    QTabWidget *mTabs = nullptr;
    CCaptionStyleControls *mStyle = nullptr;
    CCaptionBoxControls *mBox = nullptr;
    CCaptionDesignEditor *mEditor = nullptr;

    int mRow = -1;
    int mCount = 0;
    QString mFontTip; // the Font button's tip with the caption's font
};
