// app/main_dialog.cpp
#include "app/main_dialog.h"

#include "acquire/acquire_action.h"
#include "acquire/wiz_property_sheet.h"
#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/main_pixel_layout.h"
#include "app/main_window_state.h"
#include "app/picture_sequences.h"
#include "app/preset_menu.h"
#include "app/tree_splitter.h"
#include "caption/caption_profile.h"
#include "caption/settings_page.h"
#include "collection/folder_tree.h"
#include "collection/select_page.h"
#include "collection/selected_images_model.h"
#include "collection/thumb_list.h"
#include "collection/typed_folder.h"
#include "collection/viewer/full_screen_view.h"
#include "controls/markup_tip.h"
#include "controls/tip_markup.h"
#include "export/export_dialog.h"
#include "export/export_options.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"
#include "platform/volume_watcher.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

// The program's picture and icons, compiled into this library.
void initResources()
{
    Q_INIT_RESOURCE(zelventa);
}

namespace {

// Where the controls sit in a window of the minimum size.
constexpr int kLeft = 8;
constexpr int kTop = 8;
constexpr int kLabelHeight = 18;
constexpr int kTreeWidth = 214;
constexpr QSize kButton(84, 28);
// Wide enough for its label and the menu's arrow.
constexpr QSize kPresetsButton(112, 28);
// The tree's pane may be made narrower than at first, not narrower than this.
constexpr int kMinimumTreeWidth = 120;

} // namespace

CMainDialog::CMainDialog(ProfileStore &profile, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , mProfile(profile)
    , mTip(std::make_unique<CMarkupTip>())
    , mOpenUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    initResources();
    setWindowTitle(AppName());
    setWindowIcon(QIcon(QStringLiteral(":/zelventa/zelventa-128.png")));

    mFolderLabel = new QLabel(QStringLiteral("Select F&older:"), this);
    mFolderLabel->setObjectName(QStringLiteral("folderLabel"));
    createTree();
    createPages();
    createButtons();
    connectPages();
    createAcquisition();

    createTips();
    createLayout();
    createShortcuts();
    restoreState();
    // The session manager asks before it ends the program, which may then
    // end without the window closing.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CMainDialog::SaveState);
}

