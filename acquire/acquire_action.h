// acquire/acquire_action.h
#pragma once

#include "acquire/acquire_settings.h"
#include "acquire/wiz_camera_dlg.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class CAcquireTwain;
class CWizPropertySheet;
class ImportProgress;
class ProfileStore;
class QWidget;

// The Acquire action: runs the wizard "Acquire photos", then copies a
// memory card's pictures or starts a TWAIN acquisition, and tells where the
// pictures go. Owns the TWAIN connection, which keeps saving pictures after
// the wizard has closed. UI thread only.
class CAcquireAction : public QObject
{
    Q_OBJECT

  public:
    enum Mode { kNormal = 0, kVolumeArrived = 1, kVolumeRemoved = 2 };
    // What the user is told when the system has no scanner or camera at all.
    static const QString kNoDeviceText;
    using ProgressFactory =
        std::function<std::unique_ptr<ImportProgress>(QWidget *owner, const QString &title)>;

    CAcquireAction(QWidget *window, ProfileStore &profile, QStringList managerLibraries = {},
                   QObject *parent = nullptr);
    ~CAcquireAction() override;

    // The Select Images page's current folder; the default save folder.
    void SetBrowseFolder(const QString &folder) { mBrowseFolder = folder; }
    void SetVolumeSource(CWizCameraDlg::VolumeSource source) { mVolumes = std::move(source); }
    // The progress window of the card import ("Copying Progress").
    void SetProgressFactory(ProgressFactory factory) { mProgressFactory = std::move(factory); }

    AcquireSettings &Settings() { return mSettings; }
    CAcquireTwain &Twain() { return *mTwain; }
    CWizPropertySheet *Wizard() const { return mWizard; }

    // Runs the action. mountPoint names the volume that arrived (mode 1).
    // Returns the folder that received pictures (a card's copies) or will
    // receive them (TWAIN), or "" when the wizard was cancelled or failed.
    // Called again while the wizard is open, it re-targets the wizard and returns "".
    QString Acquire(int mode = kNormal, const QString &mountPoint = {});

  signals:
    // The save folder is settled: the browser, its watcher and the tree move there.
    void saveFolderChosen(const QString &folder);
    // A TWAIN picture was written.
    void pictureSaved(const QString &path);
    // The wizard is about to run modally (tests drive it from here).
    void wizardShown(CWizPropertySheet *sheet);

  private:
    QString defaultFolder() const;
    void prepareWizard(int mode, const QString &mountPoint);
    QString finish();
    bool ensureFolder(QString &folder);
    QString importMedia(const QString &root);
    QString startTwain();

    QWidget *mWindow;
    ProfileStore &mProfile;
    AcquireSettings mSettings;
    QString mBrowseFolder;
    CWizCameraDlg::VolumeSource mVolumes;
    ProgressFactory mProgressFactory;
    std::unique_ptr<CAcquireTwain> mTwain;
    QPointer<CWizPropertySheet> mWizard;
};
