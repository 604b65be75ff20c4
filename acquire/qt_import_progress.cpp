// acquire/qt_import_progress.cpp
#include "acquire/qt_import_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

QtImportProgress::QtImportProgress(QWidget *owner, const QString &title)
    : mDialog(new QProgressDialog(owner))
    , mTitle(title)
{
    mDialog->setWindowTitle(title);
    mDialog->setLabelText(QStringLiteral("Progress"));
    mDialog->setCancelButtonText(QStringLiteral("Cancel"));
    mDialog->setWindowModality(Qt::WindowModal);
    mDialog->setMinimumDuration(0);
    mDialog->setAutoReset(false);
    mDialog->setAutoClose(false);
    mDialog->setMinimumWidth(390);
    mDialog->show();
}

QtImportProgress::~QtImportProgress()
{
    delete mDialog.data();
}

void QtImportProgress::SetText(const QString &text)
{
    if (mDialog)
        mDialog->setLabelText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

void QtImportProgress::PumpMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtImportProgress::IsCancelled()
{
    return !mDialog || mDialog->wasCanceled();
}

void QtImportProgress::SetRange(int lower, int upper, int step)
{
    mStep = step;
    if (mDialog)
        mDialog->setRange(lower, upper);
}

void QtImportProgress::SetPos(int position)
{
    mPosition = position;
    if (!mDialog)
        return;
    const int span = mDialog->maximum() - mDialog->minimum();
    const int percent = span > 0 ? int(qint64(position) * 100 / span) : 0;
    if (percent != mPercent) {
        mPercent = percent;
        mDialog->setWindowTitle(QStringLiteral("%1 [%2%]").arg(mTitle).arg(percent));
    }
    mDialog->setValue(position);
}

void QtImportProgress::StepIt()
{
    SetPos(mPosition + mStep);
}
