// export/export_progress.cpp
#include "export/export_progress.h"

#include "export/progress_dialog.h"
#include "platform/message_box.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <QWidget>

ExportProgress::ExportProgress(QWidget *owner, OptionsUpdate update)
    : mOwner(owner)
    , mUpdate(std::move(update))
{
}

ExportProgress::~ExportProgress() = default;

void ExportProgress::setRange(int count)
{
    mProgress = std::make_unique<CProgressDialog>(mOwner, QStringLiteral("Export Progress"));
    mProgress->GoModal();
    mProgress->SetPos(0);
    mProgress->SetRange(0, count, 1);
    if (QWidget *window = mProgress->window())
        window->repaint();
    mProgress->SetPos(0);
    mProgress->SetText(QStringLiteral("Export image file:"));
    mProgress->PumpMessages(true);
}

void ExportProgress::setText(const std::string &text)
{
    if (mProgress)
        mProgress->SetText(QString::fromStdString(text));
}

void ExportProgress::step()
{
    if (mProgress)
        mProgress->StepIt();
}

bool ExportProgress::isCancelled()
{
    if (mProgress)
        mProgress->PumpMessages(true);
    return mCancelRequested || (mProgress && mProgress->IsCancelled());
}

namespace {

QString nameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

OverwriteAnswer answerOf(int answer)
{
    switch (answer) {
    case IDYES: return OverwriteAnswer::Yes;
    case IDNO: return OverwriteAnswer::No;
    case IDYESTOALL: return OverwriteAnswer::YesToAll;
    case IDNOTOALL: return OverwriteAnswer::NoToAll;
    default: return OverwriteAnswer::Cancel;
    }
}

} // namespace

OverwriteAnswer ExportProgress::askOverwrite(const std::string &path)
{
    return answerOf(MessageBox(QStringLiteral("File already exists,overwrite?\n[%1]").arg(nameOf(path)),
                               MB_YESNOALLCANCEL, MB_ICONQUESTION));
}

// Its own words and No as the default: Enter must not cost a photograph.
OverwriteAnswer ExportProgress::askReplaceOriginal(const std::string &path)
{
    return answerOf(MessageBox(QStringLiteral("Saving this picture replaces the original photograph [%1].\n"
                                              "Replace the original photograph?")
                                   .arg(nameOf(path)),
                               MB_YESNOALLCANCEL | MB_DEFBUTTON2, MB_ICONWARNING));
}

OverwriteAnswer ExportProgress::askSaveDamaged(const std::string &name, const std::string &why)
{
    return answerOf(MessageBox(QStringLiteral("The picture [%1] could be read only in part: %2.\n"
                                              "Save what could be read?")
                                   .arg(QString::fromStdString(name), QString::fromStdString(why)),
                               MB_YESNOALLCANCEL | MB_DEFBUTTON2, MB_ICONWARNING));
}

void ExportProgress::showMessage(const std::string &text)
{
    mProgress.reset(); // the main window is enabled again before the summary
    MessageBox(QString::fromStdString(text));
}

void ExportProgress::showSummary(const std::string &text, const std::string &folder)
{
    mProgress.reset();
    QStringList lines = QString::fromStdString(text).split(QLatin1Char('\n'));
    const QString headline = lines.takeFirst();
    const QString where = QString::fromStdString(folder);
    MessageList(headline, lines, QStringLiteral("Open folder"), [where] {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(where)))
            MessageBox(QStringLiteral("No file manager could be started to show the folder [%1].\n"
                                      "The pictures are in that folder.")
                           .arg(where),
                       MB_OK, MB_ICONINFORMATION);
    });
}

void ExportProgress::updateOptions(ExportOptions &options)
{
    if (mUpdate)
        mUpdate(options);
}

bool ExportProgress::idle()
{
    if (mProgress)
        mProgress->PumpMessages(true);
    return mCancelRequested || (mProgress && mProgress->IsCancelled());
}
