#include "Platform/Linux/StartChecks.h"

#include <QByteArray>

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zorbel::platform {

namespace {

std::optional<int> refuse(const char* why)
{
    std::fprintf(stderr, "zorbel: %s\n", why);
    return 1;
}

// ":1.0" and ":1" are one display; its screens share one indicator.
QByteArray displayName(const QByteArray& display)
{
    const auto colon = display.lastIndexOf(':');
    const auto dot = display.lastIndexOf('.');
    QByteArray name = dot > colon && colon >= 0 ? display.left(dot) : display;
    name.replace('/', '_');
    return name;
}

// The lock stays held until the process ends, however it ends.
bool holdsTheRunningLock(const QByteArray& display)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray folder = runtime.isEmpty() ? QByteArray("/tmp") : runtime;
    const QByteArray path =
        folder + "/zorbel-" + QByteArray::number(static_cast<qulonglong>(getuid())) + "-" + displayName(display) + ".lock";
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;  // nowhere to keep a lock: better two copies than none
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return !busy;
}

}  // namespace

std::optional<int> checkBeforeStart()
{
    if (!qEnvironmentVariableIsSet("DISPLAY")) return refuse("no display to run on: DISPLAY is not set");
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) return refuse("no display to run on: DISPLAY is empty");
    Display* connection = XOpenDisplay(display.constData());
    if (!connection) {
        std::fprintf(stderr, "zorbel: cannot open the display \"%s\"\n", display.constData());
        return 1;
    }
    XCloseDisplay(connection);
    if (!holdsTheRunningLock(display)) {
        std::printf("zorbel is already running on display %s\n", displayName(display).constData());
        return 0;
    }
    return std::nullopt;
}

}  // namespace zorbel::platform
