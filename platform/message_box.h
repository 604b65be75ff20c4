// platform/message_box.h
#pragma once

#include <QString>
#include <functional>

// Buttons and icons of a message box, with the values the program has always used.
enum ZvMessageButtons : unsigned { MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4 };
enum ZvMessageIcon : unsigned {
    MB_ICONNONE = 0x0,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40
};
enum ZvMessageAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Every message the user sees goes through here: a modal box captioned with
// the application name. Answers IDOK, IDCANCEL, IDYES or IDNO.
int MessageBox(const QString &text, unsigned buttons = MB_OK, unsigned icon = MB_ICONNONE);

// Tests replace the box: the handler gets text, buttons and icon and returns the answer.
// An empty handler restores the real box.
using MessageBoxHandler = std::function<int(const QString &, unsigned, unsigned)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// "Zelventa 1.00": the caption of every message box and the application's name.
QString AppName();
