// export/progress_dialog.h
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;
class ProgressWindow;

// A small window with a message area, a progress bar and Cancel for a long
// job on the UI thread. The job drives it step by step and calls
// PumpMessages between steps, which lets the interface breathe and notices
// Cancel and Escape. The title shows the percentage done. Modal mode
// disables the owner (the main window) until this object is destroyed.
// Every call is safe once the window is gone (cancelled or closed): it then
// does nothing and answers from the stored values. UI thread only.
class CProgressDialog : public QObject
{
    Q_OBJECT

  public:
    // owner: the window the progress belongs to; none takes the active window.
    explicit CProgressDialog(QWidget *owner = nullptr, const QString &title = QString(), bool smooth = false);
    ~CProgressDialog() override;

    bool Create(QWidget *owner, const QString &title, bool smooth);
    // Creates the window if needed, disables the owner's window, enables itself.
    bool GoModal(const QString &title = QString(), bool smooth = false);

    void SetRange(int lower, int upper, int step = 1);
    // Returns the previous position. Shows a hidden window again.
    int SetPos(int position);
    int OffsetPos(int amount);
    int StepIt();
    // Lines separated by "\r\n" or "\n"; text beyond the buffer is shortened in the middle.
    void SetText(const QString &text);
    void Clear();
    void Hide();
    void Show();
    // Processes waiting events; Escape cancels when cancelOnEscape.
    void PumpMessages(bool cancelOnEscape = true);
    bool IsCancelled() const { return mCancelled; }
    void SetWindowSize(int lines, int width);
    // Ends modal mode (the owner is enabled again) and closes the window.
    void Destroy();

    // The window while it exists, for placing; null once gone. Its controls
    // are named progressText, progressBar and cancelButton.
    QWidget *window() const;
    QString Title() const { return mTitle; }
    QString Text() const { return mText; }
    int Pos() const { return mPos; }

  public slots:
    // Cancel: marks the job cancelled, hides the window and, when modal,
    // closes it; brings the owner to the front.
    void Cancel();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void updateTitle(bool force);
    void takeFront();

    QPointer<ProgressWindow> mWindow;
    QPointer<QWidget> mOwner;
    QLabel *mTextLabel = nullptr;
    QProgressBar *mBar = nullptr;
    QPushButton *mCancel = nullptr;
    QString mTitle = QStringLiteral("Progress");
    QString mCancelLabel = QStringLiteral("Cancel");
    bool mCancelled = false;
    bool mModal = false;
    bool mOwnerDisabled = false;
    bool mEscapeCancels = false;
    int mPos = 0;
    int mPercent = 0;
    int mStep = 1;
    int mLower = 0;
    int mUpper = 100;
    int mLines = 4;
    QString mText;
};
