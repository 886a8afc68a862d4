#include "Platform/Linux/QuitOnSignal.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zorbel::platform {

namespace {
int g_pipe[2] = {-1, -1};
// Wakes the watchdog: the same signals, read by a thread of its own.
int g_watchdog[2] = {-1, -1};

// How long the orderly quit may take before the watchdog ends the process.
constexpr int kWatchdogMilliseconds = 800;

void onSignal(int)
{
    // Only async-signal-safe work here; the event loop does the rest. The
    // interrupted code may be about to read errno.
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(g_pipe[1], &byte, 1);
    [[maybe_unused]] auto woken = ::write(g_watchdog[1], &byte, 1);
    errno = savedErrno;
}

// The main thread may be where no event loop turns: inside a blocking call,
// or a dialog of another toolkit running its own loop. A session that logs
// out must not wait on us, so the process ends anyway shortly after the
// signal, and at once on a second one.
void watch()
{
    char byte = 0;
    while (::read(g_watchdog[0], &byte, 1) < 0 && errno == EINTR) {
    }
    pollfd fd{g_watchdog[0], POLLIN, 0};
    while (::poll(&fd, 1, kWatchdogMilliseconds) < 0 && errno == EINTR) {
    }
    static const char message[] = "zorbel: did not end in time after a termination signal; ending now\n";
    [[maybe_unused]] auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(0);
}
}  // namespace

void quitApplication()
{
    // Every window is closed first, as a quit from the tray does, so each
    // keeps what it stores on closing (the settings window its frame). None
    // may hold the quit up: QCoreApplication::quit() gives up when a window
    // refuses to close, as a message box without an escape button does.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QList<QPointer<QWidget>> windows;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible()) windows << window;
        for (const auto& window : windows)
            if (window) window->close();
    }
    // Ends every running event loop, the nested ones of modal dialogs too.
    QCoreApplication::exit(0);
}

void quitOnTerminationSignals()
{
    if (g_pipe[0] >= 0) return;
    // Not inherited by the programs the program starts (a browser, xdg-open);
    // the ends the handler writes never block it, however many signals come.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_watchdog) != 0) return;
    for (int end : {g_pipe[1], g_watchdog[1]}) ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        [[maybe_unused]] auto read = ::read(g_pipe[0], &byte, 1);
        quitApplication();
    });
    std::thread(watch).detach();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

}  // namespace zorbel::platform
