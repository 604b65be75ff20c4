// app/help_window.h
#pragma once

#include <QDialog>

class QTextBrowser;

// The help page shown inside the program, for desktops that have no web
// browser for it: help/help.htm with its pictures, links between its own
// pages followed in place, links to the web handed to the desktop. A
// non-modal window the main window keeps and shows again. UI thread only.
class CHelpWindow : public QDialog
{
    Q_OBJECT

  public:
    // page: the help page's file path.
    explicit CHelpWindow(const QString &page, QWidget *parent = nullptr);

    QTextBrowser *Browser() const { return mBrowser; }

  private:
    QTextBrowser *mBrowser;
};
