// export/export_progress.h
#pragma once

#include "export/export_observer.h"

#include <QPointer>

#include <functional>
#include <memory>

class CProgressDialog;
class QWidget;

// The export dialog's side of a run: the modal progress window "Export
// Progress" owned by the main window, the questions as message boxes, the
// summary as a list with "Open folder". Pumps events once before the first
// picture, after each one and while the run waits for a picture; Cancel,
// Escape or RequestCancel stop the pictures being made and end the run
// without writing more. UI thread only.
class ExportProgress : public ExportObserver
{
  public:
    using OptionsUpdate = std::function<void(ExportOptions &)>;

    ExportProgress(QWidget *owner, OptionsUpdate update);
    ~ExportProgress() override;

    void setRange(int count) override;
    void setText(const std::string &text) override;
    void step() override;
    bool isCancelled() override;
    OverwriteAnswer askOverwrite(const std::string &path) override;
    OverwriteAnswer askReplaceOriginal(const std::string &path) override;
    OverwriteAnswer askSaveDamaged(const std::string &name, const std::string &why) override;
    void showMessage(const std::string &text) override;
    void showSummary(const std::string &text, const std::string &folder) override;
    void updateOptions(ExportOptions &options) override;
    bool idle() override;

    // Ends the run after the current picture, as Cancel does.
    void RequestCancel() { mCancelRequested = true; }

  private:
    QPointer<QWidget> mOwner;
    OptionsUpdate mUpdate;
    std::unique_ptr<CProgressDialog> mProgress;
    bool mCancelRequested = false;
};
