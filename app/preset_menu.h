// app/preset_menu.h
#pragma once

#include "export/preset_store.h"

#include <QMenu>

#include <functional>

// The menu of the main window's Job Presets button: "Save as...", then
// Load, Rename... and Delete, each with a submenu of the saved presets,
// built afresh each time the menu opens. The menu knows neither page: it
// takes the job to save from one callback and hands a loaded job to
// another. Every refusal and failure reaches the user through MessageBox;
// replacing and deleting a preset are asked first. UI thread only.
class CPresetMenu : public QMenu
{
    Q_OBJECT

  public:
    using JobGetter = std::function<JobPreset()>;
    using JobSetter = std::function<void(const JobPreset &)>;
    // Asks for a preset name, offering initial; "" when the user cancels.
    using NameAsker = std::function<QString(QWidget *parent, const QString &title, const QString &initial)>;

    CPresetMenu(PresetStore store, JobGetter current, JobSetter apply, QWidget *parent);

    void SetNameAsker(NameAsker asker) { mAskName = std::move(asker); }
    const PresetStore &Store() const { return mStore; }

    // The commands behind the entries; true when the preset was saved,
    // loaded, renamed or deleted.
    bool SaveAs();
    bool SavePreset(const QString &name);
    bool LoadPreset(const QString &name);
    bool RenamePreset(const QString &name);
    bool DeletePreset(const QString &name);

  private:
    void rebuild();
    void addNames(const QString &title, const QString &objectName,
                  const std::function<void(const QString &)> &run);
    bool refused(const std::string &message);

    PresetStore mStore;
    JobGetter mCurrent;
    JobSetter mApply;
    NameAsker mAskName;
    QString mLastName; // offered by the next "Save as..."
};
