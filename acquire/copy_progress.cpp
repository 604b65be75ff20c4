// acquire/copy_progress.cpp
#include "acquire/copy_progress.h"

#include "export/progress_dialog.h"

CopyProgress::CopyProgress(QWidget *owner, const QString &title)
    : mDialog(std::make_unique<CProgressDialog>(owner, title))
{
    mDialog->GoModal(title);
}

CopyProgress::~CopyProgress() = default;

void CopyProgress::SetText(const QString &text)
{
    mDialog->SetText(text);
}

void CopyProgress::PumpMessages()
{
    mDialog->PumpMessages();
}

bool CopyProgress::IsCancelled()
{
    return mDialog->IsCancelled();
}

void CopyProgress::SetRange(int lower, int upper, int step)
{
    mDialog->SetRange(lower, upper, step);
}

void CopyProgress::SetPos(int position)
{
    mDialog->SetPos(position);
}

void CopyProgress::StepIt()
{
    mDialog->StepIt();
}
