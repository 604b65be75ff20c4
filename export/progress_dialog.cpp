// export/progress_dialog.cpp
#include "export/progress_dialog.h"

#include "export/progress_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <functional>

// The window of a progress: closing it from the window manager cancels.
class ProgressWindow : public QWidget
{
  public:
    ProgressWindow(QWidget *parent, Qt::WindowFlags flags)
        : QWidget(parent, flags)
    {
    }
    std::function<void()> onClose;

  protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        if (onClose)
            onClose();
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), palette().color(QPalette::Button));
    }
};

namespace {

// The window that hosts the progress: the modal dialog in front, unless that
// belongs to the owner's window (which modal mode disables with it).
QWidget *hostFor(QWidget *owner)
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return nullptr;
    QWidget *ownerWindow = owner ? owner->window() : nullptr;
    if (ownerWindow && (modal == ownerWindow || ownerWindow->isAncestorOf(modal)))
        return nullptr;
    return modal;
}

} // namespace

CProgressDialog::CProgressDialog(QWidget *owner, const QString &title, bool smooth)
{
    Create(owner, title, smooth);
}

CProgressDialog::~CProgressDialog()
{
    Destroy();
}

bool CProgressDialog::Create(QWidget *owner, const QString &title, bool smooth)
{
    if (mWindow)
        return true;
    mOwner = owner ? owner : QApplication::activeWindow();
    if (!title.isEmpty())
        mTitle = title;
    QWidget *host = hostFor(mOwner);
    // Topmost: no window of the program (the export options, the main
    // window being closed) may bury the only way to cancel.
    mWindow = new ProgressWindow(host, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowStaysOnTopHint);
    mWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    mWindow->setCursor(Qt::BusyCursor);
    if (!host && QApplication::activeModalWidget())
        mWindow->setWindowModality(Qt::ApplicationModal); // never blocked by a dialog of the owner
    mWindow->onClose = [this] { Cancel(); };

    const QFont font = QApplication::font("QMessageBox");
    mTextLabel = new QLabel(mWindow);
    mTextLabel->setObjectName(QStringLiteral("progressText"));
    mTextLabel->setTextFormat(Qt::PlainText);
    mTextLabel->setWordWrap(false);
    mTextLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mTextLabel->setFont(font);
    mBar = new QProgressBar(mWindow);
    mBar->setObjectName(QStringLiteral("progressBar"));
    mBar->setTextVisible(!smooth);
    mBar->setRange(mLower, mUpper);
    mBar->setValue(0);
    mCancel = new QPushButton(mCancelLabel, mWindow);
    mCancel->setObjectName(QStringLiteral("cancelButton"));
    mCancel->setFont(font);
    mCancel->setAutoDefault(false);
    connect(mCancel, &QPushButton::clicked, this, &CProgressDialog::Cancel);

    mWindow->setWindowTitle(mTitle);
    SetWindowSize(mLines, 290);
    if (mOwner && mOwner->window()->isVisible()) {
        const QRect over = mOwner->window()->frameGeometry();
        mWindow->move(over.center() - mWindow->rect().center());
    }
    if (!host && mOwner && mOwner->window()->windowHandle()) {
        mWindow->winId();
        mWindow->windowHandle()->setTransientParent(mOwner->window()->windowHandle());
    }
    mWindow->show();
    return true;
}

bool CProgressDialog::GoModal(const QString &title, bool smooth)
{
    if (!mWindow && !Create(mOwner, title, smooth))
        return false;
    if (!mWindow)
        return false;
    if (mOwner && !mOwnerDisabled) {
        mOwner->window()->setEnabled(false);
        mOwnerDisabled = true;
    }
    mWindow->setEnabled(true);
    mModal = true;
    return true;
}

void CProgressDialog::SetRange(int lower, int upper, int step)
{
    mLower = lower;
    mUpper = upper;
    mStep = step;
    if (mWindow)
        mBar->setRange(lower, upper);
}

int CProgressDialog::SetPos(int position)
{
    const int previous = mPos;
    if (!mWindow)
        return previous;
    if (mWindow->isHidden())
        mWindow->show();
    mPos = position;
    updateTitle(false);
    mBar->setValue(std::clamp(position, std::min(mLower, mUpper), std::max(mLower, mUpper)));
    return previous;
}

