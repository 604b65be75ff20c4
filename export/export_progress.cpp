// export/export_progress.cpp
#include "export/export_progress.h"

#include "export/progress_dialog.h"
#include "platform/message_box.h"

#include <QString>
#include <QWidget>

ExportProgress::ExportProgress(QWidget *owner, OptionsUpdate update)
    : mOwner(owner)
    , mUpdate(std::move(update))
{
}

ExportProgress::~ExportProgress() = default;

void ExportProgress::setRange(int count)
{
    mProgress = std::make_unique<CProgressDialog>(mOwner, QStringLiteral("Export Progress"));
    mProgress->GoModal();
    mProgress->SetPos(0);
    mProgress->SetRange(0, count, 1);
    if (QWidget *window = mProgress->window())
        window->repaint();
    mProgress->SetPos(0);
    mProgress->SetText(QStringLiteral("Export image file:"));
    mProgress->PumpMessages(true);
}

void ExportProgress::setText(const std::string &text)
{
    if (mProgress)
        mProgress->SetText(QString::fromStdString(text));
}

void ExportProgress::step()
{
    if (mProgress)
        mProgress->StepIt();
}

bool ExportProgress::isCancelled()
{
    if (mProgress)
        mProgress->PumpMessages(true);
    return mCancelRequested || (mProgress && mProgress->IsCancelled());
}

OverwriteAnswer ExportProgress::askOverwrite(const std::string &)
{
    switch (MessageBox(QStringLiteral("File already exists,overwrite?"), MB_YESNOCANCEL, MB_ICONQUESTION)) {
    case IDYES: return OverwriteAnswer::Yes;
    case IDNO: return OverwriteAnswer::No;
    default: return OverwriteAnswer::Cancel;
    }
}

void ExportProgress::showMessage(const std::string &text)
{
    mProgress.reset(); // the main window is enabled again before the summary
    MessageBox(QString::fromStdString(text));
}

void ExportProgress::updateOptions(ExportOptions &options)
{
    if (mUpdate)
        mUpdate(options);
}

void ExportProgress::idle()
{
    if (mProgress)
        mProgress->PumpMessages(true);
}
