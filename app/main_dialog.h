// app/main_dialog.h
#pragma once

#include "app/volume_event.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class CAcquireAction;
class CExportDialog;
class CFolderTree;
class CMarkupTip;
class CPresetMenu;
class CSelectPage;
class CSettingsPage;
class CTreeSplitter;
class CVolumeWatcher;
class CaptionSource;
class ExportRowSource;
class ProfileStore;
struct MainLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class QUrl;

// The main window: the folder tree on the left under "Select Folder:", the
// tab control with the Select Images and Batch Settings pages, and the
// Export, Help, About and Quit buttons along the bottom. Quit and Escape
// close it, which ends the program; Escape and Quit do nothing while an
// export runs (its progress window has the Cancel). Whenever it closes, and
// when the desktop session ends, the caption design, the window's size and
// the folder shown go into the profile; the next window opens with them
// (the folder only while it exists). The pages and the tree are created in
// createTree() and createPages(); they reach one another only through the
// signals and slots wired here. MainPixelLayout places the controls. The
// controls carry object names (folderLabel, folderTree, tabs, selectPage,
// settingsPage, presetsButton, exportButton, helpButton, aboutButton,
// quitButton, splitter; the tooltip, a window of its own, mainTip; the help window,
// helpWindow). The tree and the tab control share a splitter whose position
// the profile keeps.
// UI thread only.
class CMainDialog : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int kSelectTab = 0;
    static constexpr int kSettingsTab = 1;

    explicit CMainDialog(ProfileStore &profile, QWidget *parent = nullptr);
    ~CMainDialog() override;

    // The folder last chosen in the tree, ending in "/"; empty at first.
    QString CurrentFolder() const { return mCurrentFolder; }
    // The page of help/help.htm beside the executable (or installed beside it in share/).
    static QString HelpPath();

    // Where the export dialog reads the selected rows and the caption.
    void SetExportSources(ExportRowSource *rows, CaptionSource *caption);

    // Hands a URL to the desktop; false when it has no program for it.
    using UrlOpener = std::function<bool(const QUrl &)>;
    void SetUrlOpener(UrlOpener opener) { mOpenUrl = std::move(opener); }

    // The width the user gave the tree's pane by moving the splitter, kept
    // in the profile; 0 when it was never moved.
    static int StoredTreeWidth(const ProfileStore &profile);

  public slots:
    // The tree's selection: a folder goes to the Select Images page (which
    // stops watching the old one, loads and watches the new one); an empty
    // path (the Computer node) empties the browser and keeps the current folder.
    void OnFolderSelected(const QString &path);
    // A volume arrived or left: the Select Images tab comes to the front and
    // the acquisition runs in arrival (1) or removal (2) mode.
    void OnDeviceChange(const VolumeEvent &event);
    void OnExport();
    // The help page in the desktop's browser or, where it has none, in the
    // program's own help window.
    void OnHelp();
    // A folder typed or dropped: the tree walks to it. False (and the user
    // is told) when it does not exist.
    bool GoToFolder(const QString &folder);
    void OnAbout();
    // Quit, Escape, the window's close: nothing while an export runs.
    void reject() override;
    // Closing for good: during an export run, the run ends after the
    // current picture and the window closes then, its state saved.
    void done(int result) override;
    // Keeps the design, the window's size and the folder in the profile.
    void SaveState();
    // The Job Presets button's menu; its presets lie beside the profile.
    CPresetMenu *PresetMenu() const { return mPresetMenu; }

  signals:
    // A folder to browse and watch ("" empties the browser).
    void folderChanged(const QString &folder);
    // Run the acquisition: mode 1 arrival, 2 removal, for the volume at mountPoint.
    void acquireRequested(int mode, const QString &mountPoint);

  private:
    void createTree();
    void createPages();
    void connectPages();
    void createAcquisition();
    void createTips();
    void runAcquire(int mode, const QString &mountPoint);
    void onSaveFolderChosen(const QString &folder);
    void viewBrowser(int browserIndex);
    void viewSelected();
    // The export's "Turn pictures as the camera held them", as stored.
    bool autoOrient() const;
    void createButtons();
    void createLayout();
    void createSplitter(const MainLayout &start);
    void createShortcuts();
    void showHelpWindow();
    void restoreState();
    void createPresets();

    ProfileStore &mProfile;
    QString mCurrentFolder;
    QLabel *mFolderLabel = nullptr;
    CFolderTree *mFolderTree = nullptr;
    QTabWidget *mTabs = nullptr;
    CTreeSplitter *mSplitter = nullptr;
    QWidget *mHelpWindow = nullptr; // made on first use, a child window of this one
    CSelectPage *mSelect = nullptr;
    CSettingsPage *mSettings = nullptr;
    CAcquireAction *mAcquire = nullptr;
    CVolumeWatcher *mVolumes = nullptr;
    ExportRowSource *mRows = nullptr;
    CaptionSource *mCaption = nullptr;
    std::unique_ptr<CMarkupTip> mTip;
    QPushButton *mExport = nullptr;
    QPushButton *mHelp = nullptr;
    QPushButton *mAbout = nullptr;
    QPushButton *mQuit = nullptr;
    QPushButton *mPresets = nullptr;
    CPresetMenu *mPresetMenu = nullptr;
    CExportDialog *mExportDialog = nullptr; // on OnExport's stack while open; a child of this window
    UrlOpener mOpenUrl;
    bool mCloseAfterExport = false; // done() came during a run
};
