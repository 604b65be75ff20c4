// app/batch_progress.h
#pragma once

#include "app/batch_arguments.h"
#include "export/export_observer.h"

#include <csignal>
#include <string>

// zelventa-batch's side of an export: progress on stderr (a bar redrawn in
// place on a terminal, one line per picture otherwise), the overwrite
// answer from the command line or from a prompt, and cancelling by the
// first interrupt (Ctrl-C), which also stops the pictures being made; a second one, or a terminate or hang-up
// signal, ends the program at once, removing the temporary file of a save in progress. Main thread only.
class BatchProgress : public ExportObserver
{
  public:
    // How the questions are answered: policy for existing files; the run's
    // own pictures only when replaceOriginals (then by policy too); pictures
    // read only in part saved only when acceptDamaged.
    struct Answers
    {
        OverwritePolicy policy = OverwritePolicy::No;
        bool replaceOriginals = false;
        bool acceptDamaged = false;
    };

    BatchProgress(Answers answers, bool terminal, int columns);
    ~BatchProgress() override;

    void setRange(int count) override;
    void setText(const std::string &text) override;
    void step() override;
    bool isCancelled() override;
    OverwriteAnswer askOverwrite(const std::string &path) override;
    OverwriteAnswer askReplaceOriginal(const std::string &path) override;
    OverwriteAnswer askSaveDamaged(const std::string &name, const std::string &why) override;
    void showMessage(const std::string &text) override;
    bool idle() override { return interrupted(); }

    // Whether the run was cancelled by an interrupt.
    static bool interrupted();

  private:
    void drawBar();
    void clearBar();
    OverwriteAnswer prompt(const std::string &question, const std::string &path);

    Answers mAnswers;
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
