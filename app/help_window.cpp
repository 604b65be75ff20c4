// app/help_window.cpp
#include "app/help_window.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr QSize kHelpSize(760, 620);

} // namespace

CHelpWindow::CHelpWindow(const QString &page, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , mBrowser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Zelventa Help"));
    mBrowser->setObjectName(QStringLiteral("helpBrowser"));
    mBrowser->setOpenExternalLinks(true);
    // The page's pictures are relative to it; the source URL resolves them.
    if (QFileInfo::exists(page))
        mBrowser->setSource(QUrl::fromLocalFile(page));
    else
        mBrowser->setHtml(QStringLiteral("<p>The help page [%1] is missing: the program was not "
                                         "installed completely.</p>")
                              .arg(page.toHtmlEscaped()));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *column = new QVBoxLayout(this);
    column->addWidget(mBrowser, 1);
    column->addWidget(buttons);
    resize(kHelpSize);
}
