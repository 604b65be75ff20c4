// acquire/wiz_camera_dlg.cpp
#include "acquire/wiz_camera_dlg.h"

#include "acquire/wiz_acquire_dlg.h"
#include "acquire/wizard_rules.h"
#include "controls/markup_tip.h"
#include "controls/tip_markup.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

QString mediaEntry(const RemovableVolume &volume)
{
    return volume.label.isEmpty() ? volume.mountPoint : volume.label + " (" + volume.mountPoint + ")";
}

} // namespace

CWizCameraDlg::CWizCameraDlg(CWizAcquireDlg *first, ProfileStore &profile, QWidget *parent)
    : CWizPropertyPage(kLast, parent)
    , mFirst(first)
    , mProfile(profile)
    , mVolumes([] { return VolumeTable().RemovableVolumes(); })
{
    setTitle(QStringLiteral("Acquire Photos"));
    buildControls();
    mTip = std::make_unique<CMarkupTip>();
    mTip->Create(this);
    mTip->AddTool(
        mMediaList,
        tipMarkup("Removable Media", "Acquire Photos from Removable Media(Memory Card) for digital camera."));
    mTip->ConfigureAsPage();
}

CWizCameraDlg::~CWizCameraDlg() = default;

void CWizCameraDlg::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildSourceGroup());
    layout->addWidget(buildTwainGroup());
    layout->addWidget(buildSaveGroup());
    layout->addStretch();
    connect(mMediaList, &QComboBox::activated, this, &CWizCameraDlg::onMediaActivated);
    connect(mSelectFolder, &QPushButton::clicked, this, &CWizCameraDlg::onSelectFolder);
    connect(mFolderEdit, &QLineEdit::textEdited, this, [this](const QString &text) { mFolder2 = text; });
    connect(mPrefixEdit, &QLineEdit::textChanged, this, &CWizCameraDlg::updateExample);
    connect(mFormatList, &QComboBox::currentIndexChanged, this, &CWizCameraDlg::updateExample);
}

QWidget *CWizCameraDlg::buildSourceGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Select where to get photos from"));
    mTwain = new QRadioButton(QStringLiteral("Acquire Direct from Camera(via TWAIN)"));
    mMedia = new QRadioButton(QStringLiteral("Acquire Photos from Removable Media(Memory Card)"));
    mMediaList = new QComboBox;
    auto *buttons = new QButtonGroup(this);
    buttons->addButton(mTwain, kSourceTwain);
    buttons->addButton(mMedia, kSourceMedia);
    connect(buttons, &QButtonGroup::idClicked, this, &CWizCameraDlg::onSourceClicked);
    auto *grid = new QGridLayout(group);
    grid->addWidget(mTwain, 0, 0, 1, 2);
    grid->addWidget(mMedia, 1, 0, 1, 2);
    mMediaLabel = new QLabel(QStringLiteral("Select Media:"));
    grid->addWidget(mMediaLabel, 2, 0);
    grid->addWidget(mMediaList, 2, 1);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget *CWizCameraDlg::buildTwainGroup()
{
    auto *group = new QGroupBox(QStringLiteral("TWAIN Source"));
    mDefaultSource = new QRadioButton(QStringLiteral("Use Default TWAIN Source"));
    mPromptSource = new QRadioButton(QStringLiteral("Prompt for TWAIN Source"));
    auto *layout = new QHBoxLayout(group);
    layout->addWidget(mDefaultSource);
    layout->addWidget(mPromptSource);
    layout->addStretch();
    return group;
}

