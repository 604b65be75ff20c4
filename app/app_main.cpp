// app/app_main.cpp
#include "app/app_main.h"

#include "app/main_dialog.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"

#include <QIcon>
#include <QSocketNotifier>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read by the UI thread: a handler may do
// no more than write a byte.
int sEndPipe[2] = {-1, -1};

void onEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(sEndPipe[1], &byte, 1);
}

// A desktop that ends its session without a session manager, or a terminal
// that closes, sends SIGTERM or SIGHUP: the window then closes as on Quit,
// keeping the design and its layout, instead of the program just ending.
void closeOnEndSignals(CMainDialog &window)
{
    if (::pipe2(sEndPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(sEndPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[16];
        while (::read(sEndPipe[0], bytes, sizeof bytes) > 0) {
        }
        // Saved at once; a running export stops after its current picture
        // and the window closes then. A dialog open over the window is left
        // to its user: forcing its loop to end would answer its question.
        window.done(QDialog::Rejected);
    });
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace

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
    closeOnEndSignals(window);
    window.show();
    window.exec();
    return 0;
}
