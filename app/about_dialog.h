// app/about_dialog.h
#pragma once

#include <QDialog>

// The About box: the program's picture and its version line on a light
// grey background; OK closes it.
class CAboutDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit CAboutDialog(QWidget *parent = nullptr);

    static QString VersionLine();
};