// The window as it was left: its size, the caption design and the folder,
// each where the profile holds a usable one.
void CMainDialog::restoreState()
{
    const MainWindowState state = MainWindowState::Load(mProfile);
    if (state.size.isValid())
        resize(state.size.expandedTo(kMainMinimumSize));
    if (state.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (const std::optional<CaptionSettings> shown = mSettings->ExportCaption()) {
        const CaptionSettings kept = loadCaptionProfile(mProfile, *shown);
        if (captionProfileEntries(kept) != captionProfileEntries(*shown))
            mSettings->SetCaption(kept);
    }
    if (!state.folder.isEmpty() && state.folder != mCurrentFolder && QFileInfo(state.folder).isDir() &&
        !mFolderTree->SelectPath(state.folder))
        OnFolderSelected(state.folder);
}

void CMainDialog::SaveState()
{
    if (const std::optional<CaptionSettings> caption = mSettings->ExportCaption())
        saveCaptionProfile(mProfile, *caption);
    MainWindowState state;
    state.maximized = isMaximized();
    const QRect normal = normalGeometry();
    state.size = state.maximized && normal.isValid() ? normal.size() : size();
    state.folder = mCurrentFolder;
    state.Save(mProfile);
}

// The controls as they sit in a window of the minimum size; the layout
// grows them from there on every resize.
void CMainDialog::createLayout()
{
    MainLayout start;
    start.folderLabel = QRect(kLeft, kTop, kTreeWidth, kLabelHeight);
    start.tree = QRect(kLeft, kTop + kLabelHeight + 4, kTreeWidth, 0);
    start.tabs = QRect(kLeft + kTreeWidth + 8, kTop, 0, 0);
    start.exportButton = start.help = start.about = start.quit = QRect(QPoint(), kButton);
    start.presets = QRect(QPoint(), kPresetsButton);

    auto *layout = new MainPixelLayout(this, start);
    createSplitter(start);
    layout->addWidget(mSplitter, MainPixelLayout::Role::Splitter);
    layout->addWidget(mPresets, MainPixelLayout::Role::Presets);
    layout->addWidget(mExport, MainPixelLayout::Role::Export);
    layout->addWidget(mHelp, MainPixelLayout::Role::Help);
    layout->addWidget(mAbout, MainPixelLayout::Role::About);
    layout->addWidget(mQuit, MainPixelLayout::Role::Quit);
    // A tree the user widened opens as wide, the window growing by as much.
    const int stored = StoredTreeWidth(mProfile);
    mSplitter->SetWantedWidth(stored > 0 ? stored : start.tree.width());
    resize(kMainInitialSize + QSize(std::max(0, mSplitter->WantedWidth() - start.tree.width()), 0));
    // Placed now, not first on showing: the window's controls have their
    // rectangles as soon as it exists.
    layout->activate();
    mSplitter->ApplyWidth();
}

// The label and the tree in one pane, beside the tab control. The tab
// control never gets narrower than at the window's minimum, so the pages
// keep their room.
void CMainDialog::createSplitter(const MainLayout &start)
{
    auto *pane = new QWidget;
    pane->setObjectName(QStringLiteral("treePane"));
    auto *column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    mFolderLabel->setFixedHeight(kLabelHeight);
    mFolderLabel->setBuddy(mFolderTree);
    column->addWidget(mFolderLabel);
    column->addSpacing(start.tree.top() - start.folderLabel.top() - kLabelHeight + 1);
    // The tree sits 1 pixel inside its area.
    auto *inset = new QHBoxLayout;
    inset->setContentsMargins(1, 0, 1, 1);
    inset->addWidget(mFolderTree);
    column->addLayout(inset, 1);
    mFolderTree->setMinimumWidth(0);
    mTabs->setMinimumWidth(kMainMinimumSize.width() - start.tabs.left() - kMainRightMargin);
    mSplitter = new CTreeSplitter(pane, mTabs, splitterHandleWidth(start), kMinimumTreeWidth, mProfile, this);
    mSplitter->setObjectName(QStringLiteral("splitter"));
}

int CMainDialog::StoredTreeWidth(const ProfileStore &profile)
{
    return CTreeSplitter::StoredWidth(profile);
}

// Ctrl+E exports, Ctrl+O chooses a folder, F1 opens the help, wherever the
// focus is in the window.
void CMainDialog::createShortcuts()
{
    auto *exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(exportKey, &QShortcut::activated, this, &CMainDialog::OnExport);
    auto *folderKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(folderKey, &QShortcut::activated, this, [this] {
        const QString folder =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Choose a folder of pictures"),
                                              mCurrentFolder.isEmpty() ? QDir::homePath() : mCurrentFolder);
        if (!folder.isEmpty())
            GoToFolder(folder);
    });
    auto *helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &CMainDialog::OnHelp);
}

CMainDialog::~CMainDialog() = default;

// The folder tree under "Select Folder:"; it fills itself and reports the
// folder the user picks.
void CMainDialog::createTree()
{
    mFolderTree = new CFolderTree(this);
    mFolderTree->setObjectName(QStringLiteral("folderTree"));
}

// Tab 0 "Select Images" and tab 1 "Batch Settings".
void CMainDialog::createPages()
{
    mTabs = new QTabWidget(this);
    mTabs->setObjectName(QStringLiteral("tabs"));
    mSelect = new CSelectPage;
    mSelect->setObjectName(QStringLiteral("selectPage"));
    mSettings = new CSettingsPage;
    mSettings->setObjectName(QStringLiteral("settingsPage"));
    mTabs->addTab(mSelect, QStringLiteral("&Select Images"));
    mTabs->addTab(mSettings, QStringLiteral("Batch Se&ttings"));
    mTabs->setCurrentIndex(kSelectTab);
    SetExportSources(&mSelect->Images(), mSettings);
    mSettings->SetUpright(autoOrient());
}

