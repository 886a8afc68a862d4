#include "Platform/Linux/X11EventMonitor.h"

#include "Platform/Linux/X11Keyboard.h"

#include "Platform/LogSink.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <algorithm>

namespace zorbel::platform {

KeyKind keyKindOf(unsigned long keysym, const ModifierFlags& held)
{
    if (keysym == XK_BackSpace) return KeyKind::backspace;
    if (IsModifierKey(keysym)) return KeyKind::modifier;
    // A shortcut types nothing.
    if (held.control || held.option || held.command) return KeyKind::other;
    const bool printable = (keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff) ||
                           (keysym >= 0x100 && keysym < 0xfe00) || (keysym & 0xff000000UL) == 0x01000000UL ||
                           IsKeypadKey(keysym) || keysym == XK_Return || keysym == XK_Tab;
    return printable ? KeyKind::character : KeyKind::other;
}

X11EventMonitor::X11EventMonitor()
{
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("No X display: clicks and modifier keys in other applications "
                                               "cannot be observed"));
        return;
    }
    int event = 0, error = 0;
    int major = 2, minor = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error) ||
        XIQueryVersion(display_, &major, &minor) != Success) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("The X server has no XInput 2: clicks in other applications "
                                               "cannot be observed"));
        xiOpcode_ = -1;
    }
    int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion, xkbOpcode = 0, xkbError = 0;
    if (!XkbQueryExtension(display_, &xkbOpcode, &xkbEventBase_, &xkbError, &xkbMajor, &xkbMinor)) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("The X server has no XKB: modifier keys cannot be observed"));
        xkbEventBase_ = -1;
    }
    notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [self = self_]() {
        if (*self) (*self)->drain();
    });
}

X11EventMonitor::~X11EventMonitor()
{
    *self_ = nullptr;
    delete notifier_;
    if (display_) XCloseDisplay(display_);
}

EventMonitorToken X11EventMonitor::addGlobalMonitor(GlobalEventType type,
                                                    std::function<void(const GlobalEvent&)> handler)
{
    return monitors_.add(type, std::move(handler));
}

void X11EventMonitor::updateSelections()
{
    if (!display_) return;
    const bool buttons = monitors_.count(GlobalEventType::leftMouseDown) > 0 && xiOpcode_ >= 0;
    const bool keys = monitors_.count(GlobalEventType::keyDown) > 0 && xiOpcode_ >= 0;
    // Key presses are told apart from shortcuts by the modifiers held.
    const bool flags = (monitors_.count(GlobalEventType::flagsChanged) > 0 || keys) && xkbEventBase_ >= 0;
    if (buttons != buttonsSelected_ || keys != keysSelected_) {
        unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
        if (buttons) XISetMask(mask, XI_RawButtonPress);
        if (keys) XISetMask(mask, XI_RawKeyPress);
        XIEventMask em{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
        XISelectEvents(display_, DefaultRootWindow(display_), &em, 1);
        buttonsSelected_ = buttons;
        keysSelected_ = keys;
    }
    if (flags != flagsSelected_) {
        const unsigned long details = XkbModifierStateMask | XkbModifierLockMask;
        XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, details, flags ? details : 0);
        if (flags) lastFlags_ = currentModifiers();
        flagsSelected_ = flags;
    }
    XFlush(display_);
    // A round trip above may have queued events inside Xlib, where the socket
    // notifier cannot see them.
    if (auto* s = services().scheduler) s->post([self = self_]() {
        if (*self) (*self)->drain();
    });
}

ModifierFlags X11EventMonitor::currentModifiers() const
{
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return {};
    return modifierFlagsFromXkb(state.mods, state.locked_mods);
}

bool X11EventMonitor::pointerIsOverOwnWindow(unsigned long child) const
{
    if (!child) return false;
    // Walk down from the root's child to the deepest window under the
    // pointer: a window manager's frame sits between the root and ours.
    for (Window w = child; w;) {
        for (QWindow* own : QGuiApplication::topLevelWindows())
            if (own->handle() && own->winId() == w) return true;
        Window root = 0, next = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(display_, w, &root, &next, &rx, &ry, &wx, &wy, &mask)) return false;
        w = next;
    }
    return false;
}

void X11EventMonitor::drain()
{
    while (display_ && XPending(display_) > 0) {
        XEvent ev;
        XNextEvent(display_, &ev);
        if (ev.type == GenericEvent && ev.xcookie.extension == xiOpcode_ && XGetEventData(display_, &ev.xcookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(ev.xcookie.data);
            const bool leftDown = ev.xcookie.evtype == XI_RawButtonPress && raw->detail == 1;
            const bool keyDown = ev.xcookie.evtype == XI_RawKeyPress;
            const int keycode = raw->detail;
            XFreeEventData(display_, &ev.xcookie);
            // Typing in this program's own windows is not typing elsewhere.
            if (keyDown && !QGuiApplication::focusWindow()) {
                GlobalEvent e;
                e.type = GlobalEventType::keyDown;
                e.modifiers = lastFlags_;
                e.key = keyKindOf(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0), lastFlags_);
                monitors_.deliver(e);
            }
            if (!leftDown) continue;
            Window root = 0, child = 0;
            int rx = 0, ry = 0, wx = 0, wy = 0;
            unsigned int mask = 0;
            XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rx, &ry, &wx, &wy, &mask);
            if (pointerIsOverOwnWindow(child)) continue;
            GlobalEvent e;
            e.type = GlobalEventType::leftMouseDown;
            e.location = QPointF(rx, ry);
            e.modifiers = modifierFlagsFromXkb(mask, mask);
            monitors_.deliver(e);
        } else if (xkbEventBase_ >= 0 && ev.type == xkbEventBase_) {
            const auto* xkb = reinterpret_cast<const XkbEvent*>(&ev);
            if (xkb->any.xkb_type != XkbStateNotify) continue;
            const ModifierFlags flags = modifierFlagsFromXkb(xkb->state.mods, xkb->state.locked_mods);
            if (flags == lastFlags_) continue;
            lastFlags_ = flags;
            GlobalEvent e;
            e.type = GlobalEventType::flagsChanged;
            e.modifiers = flags;
            monitors_.deliver(e);
        }
    }
}

}  // namespace zorbel::platform
