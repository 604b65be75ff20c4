// acquire/wiz_property_sheet.h
#pragma once

#include <QWizard>

class CWizAcquireDlg;
class CWizCameraDlg;
class ProfileStore;

// The wizard "Acquire photos": the device page, then the camera page.
class CWizPropertySheet : public QWizard
{
    Q_OBJECT

  public:
    enum PageId { kPageAcquire = 0, kPageCamera = 1 };

    CWizPropertySheet(ProfileStore &profile, QWidget *parent = nullptr);

    CWizAcquireDlg *AcquirePage() const { return mAcquire; }
    CWizCameraDlg *CameraPage() const { return mCamera; }

    // Turns to the camera page (through the first, so Back leads there), or
    // freshens it when it is already showing.
    void ShowCameraPage();

  private:
    CWizAcquireDlg *mAcquire;
    CWizCameraDlg *mCamera;
};
