// platform/message_box.cpp
#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace {

MessageBoxHandler &handler()
{
    static MessageBoxHandler sHandler;
    return sHandler;
}

QMessageBox::StandardButtons buttonsFor(unsigned buttons)
{
    switch (buttons) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconFor(unsigned icon)
{
    switch (icon) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int answerFor(int button)
{
    switch (button) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
    }
}

} // namespace

int MessageBox(const QString &text, unsigned buttons, unsigned icon)
{
    if (handler())
        return handler()(text, buttons, icon);
    QMessageBox box(iconFor(icon), AppName(), text, buttonsFor(buttons), QApplication::activeWindow());
    return answerFor(box.exec());
}

void SetMessageBoxHandler(MessageBoxHandler newHandler)
{
    handler() = std::move(newHandler);
}

QString AppName()
{
    return QStringLiteral("Zelventa 1.00");
}
