#include "Platform/Linux/StartChecks.h"

#include <QByteArray>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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
    return dot > colon && colon >= 0 ? display.left(dot) : display;
}

// One copy per user and display is the owner of the X selection
// "ZORBEL_<uid>" on that display. The X server drops a selection when its
// owner's connection closes, so it is held until the process ends, however it
// ends; it is one for every name of the display (":1", ":1.0", "localhost:1")
// and whatever the environment (a lock file under XDG_RUNTIME_DIR and one in
// /tmp would let two copies run); and no file in a shared folder is involved
// that another user could create first. Only a client the X server lets in,
// which could do anything with the display anyway, could take the name.
bool claimsTheDisplay(Display* connection)
{
    const QByteArray name = "ZORBEL_" + QByteArray::number(static_cast<qulonglong>(getuid()));
    const Atom selection = XInternAtom(connection, name.constData(), False);
    const Window owner = XCreateSimpleWindow(connection, DefaultRootWindow(connection), -1, -1, 1, 1, 0, 0, 0);
    // Asked and taken in one step, so two copies started together cannot both
    // find the name free.
    XGrabServer(connection);
    const bool free = XGetSelectionOwner(connection, selection) == None;
    if (free) XSetSelectionOwner(connection, selection, owner, CurrentTime);
    const bool mine = free && XGetSelectionOwner(connection, selection) == owner;
    XUngrabServer(connection);
    XSync(connection, False);
    return mine;
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
    if (!claimsTheDisplay(connection)) {
        XCloseDisplay(connection);
        std::printf("zorbel is already running on display %s\n", displayName(display).constData());
        return 0;
    }
    // The connection stays open for the life of the process: it holds the
    // claim. Programs started later (a browser for a link) must not inherit it,
    // or the claim would outlive this process.
    ::fcntl(ConnectionNumber(connection), F_SETFD, FD_CLOEXEC);
    return std::nullopt;
}

}  // namespace zorbel::platform
