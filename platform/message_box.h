// platform/message_box.h
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Buttons and icons of a message box, with the values the program has always used.
enum ZvMessageButtons : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_YESNOALLCANCEL = 0x8, // Yes, No, Yes to All, No to All, Cancel
    MB_DEFBUTTON2 = 0x100,   // added to the buttons: the second button (No) is the default
};
enum ZvMessageIcon : unsigned {
    MB_ICONNONE = 0x0,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40
};
enum ZvMessageAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7, IDYESTOALL = 20, IDNOTOALL = 21 };

// Every message the user sees goes through here: a modal box captioned with
// the application name. Answers IDOK, IDCANCEL, IDYES, IDNO, IDYESTOALL or IDNOTOALL.
int MessageBox(const QString &text, unsigned buttons = MB_OK, unsigned icon = MB_ICONNONE);

// A message too long for a box: the headline, then lines in a scrollable
// list the user can select and copy, OK, and when extraButton is not empty
// a button of that label that runs extra and leaves the window open. A test
// handler sees the headline and the lines joined by "\n", with MB_OK.
void MessageList(const QString &headline, const QStringList &lines, const QString &extraButton = QString(),
                 const std::function<void()> &extra = {});

// Tests replace the box: the handler gets text, buttons and icon and returns the answer.
// An empty handler restores the real box.
using MessageBoxHandler = std::function<int(const QString &, unsigned, unsigned)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// "Zelventa 1.00": the caption of every message box and the application's name.
QString AppName();
