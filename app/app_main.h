// app/app_main.h
#pragma once

#include <QApplication>

// The application object: names the application "Zelventa 1.00" and runs
// the main window modally; when the window closes the program ends.
class CAppMain : public QApplication
{
    Q_OBJECT

  public:
    CAppMain(int &argc, char **argv);

    // Runs the main window; the program's exit code.
    int Run();
};
