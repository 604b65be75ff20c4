// app/batch_progress.h
#pragma once

#include "app/batch_arguments.h"
#include "export/export_observer.h"

#include <csignal>
#include <string>

// zelventa-batch's side of an export: progress on stderr (a bar redrawn in
// place on a terminal, one line per picture otherwise), the overwrite
// answer from the command line or from a prompt, and cancelling by the
// first interrupt (Ctrl-C); a second one, or a terminate or hang-up signal,
// ends the program at once, removing the temporary file of a save in progress.
// Main thread only.
class BatchProgress : public ExportObserver
{
  public:
    BatchProgress(OverwritePolicy policy, bool terminal, int columns);
    ~BatchProgress() override;

    void setRange(int count) override;
    void setText(const std::string &text) override;
    void step() override;
    bool isCancelled() override;
    OverwriteAnswer askOverwrite(const std::string &path) override;
    void showMessage(const std::string &text) override;

    // Whether the run was cancelled by an interrupt.
    static bool interrupted();

  private:
    void drawBar();
    void clearBar();

    OverwritePolicy mPolicy;
    bool mTerminal;
    int mColumns;
    int mTotal = 0;
    int mDone = 0;
    std::string mCurrent; // "[name] as [output]"
    bool mBarShown = false;
    void (*mOldHandler)(int) = SIG_DFL;
    void (*mOldTerminate)(int) = SIG_DFL;
    void (*mOldHangUp)(int) = SIG_DFL;
};
