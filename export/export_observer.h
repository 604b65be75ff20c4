// export/export_observer.h
#pragma once

#include <string>

struct ExportOptions;

// Answer to "File already exists,overwrite?".
enum class OverwriteAnswer { Yes, No, Cancel };

// What a batch export shows and asks while it runs: the progress window and
// message boxes of the export dialog, the terminal of zelventa-batch, or a
// test's script. Called on the thread that runs the export, in this order:
// setRange once, then per picture setText (and idle, askOverwrite when needed),
// isCancelled and step; showMessage once at the end.
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
    virtual OverwriteAnswer askOverwrite(const std::string &path) = 0;
    // The summary, or the message that ended the run.
    virtual void showMessage(const std::string &text) = 0;
    // Before each picture: lets the dialog put the fields changed during the
    // run into options, so that they take effect on later pictures.
    virtual void updateOptions(ExportOptions &) {}
    // Now and then while the run waits for a picture made on another
    // thread: the place to keep a window painted. Cancelling here still
    // takes effect after the current picture.
    virtual void idle() {}
};
