#include "Platform/Linux/X11Keyboard.h"

#include "Platform/Linux/XkbLayouts.h"
#include "Platform/LogSink.h"

#include <QSocketNotifier>
#include <QTimer>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace zorbel::platform {

ModifierFlags modifierFlagsFromXkb(unsigned int mods, unsigned int locked)
{
    ModifierFlags f;
    f.capsLock = (locked & LockMask) != 0;
    f.shift = (mods & ShiftMask) != 0;
    f.control = (mods & ControlMask) != 0;
    f.option = (mods & Mod1Mask) != 0;
    f.command = (mods & Mod4Mask) != 0;
    return f;
}

namespace {
// The server's rules names: rules file, model, layouts, variants, options.
QStringList rulesNames(Display* display)
{
    const Atom atom = XInternAtom(display, "_XKB_RULES_NAMES", True);
    if (atom == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, 1024, False, XA_STRING, &type,
                                          &format, &count, &after, &data);
    QStringList names;
    if (status == Success && data && format == 8) {
        const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        for (const QByteArray& part : bytes.split('\0')) names << QString::fromUtf8(part);
    }
    if (data) XFree(data);
    return names;
}

// Without rules names: the group names the server holds ("English (US)").
std::vector<InputSourceProperties> groupNameSources(Display* display)
{
    std::vector<InputSourceProperties> sources;
    XkbDescPtr desc = XkbAllocKeyboard();
    if (!desc) return sources;
    if (XkbGetNames(display, XkbGroupNamesMask, desc) == Success && desc->names) {
        for (int g = 0; g < XkbNumKbdGroups && desc->names->groups[g] != None; ++g) {
            char* name = XGetAtomName(display, desc->names->groups[g]);
            if (!name) continue;
            InputSourceProperties p;
            p.localizedName = QString::fromUtf8(name);
            p.id = QStringLiteral("xkb:") + *p.localizedName;
            p.category = QString::fromLatin1(InputSourceProperties::keyboardCategory);
            p.selectCapable = true;
            sources.push_back(std::move(p));
            XFree(name);
        }
    }
    XkbFreeKeyboard(desc, 0, True);
    return sources;
}
}  // namespace

X11Keyboard::X11Keyboard()
{
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("No X display: keyboard layouts and Caps Lock cannot be read"));
        return;
    }
    int major = XkbMajorVersion, minor = XkbMinorVersion, opcode = 0, error = 0;
    if (!XkbQueryExtension(display_, &opcode, &xkbEventBase_, &error, &major, &minor)) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("The X server has no XKB: keyboard layouts and Caps Lock cannot be read"));
        XCloseDisplay(display_);
        display_ = nullptr;
        return;
    }
    int xiEvent = 0, xiError = 0, xiMajor = 2, xiMinor = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &xiEvent, &xiError) ||
        XIQueryVersion(display_, &xiMajor, &xiMinor) != Success)
        xiOpcode_ = -1;
    notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [self = self_]() {
        if (*self) (*self)->drain();
    });
    settle_ = new QTimer();
    settle_->setSingleShot(true);
    settle_->setInterval(settleMilliseconds);
    QObject::connect(settle_, &QTimer::timeout, settle_, [self = self_]() {
        if (*self) (*self)->groupMayHaveChanged();
    });
}

X11Keyboard::~X11Keyboard()
{
    *self_ = nullptr;
    delete settle_;
    delete notifier_;
    if (display_) XCloseDisplay(display_);
}

void X11Keyboard::drainQueuedEvents() const
{
    // A request that waits for its reply reads whatever events arrived before
    // it into Xlib's queue, and the socket then has nothing to wake the loop:
    // without this, a layout switch made meanwhile would wait for the next key.
    if (display_ && XEventsQueued(display_, QueuedAlready) > 0)
        QTimer::singleShot(0, notifier_, [self = self_]() {
            if (*self) (*self)->drain();
        });
}

std::vector<InputSourceProperties> X11Keyboard::sources() const
{
    if (!display_) return {};
    const QStringList names = rulesNames(display_);
    auto list = names.size() >= 4 && !names[2].isEmpty() ? xkbSources(names[2], names[3], XkbLayoutTable::system(names[0]))
                                                         : groupNameSources(display_);
    drainQueuedEvents();
    return list;
}

InputSourceListing X11Keyboard::enabledSources()
{
    auto list = sources();
    const bool complete = !list.empty();
    return InputSourceListing{std::move(list), complete};
}

int X11Keyboard::currentGroup() const
{
    if (!display_) return -1;
    XkbStateRec state{};
    const bool read = XkbGetState(display_, XkbUseCoreKbd, &state) == Success;
    drainQueuedEvents();
    return read ? state.group : -1;
}