// The pages never see one another: the selected list's current row shows on
// the Batch Settings page, whose Previous, Next and rotation buttons act on
// the list; either page's View opens the full-screen viewer.
void CMainDialog::connectPages()
{
    connect(mFolderTree, &CFolderTree::folderSelected, this, &CMainDialog::OnFolderSelected);
    connect(this, &CMainDialog::folderChanged, mSelect, &CSelectPage::SetFolder);
    connect(mSelect, &CSelectPage::currentImageChanged, mSettings, &CSettingsPage::ShowImage);
    connect(mSelect, &CSelectPage::switchToSettingsRequested, this,
            [this] { mTabs->setCurrentIndex(kSettingsTab); });
    connect(mSelect, &CSelectPage::viewRequested, this,
            [this](const QString &, int browserIndex) { viewBrowser(browserIndex); });
    connect(mSelect, &CSelectPage::acquireRequested, this, [this] { runAcquire(0, QString()); });
    connect(mSelect, &CSelectPage::folderEntered, this, &CMainDialog::GoToFolder);
    connect(mSettings, &CSettingsPage::previousRequested, mSelect, &CSelectPage::SelectPreviousImage);
    connect(mSettings, &CSettingsPage::nextRequested, mSelect, &CSelectPage::SelectNextImage);
    connect(mSettings, &CSettingsPage::rotationChanged, mSelect, &CSelectPage::SetCurrentRotation);
    connect(mSettings, &CSettingsPage::viewRequested, this, &CMainDialog::viewSelected);
    // The tree fills itself and selects the desktop folder: connected first,
    // the browser opens on it.
    mFolderTree->Populate();
}

// One tooltip for the window: the Export button and the pages' controls,
// whose tips the pages hand over; the Font button's tip follows the caption.
void CMainDialog::createTips()
{
    mTip->setObjectName(QStringLiteral("mainTip"));
    mTip->Create(this);
    mTip->AddTool(mExport, tipMarkup("Export", "Set file format,size and path for saving selected images."));
    for (const auto &[control, markup] : mSelect->MarkupTips())
        mTip->AddTool(control, markup);
    for (const auto &[control, markup] : mSettings->MarkupTips())
        mTip->AddTool(control, markup);
    connect(mSettings, &CSettingsPage::markupTipChanged, mTip.get(), &CMarkupTip::AddTool);
    mTip->ConfigureAsPage();
}

// The Acquire action of the Select Images page, and the volume watcher that
// offers an inserted memory card to it.
void CMainDialog::createAcquisition()
{
    mAcquire = new CAcquireAction(this, mProfile, {}, this);
    connect(mAcquire, &CAcquireAction::saveFolderChosen, this, &CMainDialog::onSaveFolderChosen);
    connect(this, &CMainDialog::acquireRequested, this, &CMainDialog::runAcquire);

    mVolumes = new CVolumeWatcher({}, 0, this);
    connect(mVolumes, &CVolumeWatcher::volumeArrived, this, [this](const QString &mountPoint) {
        mFolderTree->RefreshVolumes(CFolderTree::MountedVolumes());
        OnDeviceChange(VolumeEvent{true, mountPoint});
    });
    connect(mVolumes, &CVolumeWatcher::volumeRemoved, this, [this](const QString &mountPoint) {
        mFolderTree->RefreshVolumes(CFolderTree::MountedVolumes());
        OnDeviceChange(VolumeEvent{false, mountPoint});
    });
    mVolumes->Start();
}

void CMainDialog::runAcquire(int mode, const QString &mountPoint)
{
    mAcquire->SetBrowseFolder(mCurrentFolder);
    mAcquire->Acquire(mode, mountPoint);
}

// The folder that received the pictures becomes the tree's selection, and
// through it the browser's folder.
void CMainDialog::onSaveFolderChosen(const QString &folder)
{
    if (!mFolderTree->SelectPath(folder))
        OnFolderSelected(folder);
}

void CMainDialog::viewBrowser(int browserIndex)
{
    CThumbList *browser = mSelect->Browser();
    if (!browser || browser->Count() == 0)
        return;
    BrowserSequence pictures(*browser);
    if (browserIndex >= 0)
        pictures.SetCurrent(browserIndex);
    CFullScreenView view(pictures, nullptr, this);
    view.exec();
}

void CMainDialog::viewSelected()
{
    if (mSelect->RowCount() == 0)
        return;
    SelectedListSequence pictures(*mSelect);
    CFullScreenView view(pictures, mSettings, this, autoOrient());
    view.exec();
}

void CMainDialog::createButtons()
{
    createPresets();
    mExport = new QPushButton(QStringLiteral("&Export"), this);
    mHelp = new QPushButton(QStringLiteral("&Help"), this);
    mAbout = new QPushButton(QStringLiteral("A&bout"), this);
    mQuit = new QPushButton(QStringLiteral("&Quit"), this);
    mExport->setObjectName(QStringLiteral("exportButton"));
    mHelp->setObjectName(QStringLiteral("helpButton"));
    mAbout->setObjectName(QStringLiteral("aboutButton"));
    mQuit->setObjectName(QStringLiteral("quitButton"));
    for (QPushButton *button : {mExport, mHelp, mAbout, mQuit})
        button->setAutoDefault(false);
    connect(mExport, &QPushButton::clicked, this, &CMainDialog::OnExport);
    connect(mHelp, &QPushButton::clicked, this, &CMainDialog::OnHelp);
    connect(mAbout, &QPushButton::clicked, this, &CMainDialog::OnAbout);
    connect(mQuit, &QPushButton::clicked, this, &CMainDialog::reject);
}

