// acquire/wiz_property_page.h
#pragma once

#include <QWizardPage>

// A wizard page that knows its place in the sheet: 0 only page, 1 first,
// 2 middle, 3 last. Finish goes ahead only when the page's own check agrees.
class CWizPropertyPage : public QWizardPage
{
    Q_OBJECT

  public:
    enum Position { kOnly = 0, kFirst = 1, kMiddle = 2, kLast = 3 };

    explicit CWizPropertyPage(Position position, QWidget *parent = nullptr);

    Position PagePosition() const { return mPosition; }
    static const char *RunTimeClassName() { return "CWizardPage"; }

    bool isComplete() const override { return true; }
    bool validatePage() override;

  protected:
    // The page's check before Finish; false keeps the wizard open.
    virtual bool OnWizardFinishCheck() { return true; }

  private:
    Position mPosition;
};
