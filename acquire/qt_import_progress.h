// acquire/qt_import_progress.h
#pragma once

#include "acquire/import_progress.h"

#include <QPointer>

class QProgressDialog;
class QWidget;

// The import's progress on a plain Qt progress dialog, for use until the
// program's own progress window is wired in. Its title shows the percentage.
class QtImportProgress : public ImportProgress
{
public:
    QtImportProgress(QWidget *owner, const QString &title);
    ~QtImportProgress() override;

    void SetText(const QString &text) override;
    void PumpMessages() override;
    bool IsCancelled() override;
    void SetRange(int lower, int upper, int step) override;
    void SetPos(int position) override;
    void StepIt() override;

private:
    QPointer<QProgressDialog> mDialog;
    QString mTitle;
    int mStep = 1;
    int mPosition = 0;
    int mPercent = -1;
};
