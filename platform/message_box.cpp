// platform/message_box.cpp
#include "platform/message_box.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

MessageBoxHandler &handler()
{
    static MessageBoxHandler sHandler;
    return sHandler;
}

QMessageBox::StandardButtons standardButtons(unsigned buttons)
{
    switch (buttons & 0xF) {
    case MB_YESNOALLCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll |
               QMessageBox::Cancel;
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon standardIcon(unsigned icon)
{
    switch (icon) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::YesToAll: return IDYESTOALL;
    case QMessageBox::NoToAll: return IDNOTOALL;
    default: return IDOK;
    }
}

} // namespace

int MessageBox(const QString &text, unsigned buttons, unsigned icon)
{
    if (handler())
        return handler()(text, buttons, icon);
    QMessageBox box(standardIcon(icon), AppName(), text, standardButtons(buttons),
                    QApplication::activeWindow());
    if (buttons & MB_DEFBUTTON2)
        box.setDefaultButton(QMessageBox::No);
    return answerOf(box.exec());
}

void MessageList(const QString &headline, const QStringList &lines, const QString &extraButton,
                 const std::function<void()> &extra)
{
    if (handler()) {
        handler()(lines.isEmpty() ? headline : headline + QLatin1Char('\n') + lines.join(QLatin1Char('\n')),
                  MB_OK, MB_ICONNONE);
        return;
    }
    QDialog window(QApplication::activeWindow());
    window.setWindowTitle(AppName());
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(headline, &window);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    if (!lines.isEmpty()) {
        auto *list = new QPlainTextEdit(lines.join(QLatin1Char('\n')), &window);
        list->setObjectName(QStringLiteral("messageList"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setMinimumSize(480, 160);
        layout->addWidget(list, 1);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &window);
    if (!extraButton.isEmpty() && extra) {
        QPushButton *button = buttons->addButton(extraButton, QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, &window, [&extra] { extra(); });
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
    layout->addWidget(buttons);
    window.exec();
}

void SetMessageBoxHandler(MessageBoxHandler h)
{
    handler() = std::move(h);
}

QString AppName()
{
    return QStringLiteral("Zelventa 1.00");
}