// A preset is the design on the Batch Settings page with the export options
// as stored; loading one puts both back where they came from.
void CMainDialog::createPresets()
{
    mPresets = new QPushButton(QStringLiteral("&Job Presets"), this);
    mPresets->setObjectName(QStringLiteral("presetsButton"));
    mPresets->setAutoDefault(false);
    auto current = [this] {
        JobPreset job;
        job.caption = mSettings->ExportCaption().value_or(CaptionSettings{});
        job.options.Load(mProfile);
        return job;
    };
    auto apply = [this](const JobPreset &job) {
        mSettings->SetCaption(job.caption);
        job.options.Save(mProfile);
        mSettings->SetUpright(job.options.AutoOrient);
    };
    mPresetMenu =
        new CPresetMenu(PresetStore(PresetStore::FolderBeside(mProfile.path())), current, apply, this);
    mPresets->setMenu(mPresetMenu);
}

void CMainDialog::SetExportSources(ExportRowSource *rows, CaptionSource *caption)
{
    mRows = rows;
    mCaption = caption;
}

void CMainDialog::OnFolderSelected(const QString &path)
{
    if (path.isEmpty()) {
        emit folderChanged(QString());
        return;
    }
    QString folder = path;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    mCurrentFolder = folder;
    emit folderChanged(folder);
    mTabs->setCurrentIndex(kSelectTab);
}

void CMainDialog::OnDeviceChange(const VolumeEvent &event)
{
    mTabs->setCurrentIndex(kSelectTab);
    emit acquireRequested(event.arrived ? 1 : 2, event.mountPoint);
}

void CMainDialog::OnExport()
{
    if (mExportDialog)
        return;
    CExportDialog dialog(mProfile, mRows, mCaption, this);
    mExportDialog = &dialog;
    dialog.exec();
    mExportDialog = nullptr;
    mSettings->SetUpright(autoOrient());
    if (mCloseAfterExport)
        done(QDialog::Rejected);
}

// The design views show what the export writes, so they follow its setting;
// the browser and its viewer always show pictures upright.
bool CMainDialog::autoOrient() const
{
    ExportOptions options;
    options.Load(mProfile);
    return options.AutoOrient;
}

QString CMainDialog::HelpPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QStringLiteral("/help/help.htm");
    const QString installed = QDir::cleanPath(dir + QStringLiteral("/../share/zelventa/help/help.htm"));
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}

void CMainDialog::OnHelp()
{
    if (!mOpenUrl(QUrl::fromLocalFile(HelpPath())))
        showHelpWindow();
}

void CMainDialog::showHelpWindow()
{
    if (!mHelpWindow)
        mHelpWindow = new CHelpWindow(HelpPath(), this);
    mHelpWindow->show();
    mHelpWindow->raise();
    mHelpWindow->activateWindow();
}

bool CMainDialog::GoToFolder(const QString &text)
{
    const TypedFolder typed = folderFromUserText(text, QDir::homePath());
    if (!typed.problem.isEmpty()) {
        MessageBox(typed.problem, MB_OK, MB_ICONWARNING);
        return false;
    }
    // A folder the tree does not show (a hidden one) is browsed all the same.
    if (!mFolderTree->SelectPath(typed.folder))
        OnFolderSelected(typed.folder);
    return true;
}

void CMainDialog::OnAbout()
{
    CAboutDialog about(this);
    about.exec();
}

void CMainDialog::reject()
{
    if (mExportDialog && mExportDialog->IsRunning())
        return;
    QDialog::reject();
}

void CMainDialog::done(int result)
{
    if (mExportDialog && mExportDialog->IsRunning()) {
        // The run ends after the current picture; the export dialog then
        // closes and OnExport closes this window.
        mCloseAfterExport = true;
        mExportDialog->reject();
        return;
    }
    mCloseAfterExport = false;
    SaveState();
    QDialog::done(result);
}
