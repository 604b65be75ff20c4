// tests/acquire/wizard_test.cpp
// The acquisition wizard's rules, its pages driven by clicks, and the
// Acquire action from the wizard to the copied card.
#include "acquire/acquire_action.h"
#include "acquire/wiz_acquire_dlg.h"
#include "acquire/wiz_camera_dlg.h"
#include "acquire/wiz_property_sheet.h"
#include "acquire/wizard_rules.h"
#include "controls/markup_tip.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"
#include "tests/acquire/acquire_test_support.h"
#include "tests/acquire/test_dsm/test_dsm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

struct Wizard : public ::testing::Test
{
    TempTree tree;
    ProfileStore profile{(tree.path() + "/zelventa.ini").toStdString()};
    std::vector<RemovableVolume> volumes;
    MessageRecorder messages;

    CWizCameraDlg::VolumeSource volumeSource()
    {
        return [this] { return volumes; };
    }
};

// Runs body inside the wizard's modal loop; the wizard is closed afterwards
// unless body finished it.
void whileShown(CAcquireAction &action, std::function<void(CWizPropertySheet *)> body)
{
    QObject::connect(
        &action, &CAcquireAction::wizardShown, &action,
        [body](CWizPropertySheet *sheet) {
            QTimer::singleShot(0, sheet, [sheet, body] {
                body(sheet);
                if (sheet->isVisible())
                    sheet->reject();
            });
        },
        Qt::SingleShotConnection);
}

void finish(CWizPropertySheet *sheet)
{
    sheet->button(QWizard::FinishButton)->click();
}

} // namespace

TEST(WizardRules, EnablingFollowsDeviceAndSource)
{
    const CameraPageEnabling scanner = CameraPageEnablingFor(kDeviceScanner, kSourceMedia);
    EXPECT_EQ(scanner, (CameraPageEnabling{false, false, false, true, true, true, true}));
    const CameraPageEnabling card = CameraPageEnablingFor(-1, -1);
    EXPECT_EQ(card, (CameraPageEnabling{true, true, true, false, false, false, false}));
    const CameraPageEnabling camera = CameraPageEnablingFor(kDeviceCamera, kSourceTwain);
    EXPECT_EQ(camera, (CameraPageEnabling{true, true, false, true, true, true, true}));
    EXPECT_TRUE(WizardImportsMedia(-1, -1));
    EXPECT_FALSE(WizardImportsMedia(kDeviceScanner, kSourceMedia));
    EXPECT_FALSE(WizardImportsMedia(kDeviceCamera, kSourceTwain));
}

TEST(WizardRules, ExamplesAndFinishMessages)
{
    EXPECT_EQ(WizardExampleText(0, "Photo"), "Example:Photo0001.JPG,Photo0002.JPG");
    EXPECT_EQ(WizardExampleText(2, "x"), "Example:x0001.TIF,x0002.TIF");
    EXPECT_EQ(WizardFormatType(3), 4);
    EXPECT_EQ(CameraPageFinishError(-1, -1, -1, "/f"), "Please select media type!");
    EXPECT_EQ(CameraPageFinishError(kDeviceCamera, kSourceMedia, 0, ""), "Saved path can not be empty!");
    EXPECT_EQ(CameraPageFinishError(kDeviceScanner, kSourceMedia, -1, "/f"), "");
    EXPECT_EQ(CameraPageFinishError(kDeviceCamera, kSourceTwain, -1, ""), "Saved path can not be empty!");
}

TEST_F(Wizard, CameraPageFollowsTheClicks)
{
    CWizPropertySheet sheet(profile);
    CWizCameraDlg *page = sheet.CameraPage();
    page->SetVolumeSource(volumeSource());
    page->SetPrefix("Photo");
    page->SetFolder(tree.path());
    sheet.show();
    sheet.AcquirePage()->ScannerRadio()->click();
    sheet.next();
    ASSERT_EQ(sheet.currentId(), int(CWizPropertySheet::kPageCamera));
    EXPECT_FALSE(page->Control(CWizCameraDlg::kIdMediaList)->isEnabled());
    EXPECT_FALSE(page->Control(CWizCameraDlg::kIdMedia)->isEnabled());
    EXPECT_TRUE(page->Control(CWizCameraDlg::kIdPrefix)->isEnabled());
    EXPECT_TRUE(static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdDefaultSource))->isChecked());

    auto *format = static_cast<QComboBox *>(page->Control(CWizCameraDlg::kIdFormat));
    format->setCurrentIndex(1);
    auto *prefix = static_cast<QLineEdit *>(page->Control(CWizCameraDlg::kIdPrefix));
    prefix->clear();
    QTest::keyClicks(prefix, "Snap");
    EXPECT_EQ(static_cast<QLabel *>(page->Control(CWizCameraDlg::kIdExample))->text(),
              "Example:Snap0001.BMP,Snap0002.BMP");

    sheet.back();
    sheet.AcquirePage()->CameraRadio()->click();
    sheet.next();
    EXPECT_TRUE(page->Control(CWizCameraDlg::kIdMediaList)->isEnabled()); // no radio yet: the card
    EXPECT_FALSE(page->Control(CWizCameraDlg::kIdPrefix)->isEnabled());
    static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdTwain))->click();
    EXPECT_FALSE(page->Control(CWizCameraDlg::kIdMediaList)->isEnabled());
    EXPECT_TRUE(page->Control(CWizCameraDlg::kIdFormat)->isEnabled());
    static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdMedia))->click();
    EXPECT_TRUE(page->Control(CWizCameraDlg::kIdMediaList)->isEnabled());
    EXPECT_FALSE(page->Control(CWizCameraDlg::kIdPromptSource)->isEnabled());
}

