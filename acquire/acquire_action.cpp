// acquire/acquire_action.cpp
#include "acquire/acquire_action.h"

#include "acquire/acquire_twain.h"
#include "acquire/copy_progress.h"
#include "acquire/media_import.h"
#include "acquire/wiz_acquire_dlg.h"
#include "acquire/wiz_property_sheet.h"
#include "acquire/wizard_rules.h"
#include "platform/message_box.h"

#include <QDir>
#include <QStandardPaths>

CAcquireAction::CAcquireAction(QWidget *window, ProfileStore &profile, QStringList managerLibraries,
                               QObject *parent)
    : QObject(parent)
    , mWindow(window)
    , mProfile(profile)
    , mProgressFactory([](QWidget *owner, const QString &title) {
        return std::unique_ptr<ImportProgress>(new CopyProgress(owner, title));
    })
{
    if (managerLibraries.isEmpty())
        managerLibraries = CTwainConnection::DefaultManagerLibraries();
    mTwain = std::make_unique<CAcquireTwain>(
        mSettings, [this] { return defaultFolder(); },
        [this](const QString &path) { emit pictureSaved(path); }, managerLibraries);
}

CAcquireAction::~CAcquireAction() = default;

QString CAcquireAction::defaultFolder() const
{
    if (!mBrowseFolder.isEmpty())
        return mBrowseFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString CAcquireAction::Acquire(int mode, const QString &mountPoint)
{
    if (mode == kVolumeRemoved) {
        if (!mWizard || mWizard->currentId() == CWizPropertySheet::kPageAcquire)
            return {};
        mode = kVolumeArrived;
    }
    if (mWizard) {
        mWizard->AcquirePage()->SetChoice(kDeviceCamera);
        mWizard->CameraPage()->SetStartMode(mode, mountPoint);
        mWizard->ShowCameraPage();
        return {};
    }
    prepareWizard(mode, mountPoint);
    emit wizardShown(mWizard);
    QString received;
    if (mWizard->exec() == QDialog::Accepted)
        received = finish();
    delete mWizard.data();
    return received;
}

void CAcquireAction::prepareWizard(int mode, const QString &mountPoint)
{
    mWizard = new CWizPropertySheet(mProfile, mWindow);
    CWizCameraDlg *camera = mWizard->CameraPage();
    camera->SetFolder(mSettings.saveFolder.isEmpty() ? defaultFolder() : mSettings.saveFolder);
    camera->SetPrefix(mSettings.prefix.isEmpty() ? QStringLiteral("Photo") : mSettings.prefix);
    camera->SetFormat(mSettings.format);
    if (mVolumes)
        camera->SetVolumeSource(mVolumes);
    if (mode == kVolumeArrived) {
        mWizard->AcquirePage()->SetChoice(kDeviceCamera);
        camera->SetStartMode(mode, mountPoint);
        mWizard->ShowCameraPage();
    }
}

QString CAcquireAction::finish()
{
    const CWizCameraDlg *camera = mWizard->CameraPage();
    mSettings.saveFolder = camera->Folder().isEmpty() ? defaultFolder() : camera->Folder();
    if (!ensureFolder(mSettings.saveFolder))
        return {};
    emit saveFolderChosen(mSettings.saveFolder);
    if (WizardImportsMedia(mWizard->AcquirePage()->Choice(), camera->SourceChoice()))
        return importMedia(camera->SelectedMediaRoot());
    mSettings.prefix = camera->Prefix();
    mSettings.format = camera->Format();
    return startTwain();
}

// A folder that does not exist is created when the user agrees.
bool CAcquireAction::ensureFolder(QString &folder)
{
    if (QDir(folder).exists())
        return true;
    if (MessageBox(QStringLiteral("Folder not exists,create or not?"), MB_YESNO, MB_ICONQUESTION) == IDYES &&
        QDir().mkpath(folder))
        return true;
    folder = defaultFolder();
    MessageBox(QStringLiteral("Failure to acquire image file!"));
    return false;
}

QString CAcquireAction::importMedia(const QString &root)
{
    std::unique_ptr<ImportProgress> progress = mProgressFactory(mWindow, QStringLiteral("Copying Progress"));
    CMediaImport import(*progress, mSettings.saveFolder);
    import.Run(root);
    return mSettings.saveFolder;
}

const QString CAcquireAction::kNoDeviceText = QStringLiteral(
    "No scanner or camera was found.\n\n"
    "Connect the scanner or camera with its USB cable and switch it on, then choose Acquire again. "
    "A camera that does not show up as a scanner can be read as removable media: put its memory "
    "card into a card reader, or set the camera to its storage (USB mass storage) mode, and choose "
    "the removable media in this wizard. A network scanner needs its SANE backend, set up in "
    "/etc/sane.d/; \"scanimage -L\" lists the scanners the system can see.");

QString CAcquireAction::startTwain()
{
    if (defaultFolder().isEmpty()) {
        MessageBox(
            QStringLiteral(
                "To acquire image,please click \"Browse Image\" button in toolbar and select a folder."),
            MB_OK, MB_ICONINFORMATION);
        return {};
    }
    if (!mTwain->OpenManager(mWindow) || !mTwain->ManagerLoaded()) {
        MessageBox(QStringLiteral("Error loading TWAIN manager."), MB_OK, MB_ICONWARNING);
        return {};
    }
    if (mTwain->IsSourceOpen())
        mTwain->CloseDataSource(); // a source left open by the last acquisition
    const bool prompt = mWizard->CameraPage()->PromptChoice() == 1;
    const bool selected = prompt ? mTwain->ChooseSource() : mTwain->UseDefaultSource();
    if (selected) {
        mTwain->StartAcquisition(-1);
        return mSettings.saveFolder;
    }
    // No source at all is not the user's choice: say so, and what helps.
    if (mTwain->Sources().empty())
        MessageBox(kNoDeviceText, MB_OK, MB_ICONINFORMATION);
    return {};
}
