// acquire/wiz_acquire_dlg.h
#pragma once

#include "acquire/wiz_property_page.h"

class QRadioButton;

// First page, "Acquire Images": camera or scanner.
class CWizAcquireDlg : public CWizPropertyPage
{
    Q_OBJECT

  public:
    static constexpr int kIdCamera = 1298;
    static constexpr int kIdScanner = 1299;

    explicit CWizAcquireDlg(QWidget *parent = nullptr);

    // 0 camera, 1 scanner, -1 neither selected (counts as the camera).
    int Choice() const;
    void SetChoice(int choice);

    QRadioButton *CameraRadio() const { return mCamera; }
    QRadioButton *ScannerRadio() const { return mScanner; }

  private:
    QRadioButton *mCamera;
    QRadioButton *mScanner;
};
