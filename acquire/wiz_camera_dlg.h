// acquire/wiz_camera_dlg.h
#pragma once

#include "acquire/wiz_property_page.h"
#include "platform/volumes.h"

#include <functional>
#include <memory>
#include <vector>

class CMarkupTip;
class CWizAcquireDlg;
class ProfileStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Second and last page: where the photos come from (TWAIN camera or a
// memory card), which TWAIN source, and how they are saved.
class CWizCameraDlg : public CWizPropertyPage
{
    Q_OBJECT

  public:
    enum ControlId {
        kIdTwain = 1300,
        kIdMedia = 1301,
        kIdMediaList = 1302,
        kIdFolder = 1295,
        kIdSelectFolder = 1296,
        kIdPrefix = 1297,
        kIdFormat = 1303,
        kIdExample = 1304,
        kIdDefaultSource = 1314,
        kIdPromptSource = 1315,
    };
    using VolumeSource = std::function<std::vector<RemovableVolume>()>;

    // first: the first page, whose choice decides what this page offers.
    CWizCameraDlg(CWizAcquireDlg *first, ProfileStore &profile, QWidget *parent = nullptr);
    ~CWizCameraDlg() override;

    // Before the wizard runs.
    void SetFolder(const QString &folder);
    void SetPrefix(const QString &prefix);
    void SetFormat(int format);
    void SetVolumeSource(VolumeSource source) { mVolumes = std::move(source); }
    // mode 1: a volume arrived at mountPoint; the page turns to the memory card.
    void SetStartMode(int mode, const QString &mountPoint);

    // Read after Finish.
    int SourceChoice() const { return mSource; }
    QString Prefix() const;
    QString Folder() const { return mFolder2; }
    int Format() const;
    int PromptChoice() const { return mPrompt; }
    QString SelectedMediaRoot() const; // the mount point chosen at Finish, or ""

    // What becoming active does; also run when a volume re-targets the open wizard.
    void Activate();

    QWidget *Control(int id) const;
    QComboBox *MediaList() const { return mMediaList; }
    // The page's markup tooltip; it explains the memory card list.
    CMarkupTip *Tip() const { return mTip.get(); }

    void initializePage() override;

  protected:
    bool OnWizardFinishCheck() override;

  private:
    void buildControls();
    QWidget *buildSourceGroup();
    QWidget *buildTwainGroup();
    QWidget *buildSaveGroup();
    void initializeOnce();
    void applyEnabling();
    void refillMediaList();
    void onMediaActivated(int index);
    void onSourceClicked(int source);
    void onSelectFolder();
    void updateExample();

    CWizAcquireDlg *mFirst;
    ProfileStore &mProfile;
    VolumeSource mVolumes;
    bool mInitialized = false;

    int mSource = -1;
    int mPrompt = -1;
    int mFormat = 0;
    int mStartMode = 0;
    QString mDriveMask; // mount point of the volume that arrived
    int mMediaIndex = -1;
    int mChosenMedia = -1;
    QString mFolder, mFolder2, mPrefix;
    std::vector<QString> mRoots;

    QRadioButton *mTwain, *mMedia, *mDefaultSource, *mPromptSource;
    QComboBox *mMediaList, *mFormatList;
    QLineEdit *mFolderEdit, *mPrefixEdit;
    QPushButton *mSelectFolder;
    QLabel *mExample;
    QLabel *mMediaLabel;
    std::unique_ptr<CMarkupTip> mTip;
};
