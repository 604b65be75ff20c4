// app/app_main.cpp
#include "app/app_main.h"

#include "app/main_dialog.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"

#include <QIcon>

CAppMain::CAppMain(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("zelventa"));
    setDesktopFileName(QStringLiteral("zelventa"));
    setWindowIcon(QIcon(QStringLiteral(":/zelventa/zelventa-128.png")));
}

int CAppMain::Run()
{
    ProfileStore profile;
    CMainDialog window(profile);
    window.show();
    window.exec();
    return 0;
}
