// acquire/import_progress.h
#pragma once

#include <QString>

// The progress window the removable-media import drives: the program's
// progress dialog, or a test's script. UI thread only. The names are the
// progress dialog's own, so an adapter over it is a line per call.
class ImportProgress
{
  public:
    virtual ~ImportProgress() = default;

    // Lines separated by "\r\n".
    virtual void SetText(const QString &text) = 0;
    // Lets the interface breathe; the place where Cancel and Escape are seen.
    virtual void PumpMessages() = 0;
    // Stays true once the user has cancelled.
    virtual bool IsCancelled() = 0;
    virtual void SetRange(int lower, int upper, int step) = 0;
    virtual void SetPos(int position) = 0;
    virtual void StepIt() = 0;
};