QWidget *CWizCameraDlg::buildSaveGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Save Option"));
    mFolderEdit = new QLineEdit;
    mSelectFolder = new QPushButton(QStringLiteral("Select Folder"));
    mPrefixEdit = new QLineEdit;
    mExample = new QLabel(QStringLiteral("Example:Photo0001.JPG,Photo0002.JPG"));
    mFormatList = new QComboBox;
    mFormatList->addItems({QStringLiteral("JPEG(.JPG)"), QStringLiteral("Windows Bitmap(.BMP)"),
                           QStringLiteral("TIFF(Tagged Image File Format)"),
                           QStringLiteral("Portable Network Graphics(.PNG)")});
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Save To Folder:")), 0, 0);
    grid->addWidget(mFolderEdit, 0, 1);
    grid->addWidget(mSelectFolder, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Saved File Prifix:")), 1, 0);
    grid->addWidget(mPrefixEdit, 1, 1);
    grid->addWidget(mExample, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Save Format:")), 3, 0);
    grid->addWidget(mFormatList, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

void CWizCameraDlg::SetFolder(const QString &folder)
{
    mFolder = mFolder2 = folder;
}

void CWizCameraDlg::SetPrefix(const QString &prefix)
{
    mPrefix = prefix;
}

void CWizCameraDlg::SetFormat(int format)
{
    mFormat = format;
}

void CWizCameraDlg::SetStartMode(int mode, const QString &mountPoint)
{
    mStartMode = mode;
    mDriveMask = mountPoint;
}

QString CWizCameraDlg::Prefix() const
{
    return mPrefixEdit->text();
}

int CWizCameraDlg::Format() const
{
    return mFormatList->currentIndex();
}

QString CWizCameraDlg::SelectedMediaRoot() const
{
    return mChosenMedia >= 0 && mChosenMedia < int(mRoots.size()) ? mRoots[std::size_t(mChosenMedia)]
                                                                  : QString();
}

QWidget *CWizCameraDlg::Control(int id) const
{
    switch (id) {
    case kIdTwain: return mTwain;
    case kIdMedia: return mMedia;
    case kIdMediaList: return mMediaList;
    case kIdFolder: return mFolderEdit;
    case kIdSelectFolder: return mSelectFolder;
    case kIdPrefix: return mPrefixEdit;
    case kIdFormat: return mFormatList;
    case kIdExample: return mExample;
    case kIdDefaultSource: return mDefaultSource;
    case kIdPromptSource: return mPromptSource;
    default: return nullptr;
    }
}

void CWizCameraDlg::initializePage()
{
    initializeOnce();
    Activate();
}

// The controls take the values given before the run, and the prompt
// choice comes from the profile.
void CWizCameraDlg::initializeOnce()
{
    if (mInitialized)
        return;
    mInitialized = true;
    mFormatList->setCurrentIndex(mFormat >= 0 && mFormat < 4 ? mFormat : 0);
    mPrefixEdit->setText(mPrefix);
    mFolderEdit->setText(mFolder);
    updateExample();
    mPrompt = profileAtoi(mProfile.GetProfileString("TWAIN", "TwainSource")) == 1 ? 1 : 0;
    (mPrompt == 1 ? mPromptSource : mDefaultSource)->setChecked(true);
}

void CWizCameraDlg::Activate()
{
    initializeOnce();
    if (mStartMode == 1) {
        mMedia->setChecked(true);
        mSource = kSourceMedia;
        mStartMode = 0;
    }
    if (mFirst->Choice() != kDeviceScanner)
        refillMediaList();
    applyEnabling();
}

void CWizCameraDlg::applyEnabling()
{
    const CameraPageEnabling on = CameraPageEnablingFor(mFirst->Choice(), mSource);
    mTwain->setEnabled(on.twainRadio);
    mMedia->setEnabled(on.mediaRadio);
    mMediaList->setEnabled(on.mediaList);
    mMediaLabel->setEnabled(on.mediaList);
    mPrefixEdit->setEnabled(on.prefix);
    mFormatList->setEnabled(on.format);
    mDefaultSource->setEnabled(on.defaultSource);
    mPromptSource->setEnabled(on.promptSource);
}

// One entry per removable USB volume; the one that just arrived is chosen.
void CWizCameraDlg::refillMediaList()
{
    mMediaList->clear();
    mRoots.clear();
    int selected = -1;
    for (const RemovableVolume &volume : mVolumes()) {
        if (volume.mountPoint == mDriveMask)
            selected = int(mRoots.size());
        mMediaList->addItem(mediaEntry(volume));
        mRoots.push_back(volume.mountPoint);
    }
    if (selected < 0 && !mRoots.empty())
        selected = 0;
    mMediaList->setCurrentIndex(selected);
    mMediaIndex = selected;
}

void CWizCameraDlg::onMediaActivated(int index)
{
    mMediaIndex = index;
    std::uint64_t freeBytes = 0;
    if (index < 0 || index >= int(mRoots.size()) || !VolumeFreeSpace(mRoots[std::size_t(index)], freeBytes)) {
        MessageBox(QStringLiteral("Drive not ready!"), MB_OK, MB_ICONINFORMATION);
        mMediaList->setCurrentIndex(-1);
        mMediaIndex = -1;
    }
}

void CWizCameraDlg::onSourceClicked(int source)
{
    mSource = source;
    applyEnabling();
}

void CWizCameraDlg::onSelectFolder()
{
    QString start = mFolderEdit->text();
    if (start.isEmpty())
        start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select folder for images."), start);
    if (chosen.isEmpty())
        return;
    mFolder = mFolder2 = chosen;
    mFolderEdit->setText(chosen);
}

void CWizCameraDlg::updateExample()
{
    mExample->setText(WizardExampleText(mFormatList->currentIndex(), mPrefixEdit->text()));
}

bool CWizCameraDlg::OnWizardFinishCheck()
{
    mFolder = mFolderEdit->text();
    mFolder2 = mFolder;
    mPrompt = mPromptSource->isChecked() ? 1 : 0;
    const int media = mMediaList->currentIndex() >= 0 ? mMediaIndex : -1;
    const QString error = CameraPageFinishError(mFirst->Choice(), mSource, media, mFolder);
    if (!error.isEmpty()) {
        MessageBox(error, MB_OK, MB_ICONINFORMATION);
        return false;
    }
    mChosenMedia = media;
    mProfile.WriteProfileString("TWAIN", "TwainSource", mPrompt == 1 ? "1" : "0");
    return true;
}