TEST_F(Wizard, FinishChecksMediaAndFolderAndStoresThePromptChoice)
{
    CWizPropertySheet sheet(profile);
    CWizCameraDlg *page = sheet.CameraPage();
    page->SetVolumeSource(volumeSource());
    sheet.show();
    sheet.next();
    EXPECT_EQ(page->MediaList()->count(), 0);
    finish(&sheet);
    EXPECT_EQ(messages.texts(), QStringList({"Please select media type!"}));
    EXPECT_TRUE(sheet.isVisible());

    static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdTwain))->click();
    finish(&sheet);
    EXPECT_EQ(messages.texts().last(), "Saved path can not be empty!");
    EXPECT_TRUE(sheet.isVisible());

    QTest::keyClicks(static_cast<QLineEdit *>(page->Control(CWizCameraDlg::kIdFolder)), tree.path());
    static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdPromptSource))->click();
    finish(&sheet);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), int(QDialog::Accepted));
    EXPECT_EQ(page->Folder(), tree.path());
    EXPECT_EQ(profile.GetProfileString("TWAIN", "TwainSource"), "1");
    EXPECT_EQ(messages.boxes.size(), 2u);
}

TEST_F(Wizard, ADriveThatIsNotReadyIsDeselected)
{
    volumes = {{tree.path() + "/gone", "sdb1", "CARD"}};
    CWizPropertySheet sheet(profile);
    sheet.CameraPage()->SetVolumeSource(volumeSource());
    sheet.show();
    sheet.next();
    QComboBox *list = sheet.CameraPage()->MediaList();
    EXPECT_TRUE(sheet.CameraPage()->Tip()->ToolText(list).startsWith(
        "<b><ct=0x0000FF><al_c>Removable Media</b><br><ct=0x00AA00><hr=100%></ct><br>Acquire Photos"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemText(0), "CARD (" + tree.path() + "/gone)");
    emit list->activated(0);
    EXPECT_EQ(messages.texts(), QStringList({"Drive not ready!"}));
    EXPECT_EQ(list->currentIndex(), -1);
}

TEST_F(Wizard, AnArrivingCardOpensTheCameraPageWithThatCardAndIsCopied)
{
    const QString card = tree.folder("card");
    tree.file("card/DCIM/100/IMG_1.JPG", "one");
    volumes = {{tree.folder("other"), "sdc1", "OTHER"}, {card, "sdb1", "CARD"}};
    const QString target = tree.path() + "/new/pictures";
    CAcquireAction action(nullptr, profile);
    action.SetVolumeSource(volumeSource());
    action.SetBrowseFolder(tree.path());
    action.SetProgressFactory(
        [](QWidget *, const QString &) { return std::make_unique<ScriptedProgress>(); });
    QStringList chosen;
    QObject::connect(&action, &CAcquireAction::saveFolderChosen, [&](const QString &f) { chosen << f; });
    messages.answers = {IDYES};
    whileShown(action, [&](CWizPropertySheet *sheet) {
        CWizCameraDlg *page = sheet->CameraPage();
        EXPECT_EQ(sheet->currentId(), int(CWizPropertySheet::kPageCamera));
        EXPECT_TRUE(sheet->button(QWizard::BackButton)->isEnabled());
        EXPECT_TRUE(static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdMedia))->isChecked());
        EXPECT_EQ(page->MediaList()->currentIndex(), 1);
        EXPECT_EQ(static_cast<QLineEdit *>(page->Control(CWizCameraDlg::kIdFolder))->text(), tree.path());
        auto *folder = static_cast<QLineEdit *>(page->Control(CWizCameraDlg::kIdFolder));
        folder->clear();
        QTest::keyClicks(folder, target);
        finish(sheet);
    });
    EXPECT_EQ(action.Acquire(CAcquireAction::kVolumeArrived, card), target);
    EXPECT_EQ(chosen, QStringList({target}));
    EXPECT_EQ(entriesOf(target), QStringList({"IMG_1.JPG"}));
    EXPECT_EQ(messages.texts(),
              QStringList({"Folder not exists,create or not?", "1 files saved to [" + target + "]!"}));
    EXPECT_EQ(action.Wizard(), nullptr);
    EXPECT_EQ(action.Settings().saveFolder, target);
}

