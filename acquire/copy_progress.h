// acquire/copy_progress.h
#pragma once

#include "acquire/import_progress.h"

#include <memory>

class CProgressDialog;
class QWidget;

// The memory-card import's progress in the program's progress window
// ("Copying Progress"), modal over the main window while the copy runs.
class CopyProgress : public ImportProgress
{
  public:
    CopyProgress(QWidget *owner, const QString &title);
    ~CopyProgress() override;

    void SetText(const QString &text) override;
    void PumpMessages() override;
    bool IsCancelled() override;
    void SetRange(int lower, int upper, int step) override;
    void SetPos(int position) override;
    void StepIt() override;

  private:
    std::unique_ptr<CProgressDialog> mDialog;
};
