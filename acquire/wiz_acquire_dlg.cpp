// acquire/wiz_acquire_dlg.cpp
#include "acquire/wiz_acquire_dlg.h"

#include "acquire/wizard_rules.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

CWizAcquireDlg::CWizAcquireDlg(QWidget *parent)
    : CWizPropertyPage(kFirst, parent)
    , mCamera(new QRadioButton(QStringLiteral("Acquire from Digital Camera")))
    , mScanner(new QRadioButton(QStringLiteral("Acquire from Scanner/Twain")))
{
    setTitle(QStringLiteral("Acquire Images"));
    auto *description = new QGroupBox(QStringLiteral("Description"));
    auto *text = new QLabel(QStringLiteral(
        "Make sure your Digital Camera or Scanner is connected to your computer and turned on."));
    text->setWordWrap(true);
    (new QVBoxLayout(description))->addWidget(text);

    auto *from = new QGroupBox(QStringLiteral("Get photos from"));
    auto *fromLayout = new QVBoxLayout(from);
    fromLayout->addWidget(mCamera);
    fromLayout->addWidget(mScanner);
    auto *group = new QButtonGroup(this);
    group->addButton(mCamera, kDeviceCamera);
    group->addButton(mScanner, kDeviceScanner);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(description);
    layout->addWidget(from);
    layout->addStretch();
}

int CWizAcquireDlg::Choice() const
{
    if (mCamera->isChecked())
        return kDeviceCamera;
    return mScanner->isChecked() ? kDeviceScanner : -1;
}

void CWizAcquireDlg::SetChoice(int choice)
{
    (choice == kDeviceScanner ? mScanner : mCamera)->setChecked(true);
}
