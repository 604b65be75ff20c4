// export/export_observer.h
#pragma once

#include <string>

struct ExportOptions;

// Answer to a question the run asks about one picture. The "all" answers
// stand for every later question of the same kind in this run.
enum class OverwriteAnswer { Yes, No, YesToAll, NoToAll, Cancel };

// What a batch export shows and asks while it runs: the progress window and
// message boxes of the export dialog, the terminal of zelventa-batch, or a
// test's script. Called on the thread that runs the export, in this order:
// setRange once, then per picture setText (and idle, the questions when
// needed), isCancelled and step; showSummary or showMessage once at the end.
class ExportObserver
{
  public:
    virtual ~ExportObserver() = default;

    // Steps to come: one per picture.
    virtual void setRange(int count) = 0;
    // Lines separated by "\r\n", e.g. "Export image file:\r\n[a.jpg] as [Photo0000.JPG]".
    virtual void setText(const std::string &text) = 0;
    virtual void step() = 0;
    // Asked once after each picture; the place to pump events.
    virtual bool isCancelled() = 0;
    // "File already exists,overwrite?" for the file at path, which is not
    // one of the run's own pictures.
    virtual OverwriteAnswer askOverwrite(const std::string &path) = 0;
    // The file at path is one of the pictures this run reads: saving would
    // replace the user's original photograph. Unless asked otherwise it is kept.
    virtual OverwriteAnswer askReplaceOriginal(const std::string &) { return OverwriteAnswer::No; }
    // The picture name decoded only in part (why says what is wrong): save
    // what could be read? Unless asked otherwise it is not saved.
    virtual OverwriteAnswer askSaveDamaged(const std::string &, const std::string &)
    {
        return OverwriteAnswer::No;
    }
    // The message that ended the run early.
    virtual void showMessage(const std::string &text) = 0;
    // The summary of a run that went through (or was cancelled): its
    // headline and one line per picture not saved as asked; folder is the
    // output folder it names.
    virtual void showSummary(const std::string &text, const std::string &) { showMessage(text); }
    // Before each picture: lets the dialog put the fields changed during the
    // run into options, so that they take effect on later pictures.
    virtual void updateOptions(ExportOptions &) {}
    // Now and then while the run waits for a picture made on another
    // thread: the place to keep a window painted. True when the user asked
    // to stop: the pictures being made are abandoned and nothing more is
    // written.
    virtual bool idle() { return false; }
};
