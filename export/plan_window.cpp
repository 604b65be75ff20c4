// export/plan_window.cpp
#include "export/plan_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>
#include <set>

namespace {

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

CPlanWindow::CPlanWindow(const ExportPlan &plan, QWidget *parent)
    : QDialog(parent)
    , mPlan(plan)
{
    setWindowTitle(QStringLiteral("Check"));
    auto *layout = new QVBoxLayout(this);
    auto *counts = new QLabel(countLine(plan), this);
    counts->setObjectName(QStringLiteral("planCounts"));
    counts->setTextFormat(Qt::PlainText);
    layout->addWidget(counts);
    if (!plan.problem.empty()) {
        auto *problem = new QLabel(qs(plan.problem), this);
        problem->setObjectName(QStringLiteral("planProblem"));
        problem->setTextFormat(Qt::PlainText);
        problem->setStyleSheet(QStringLiteral("color: #b00020"));
        layout->addWidget(problem);
    }
    mTable = new QTableWidget(int(plan.lines.size()), 6, this);
    mTable->setObjectName(QStringLiteral("planTable"));
    mTable->setHorizontalHeaderLabels({QStringLiteral("Source"), QStringLiteral("Output"),
                                       QStringLiteral("Size"), QStringLiteral("Format"),
                                       QStringLiteral("What happens"), QStringLiteral("Colours")});
    mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->verticalHeader()->setVisible(false);
    for (int row = 0; row < int(plan.lines.size()); ++row) {
        const QStringList cells = qs(outcomeLine(plan.lines[std::size_t(row)])).split(QLatin1Char('\t'));
        for (int column = 0; column < cells.size() && column < 6; ++column)
            mTable->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    mTable->resizeColumnsToContents();
    mTable->horizontalHeader()->setStretchLastSection(true);
    mTable->setMinimumSize(640, 320);
    layout->addWidget(mTable, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CPlanWindow::countLine(const ExportPlan &plan)
{
    std::map<OutputAction, int> counts;
    for (const ExportOutcome &line : plan.lines)
        ++counts[line.action];
    QString text = QStringLiteral("%1 pictures").arg(plan.lines.size());
    QStringList parts;
    for (const auto &[action, count] : counts)
        parts << QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(outputActionText(action)));
    return parts.isEmpty() ? text : text + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

void CPlanWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPlanWindow::copySelection() const
{
    std::set<int> rows;
    for (const QModelIndex &index : mTable->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    QStringList lines;
    for (int row : rows)
        lines << qs(outcomeLine(mPlan.lines[std::size_t(row)]));
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}