void CProgressDialog::updateTitle(bool force)
{
    const qint64 span = qint64(mUpper) - mLower;
    const int percent = mLower < mUpper ? int(qint64(mPos) * 100 / span) : 0;
    if (percent == mPercent && !force)
        return;
    mPercent = percent;
    mWindow->setWindowTitle(QStringLiteral("%1 [%2%]").arg(mTitle).arg(percent));
}

int CProgressDialog::OffsetPos(int amount)
{
    return SetPos(mPos + amount);
}

int CProgressDialog::StepIt()
{
    return SetPos(mPos + mStep);
}

void CProgressDialog::SetText(const QString &text)
{
    if (!mWindow)
        return;
    QString lines = shortenInMiddle(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    mText = lines;
    mTextLabel->setText(lines);
}

void CProgressDialog::Clear()
{
    if (!mWindow)
        return;
    SetText(QString());
    mPos = 0;
    mCancelled = false;
    mPercent = 0;
    mBar->setValue(mBar->minimum());
    mWindow->setWindowTitle(mTitle);
    mWindow->repaint();
}

void CProgressDialog::Hide()
{
    if (mWindow)
        mWindow->hide();
}

void CProgressDialog::Show()
{
    if (!mWindow)
        return;
    mWindow->setAttribute(Qt::WA_ShowWithoutActivating);
    mWindow->show();
    mWindow->repaint();
}

void CProgressDialog::PumpMessages(bool cancelOnEscape)
{
    takeFront();
    mEscapeCancels = cancelOnEscape;
    qApp->installEventFilter(this);
    QPointer<CProgressDialog> alive(this);
    if (!mCancelled)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (alive) {
        qApp->removeEventFilter(this);
        takeFront(); // the events just handled may have brought another window forward
    }
}

// A window of ours in front of the progress (the owner, the dialog that
// hosts the progress) hands the front back; other programs keep theirs.
void CProgressDialog::takeFront()
{
    QWidget *active = QApplication::activeWindow();
    if (!mModal || !mWindow || active == mWindow)
        return;
    if (!active || (mOwner && active == mOwner->window()) || active == mWindow->parentWidget()) {
        mWindow->raise();
        mWindow->activateWindow();
    }
}

bool CProgressDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && mEscapeCancels &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CProgressDialog::SetWindowSize(int lines, int width)
{
    if (!mWindow)
        return;
    constexpr int kMargin = 10;
    const int edge = std::max(1, mWindow->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    mLines = std::max(1, lines);
    const QFontMetrics text(mTextLabel->font());
    QStringList ems;
    for (int i = 0; i < mLines; ++i)
        ems << QStringLiteral("M");
    QRect area = text.boundingRect(QRect(kMargin, kMargin, width - 2 * kMargin, 120),
                                   Qt::AlignLeft | Qt::AlignTop, ems.join(QLatin1Char('\n')));
    area.setWidth(width);
    const QFontMetrics buttonText(mCancel->font());
    const QSize button(buttonText.horizontalAdvance(mCancelLabel + QStringLiteral("  ")) + 4 * edge + 16,
                       buttonText.height() + 3 * edge + 10);
    const QRect cancel(area.right() + 1 - button.width(), area.bottom() + 1 + kMargin, button.width(),
                       button.height());
    const QRect bar(QPoint(area.left(), cancel.top() + edge),
                    QPoint(cancel.left() - kMargin - 1, cancel.bottom() - edge));
    mWindow->setFixedSize(area.width() + 2 * kMargin, area.height() + button.height() + 3 * kMargin);
    mTextLabel->setGeometry(area);
    mCancel->setGeometry(cancel);
    mBar->setGeometry(bar);
}

void CProgressDialog::Cancel()
{
    mCancelled = true;
    if (mWindow) {
        mWindow->hide();
        if (mModal) {
            mWindow->onClose = nullptr;
            mWindow->deleteLater(); // may be inside the button's click
            mWindow = nullptr;
        }
    }
    if (mOwner) {
        mOwner->window()->raise();
        mOwner->window()->activateWindow();
    }
}

void CProgressDialog::Destroy()
{
    if (mModal) {
        mModal = false;
        if (mOwner && mOwnerDisabled)
            mOwner->window()->setEnabled(true);
        mOwnerDisabled = false;
    }
    if (mWindow) {
        mWindow->onClose = nullptr;
        mWindow->hide();
        mWindow->deleteLater();
        mWindow = nullptr;
    }
}

QWidget *CProgressDialog::window() const
{
    return mWindow;
}