std::optional<InputSourceProperties> X11Keyboard::currentKeyboardSource()
{
    const int group = currentGroup();
    if (group < 0) return std::nullopt;
    auto list = sources();
    if (list.empty()) return std::nullopt;
    // A group past the listed layouts wraps, as the server does.
    return list[static_cast<std::size_t>(group) % list.size()];
}

QString X11Keyboard::currentSourceId()
{
    const auto current = currentKeyboardSource();
    return current ? current->id : QString();
}

rx::Cancellable X11Keyboard::observeSelectionChanges(std::function<void()> handler)
{
    if (selectionObservers_.empty()) lastSourceId_ = currentSourceId();
    return selecting(selectionObservers_.add(std::move(handler)));
}

ModifierFlags X11Keyboard::currentModifierFlags()
{
    if (!display_) return {};
    XkbStateRec state{};
    const bool read = XkbGetState(display_, XkbUseCoreKbd, &state) == Success;
    drainQueuedEvents();
    return read ? modifierFlagsFromXkb(state.mods, state.locked_mods) : ModifierFlags{};
}

rx::Cancellable X11Keyboard::observeModifierChanges(std::function<void(const ModifierFlags&)> handler)
{
    if (modifierObservers_.empty()) lastFlags_ = currentModifierFlags();
    return selecting(modifierObservers_.add(std::move(handler)));
}

rx::Cancellable X11Keyboard::observeKeyReleases(std::function<void()> handler)
{
    return selecting(keyObservers_.add(std::move(handler)));
}

rx::Cancellable X11Keyboard::selecting(rx::Cancellable token)
{
    // The server is asked for exactly the events someone observes.
    updateSelections();
    std::weak_ptr<X11Keyboard*> weak = self_;
    return rx::Cancellable([weak, token]() mutable {
        token.cancel();
        if (auto self = weak.lock(); self && *self) (*self)->updateSelections();
    });
}

void X11Keyboard::updateSelections()
{
    if (!display_) return;
    const bool keys = !keyObservers_.empty() && xiOpcode_ >= 0;
    if (keys != keysSelected_) {
        unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
        if (keys) XISetMask(mask, XI_RawKeyRelease);
        XIEventMask em{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
        XISelectEvents(display_, DefaultRootWindow(display_), &em, 1);
        keysSelected_ = keys;
        XFlush(display_);
    }
    unsigned long state = 0;
    if (!selectionObservers_.empty()) state |= XkbGroupStateMask;
    if (!modifierObservers_.empty()) state |= XkbModifierStateMask | XkbModifierLockMask;
    if (state == selected_) return;
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, XkbAllStateComponentsMask, state);
    // New layouts (a new keymap or new group names) may change the selected source. A
    // keymap loaded whole (setxkbmap, a daemon setting its layout) comes as a new keyboard,
    // not as changed names.
    const unsigned long names = selectionObservers_.empty() ? 0 : XkbGroupNamesMask;
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbNamesNotify, XkbAllNamesMask, names);
    const unsigned long keymap = selectionObservers_.empty() ? 0 : XkbAllNewKeyboardEventsMask;
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbNewKeyboardNotify, XkbAllNewKeyboardEventsMask, keymap);
    selected_ = state;
    XFlush(display_);
    QTimer::singleShot(0, notifier_, [self = self_]() {
        if (*self) (*self)->drain();
    });
}

void X11Keyboard::drain()
{
    bool groupEvent = false;
    bool keyReleased = false;
    while (display_ && XPending(display_) > 0) {
        XEvent ev;
        XNextEvent(display_, &ev);
        if (ev.type == GenericEvent && ev.xcookie.extension == xiOpcode_) {
            keyReleased = keyReleased || ev.xcookie.evtype == XI_RawKeyRelease;
            continue;
        }
        if (ev.type != xkbEventBase_) continue;
        const auto* xkb = reinterpret_cast<const XkbEvent*>(&ev);
        if (xkb->any.xkb_type == XkbNamesNotify || xkb->any.xkb_type == XkbNewKeyboardNotify) {
            groupEvent = true;
            continue;
        }
        if (xkb->any.xkb_type != XkbStateNotify) continue;
        if (xkb->state.changed & XkbGroupStateMask) groupEvent = true;
        const ModifierFlags flags = modifierFlagsFromXkb(xkb->state.mods, xkb->state.locked_mods);
        if (flags == lastFlags_ || modifierObservers_.empty()) continue;
        lastFlags_ = flags;
        modifierObservers_.notify(flags);
    }
    if (groupEvent && !selectionObservers_.empty()) settle_->start();
    if (keyReleased) keyObservers_.notify();
}

void X11Keyboard::groupMayHaveChanged()
{
    const QString id = currentSourceId();
    if (id == lastSourceId_) return;
    lastSourceId_ = id;
    selectionObservers_.notify();
}

}  // namespace zorbel::platform
