// tests/acquire/wizard_shots.cpp
// Saves pictures of the acquisition wizard's two pages for looking at:
// wizard_shots <folder>. Not a test; run by hand (under Xvfb or offscreen).
#include "acquire/wiz_acquire_dlg.h"
#include "acquire/wiz_camera_dlg.h"
#include "acquire/wiz_property_sheet.h"
#include "platform/profile_store.h"

#include <QApplication>
#include <QDir>
#include <QRadioButton>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    ProfileStore profile((folder + "/shots.ini").toStdString());
    CWizPropertySheet sheet(profile);
    sheet.CameraPage()->SetVolumeSource([] {
        return std::vector<RemovableVolume>{{"/media/user/EOS_DIGITAL", "sdb1", "EOS_DIGITAL"},
                                            {"/media/user/disk", "sdc1", ""}};
    });
    sheet.CameraPage()->SetFolder(QDir::homePath() + "/Pictures");
    sheet.CameraPage()->SetPrefix("Photo");
    sheet.show();
    app.processEvents();
    sheet.grab().save(folder + "/wizard_page1.png");
    sheet.next();
    app.processEvents();
    sheet.grab().save(folder + "/wizard_page2_card.png");
    sheet.back();
    sheet.AcquirePage()->ScannerRadio()->setChecked(true);
    sheet.next();
    app.processEvents();
    sheet.grab().save(folder + "/wizard_page2_scanner.png");
    return 0;
}
