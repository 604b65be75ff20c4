// export/plan_window.h
#pragma once

#include "export/export_plan.h"

#include <QDialog>

class QTableWidget;

// "Check": the list of what a run would do, one row per picture (source,
// output name, size, format, what happens), with a line that counts them
// and the problem that would stop the run, if any. Read-only; the rows can
// be selected and copied (Ctrl+C copies them as tab-separated lines).
// UI thread only.
class CPlanWindow : public QDialog
{
    Q_OBJECT

  public:
    CPlanWindow(const ExportPlan &plan, QWidget *parent);

    // "12 pictures: 10 new, 1 replace original, 1 unreadable".
    static QString countLine(const ExportPlan &plan);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void copySelection() const;

    QTableWidget *mTable = nullptr;
    ExportPlan mPlan;
};
