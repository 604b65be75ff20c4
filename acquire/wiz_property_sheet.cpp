// acquire/wiz_property_sheet.cpp
#include "acquire/wiz_property_sheet.h"

#include "acquire/wiz_acquire_dlg.h"
#include "acquire/wiz_camera_dlg.h"

CWizPropertySheet::CWizPropertySheet(ProfileStore &profile, QWidget *parent)
    : QWizard(parent)
    , mAcquire(new CWizAcquireDlg)
    , mCamera(new CWizCameraDlg(mAcquire, profile))
{
    setWindowTitle(QStringLiteral("Acquire photos"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setPage(kPageAcquire, mAcquire);
    setPage(kPageCamera, mCamera);
    setStartId(kPageAcquire);
}

void CWizPropertySheet::ShowCameraPage()
{
    if (currentId() == -1)
        restart();
    if (currentId() == kPageCamera)
        mCamera->Activate();
    else
        next();
}