TEST_F(Wizard, DecliningANewFolderFailsAndKeepsTheDefault)
{
    CAcquireAction action(nullptr, profile);
    action.SetVolumeSource(volumeSource());
    action.SetBrowseFolder(tree.path());
    messages.answers = {IDNO};
    whileShown(action, [&](CWizPropertySheet *sheet) {
        sheet->next();
        CWizCameraDlg *page = sheet->CameraPage();
        static_cast<QRadioButton *>(page->Control(CWizCameraDlg::kIdTwain))->click();
        auto *folder = static_cast<QLineEdit *>(page->Control(CWizCameraDlg::kIdFolder));
        folder->clear();
        QTest::keyClicks(folder, tree.path() + "/not-yet");
        finish(sheet);
    });
    EXPECT_EQ(action.Acquire(), "");
    EXPECT_EQ(messages.texts(),
              QStringList({"Folder not exists,create or not?", "Failure to acquire image file!"}));
    EXPECT_EQ(action.Settings().saveFolder, tree.path());
}

TEST_F(Wizard, WithoutAManagerTwainSaysSo)
{
    QWidget window;
    CAcquireAction action(&window, profile, {"/nonexistent/libtwaindsm.so.2"});
    action.SetVolumeSource(volumeSource());
    action.SetBrowseFolder(tree.path());
    whileShown(action, [&](CWizPropertySheet *sheet) {
        sheet->AcquirePage()->ScannerRadio()->click();
        sheet->next();
        finish(sheet);
    });
    action.Acquire();
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "Error loading TWAIN manager.");
    EXPECT_EQ(messages.boxes[0].icon, unsigned(MB_ICONWARNING));
    EXPECT_EQ(action.Settings().prefix, "Photo");
}

TEST_F(Wizard, VolumesComingAndGoingRetargetTheOpenWizard)
{
    const QString card = tree.folder("card");
    CAcquireAction action(nullptr, profile);
    action.SetVolumeSource(volumeSource());
    whileShown(action, [&](CWizPropertySheet *sheet) {
        EXPECT_EQ(action.Acquire(CAcquireAction::kVolumeRemoved, card), ""); // first page: nothing
        EXPECT_EQ(sheet->currentId(), int(CWizPropertySheet::kPageAcquire));
        sheet->AcquirePage()->ScannerRadio()->click();
        volumes = {{card, "sdb1", "CARD"}};
        EXPECT_EQ(action.Acquire(CAcquireAction::kVolumeArrived, card), "");
        EXPECT_EQ(sheet->currentId(), int(CWizPropertySheet::kPageCamera));
        EXPECT_EQ(sheet->AcquirePage()->Choice(), int(kDeviceCamera));
        QComboBox *list = sheet->CameraPage()->MediaList();
        EXPECT_EQ(list->count(), 1);
        EXPECT_TRUE(list->isEnabled());
        volumes.clear();
        action.Acquire(CAcquireAction::kVolumeRemoved, card);
        EXPECT_EQ(list->count(), 0);
    });
    EXPECT_EQ(action.Acquire(), "");
}

// A manager that knows no scanner or camera: the user is told so and how to
// connect one, instead of the wizard closing without a word.
TEST_F(Wizard, WithoutAScannerOrCameraTheUserIsToldHowToConnectOne)
{
    void *manager = ::dlopen(ZV_TEST_DSM, RTLD_NOW);
    ASSERT_NE(manager, nullptr);
    ZvTestScript script;
    script.sources = 0;
    reinterpret_cast<void (*)(const ZvTestScript *)>(::dlsym(manager, "zvTestDsmScript"))(&script);
    {
        QWidget window;
        CAcquireAction action(&window, profile, {ZV_TEST_DSM});
        action.SetVolumeSource(volumeSource());
        action.SetBrowseFolder(tree.path());
        whileShown(action, [&](CWizPropertySheet *sheet) {
            sheet->AcquirePage()->ScannerRadio()->click();
            sheet->next();
            finish(sheet);
        });
        EXPECT_EQ(action.Acquire(), "");
    }
    ::dlclose(manager);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, CAcquireAction::kNoDeviceText);
    EXPECT_TRUE(messages.boxes[0].text.startsWith("No scanner or camera was found."));
    EXPECT_TRUE(messages.boxes[0].text.contains("USB"));
}
