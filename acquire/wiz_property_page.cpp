// acquire/wiz_property_page.cpp
#include "acquire/wiz_property_page.h"

CWizPropertyPage::CWizPropertyPage(Position position, QWidget *parent)
    : QWizardPage(parent)
    , mPosition(position)
{
    // The last and the only page end the wizard with Finish.
    setFinalPage(position == kOnly || position == kLast);
}

// Next on the earlier pages passes; Finish asks the page.
bool CWizPropertyPage::validatePage()
{
    if (mPosition == kFirst || mPosition == kMiddle)
        return true;
    return OnWizardFinishCheck();
}
