// tests/acquire/acquire_test_support.h
#pragma once

#include "acquire/import_progress.h"
#include "tests/support/message_recorder.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Records what the import shows and cancels when told to.
class ScriptedProgress : public ImportProgress
{
  public:
    int pumps = 0;
    int cancelAtPump = -1; // the pump at which the user presses Cancel (1-based)
    int lower = -1, upper = -1, stepSize = -1;
    int position = 0;
    QStringList texts;
    std::function<void()> onSetRange; // runs between the passes

    void SetText(const QString &text) override { texts << text; }
    void PumpMessages() override { ++pumps; }
    bool IsCancelled() override { return cancelAtPump > 0 && pumps >= cancelAtPump; }
    void SetRange(int lo, int hi, int step) override
    {
        lower = lo, upper = hi, stepSize = step;
        if (onSetRange)
            onSetRange();
    }
    void SetPos(int pos) override { position = pos; }
    void StepIt() override { position += stepSize; }
};

// A temporary folder removed with the object.
class TempTree
{
  public:
    TempTree();
    ~TempTree();
    QString path() const { return mPath; }
    QString file(const QString &relative, const std::string &content, long long mtime = 1500000000) const;
    QString folder(const QString &relative) const;

  private:
    QString mPath;
};

std::string readAll(const QString &path);
QStringList entriesOf(const QString &folder); // names, sorted, hidden ones included
