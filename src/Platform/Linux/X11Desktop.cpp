#include "Platform/Linux/X11Desktop.h"

#include "Platform/LatencyTrace.h"
#include "Platform/LogSink.h"

#include <QAbstractEventDispatcher>
#include <QRegion>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace zorbel::platform {

namespace {
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> own(T* reply)
{
    return Reply<T>(reply, &std::free);
}

// Every reply waits for a round trip to the X server (timed for figures).
template <class Ask>
auto answer(Ask ask)
{
    latency::Span span(latency::Wait::x);
    return own(ask());
}
}  // namespace

X11Desktop& X11Desktop::instance()
{
    static X11Desktop* desktop = new X11Desktop();
    return *desktop;
}

X11Desktop::X11Desktop()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection) xcb_disconnect(connection);
        ZORBEL_PLATFORM_WARNING(QStringLiteral("Cannot open the X display; windows are unknown"));
        return;
    }
    connection_ = connection;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    root_ = it.data->root;
    screenNumber_ = screenNumber;

    // New top-level windows are announced on the root window; without a
    // window manager their focus changes are what tells which is in front.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    for (std::uint32_t window : topLevelWindows()) listenTo(window, false);
    activeAtom_ = atom("_NET_ACTIVE_WINDOW");
    clientListAtom_ = atom("_NET_CLIENT_LIST");
    currentDesktopAtom_ = atom("_NET_CURRENT_DESKTOP");
    supportingCheckAtom_ = atom("_NET_SUPPORTING_WM_CHECK");
    supportedAtom_ = atom("_NET_SUPPORTED");
    clientPropertyAtoms_ = {atom("_NET_WM_PID"), atom("_NET_WM_NAME"), XCB_ATOM_WM_NAME, XCB_ATOM_WM_CLASS,
                            atom("_GTK_APPLICATION_ID")};
    for (const auto& client : clientWindows()) clients_[client.id] = client.pid;
    watchCompositor();
    xcb_flush(connection_);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { drainEvents(); });
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { drainQueuedEvents(); });
}

X11Desktop::~X11Desktop()
{
    if (connection_) xcb_disconnect(connection_);
}

void X11Desktop::watchCompositor()
{
    compositorSelection_ = atom(QByteArray("_NET_WM_CM_S" + QByteArray::number(screenNumber_)).constData());
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        // The server speaks XFixes to a client only once it has said which version it knows.
        answer([&] {
            return xcb_xfixes_query_version_reply(
                connection_, xcb_xfixes_query_version(connection_, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
                nullptr);
        });
        xfixesEvent_ = xfixes->first_event;
        xcb_xfixes_select_selection_input(connection_, root_, compositorSelection_,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    // Asked after the selection is watched, so no change falls between.
    auto reply = answer([&] {
        return xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, compositorSelection_),
                                             nullptr);
    });
    compositing_ = reply && reply->owner != XCB_NONE;
}

void X11Desktop::keepAbove(std::uint32_t window)
{
    kept_ = window;
    raiseKeptWindow();
}

void X11Desktop::raiseKeptWindow()
{
    if (!connection_ || !kept_) return;
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, kept_, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(connection_);
}

namespace {
// A window that stands over the kept one again within this time of being
// covered came back at once; so many times in a row, it keeps itself on top.
constexpr auto kComeback = std::chrono::seconds(1);
constexpr int kComebacksBeforeBackOff = 10;
constexpr auto kFirstBackOff = std::chrono::milliseconds(2000);
constexpr auto kLongestBackOff = std::chrono::milliseconds(64000);
constexpr std::size_t kRememberedContenders = 256;
}  // namespace

void X11Desktop::raiseKeptWindowOver(std::uint32_t window)
{
    // A window that keeps itself on top answers each raise with one of its
    // own: the two would take turns for as long as both run (flicker, and X
    // traffic on both sides). After ten rounds the kept window stays under
    // it, and tries again once after 2 s, 4 s, and so on up to a minute; a
    // try it does not answer at once ends that, so a window that stopped
    // fighting is covered again at its next raise.
    const auto now = std::chrono::steady_clock::now();
    if (!contenders_.contains(window) && contenders_.size() >= kRememberedContenders) contenders_.clear();
    Contender& c = contenders_[window];
    const auto since = c.answered ? now - *c.answered : std::chrono::steady_clock::duration::max();
    if (c.backOff.count()) {
        if (std::exchange(c.probing, false)) {
            if (since < kComeback) {
                c.backOff = std::min(c.backOff * 2, kLongestBackOff);
                return;
            }
            c.backOff = {};
            c.comebacks = 0;
        } else if (since < c.backOff) {
            return;
        } else {
            c.probing = true;
        }
    } else {
        c.comebacks = since < kComeback ? c.comebacks + 1 : 0;
        if (c.comebacks >= kComebacksBeforeBackOff) {
            c.backOff = kFirstBackOff;
            c.answered = now;
            ZORBEL_PLATFORM_INFO(QStringLiteral("Window 0x%1 keeps raising itself over the caret indicator; it is "
                                                "left on top")
                                     .arg(window, 0, 16));
            return;
        }
    }
    c.answered = now;
    raiseKeptWindow();
}

bool X11Desktop::holdsApplication(std::uint32_t window, std::optional<bool> overrideRedirect)
{
    if (overrideRedirect == false) return true;
    // fluxbox and icewm frame their clients in windows that bypass them too;
    // a menu or a tooltip holds no window of its own. Asked once while the
    // window stays mapped: a HUD that slides in is configured 60 times a second.
    if (const auto known = holdsApplication_.find(window); known != holdsApplication_.end()) return known->second;
    if (holdsApplication_.size() > 4096) holdsApplication_.clear();
    // A circulated window is not said to bypass the window manager or not:
    // a client of a bare X server holds no window of its own where its
    // toolkit draws everything itself (Qt).
    if (!overrideRedirect) {
        auto attributes = answer([&] {
            return xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
        });
        if (attributes && !attributes->override_redirect) return holdsApplication_[window] = true;
    }
    auto tree = answer([&] { return xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr); });
    const bool holds = tree && xcb_query_tree_children_length(tree.get()) > 0;
    holdsApplication_[window] = holds;
    return holds;
}

void X11Desktop::handle(const void* raw, bool& activeChanged, bool& clientsChanged)
{
    takeIn(raw);
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const auto type = event->response_type & 0x7f;
    // A top-level window moved, restacked, shown or gone may cover a watched one or uncover it.
    if (!obscured_.empty() && (type == XCB_CONFIGURE_NOTIFY || type == XCB_MAP_NOTIFY || type == XCB_UNMAP_NOTIFY ||
                               type == XCB_DESTROY_NOTIFY))
        stackingChanged_ = true;
    if (xfixesEvent_ && type == xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection != compositorSelection_) return;
        const bool compositing = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                                 notify->owner != XCB_NONE;
        if (compositing == std::exchange(compositing_, compositing)) return;
        emit compositingChanged(compositing);
        return;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->window != root_) return;
        if (notify->atom == activeAtom_) activeChanged = true;
        else if (notify->atom == clientListAtom_) clientsChanged = true;
        else if (notify->atom == currentDesktopAtom_) emit currentDesktopChanged();
    } else if (type == XCB_CONFIGURE_NOTIFY) {
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        // A top-level window right above the kept one covers it, however
        // often it is raised there (each raise names the same sibling); one
        // whose sibling below changed was restacked, maybe over the kept one
        // past windows in between (a menu above it).
        if (configure->event == root_ && kept_ && configure->window != kept_) {
            const auto [below, first] = siblingBelow_.try_emplace(configure->window, configure->above_sibling);
            const bool restacked =
                first || std::exchange(below->second, configure->above_sibling) != configure->above_sibling;
            if ((restacked || configure->above_sibling == kept_) &&
                holdsApplication(configure->window, configure->override_redirect))
                raiseKeptWindowOver(configure->window);
        }
        configured(event);
    } else if (type == XCB_CIRCULATE_NOTIFY) {
        const auto* circulate = reinterpret_cast<const xcb_circulate_notify_event_t*>(event);
        if (circulate->event == root_ && kept_ && circulate->window != kept_ &&
            circulate->place == XCB_PLACE_ON_TOP && holdsApplication(circulate->window, std::nullopt))
            raiseKeptWindowOver(circulate->window);
    } else if (type == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        holdsApplication_.erase(map->window);
        if (map->event == root_ && !map->override_redirect) {
            listenTo(map->window, false);
            activeChanged = true;  // it may have taken the focus before we listened
        }
        if (map->event == root_ && kept_ && map->window != kept_ && holdsApplication(map->window, map->override_redirect))
            raiseKeptWindow();
    } else if (type == XCB_FOCUS_IN) {
        activeChanged = true;
    } else if (type == XCB_UNMAP_NOTIFY) {
        // Without a window manager the clients are the root's own children.
        clientsChanged = true;
        const auto unmapped = reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window;
        holdsApplication_.erase(unmapped);
        contenders_.erase(unmapped);
    } else if (type == XCB_VISIBILITY_NOTIFY) {
        const auto* visibility = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
        const auto found = obscured_.find(visibility->window);
        if (found != obscured_.end()) {
            const bool was = isObscured(visibility->window);
            found->second.byServer = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
            if (isObscured(visibility->window) != was) emit windowObscuredChanged(visibility->window, !was);
        }
    } else if (type == XCB_DESTROY_NOTIFY) {
        const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        watched_.erase(destroyed->window);
        masks_.erase(destroyed->window);
        siblingBelow_.erase(destroyed->window);
        holdsApplication_.erase(destroyed->window);
        contenders_.erase(destroyed->window);
        obscured_.erase(destroyed->window);
        clientsChanged = true;
        emit windowDestroyed(destroyed->window);
    }
}

bool X11Desktop::changesClients(const void* raw) const
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    switch (event->response_type & 0x7f) {
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_DESTROY_NOTIFY:
        return true;
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->window == root_) return notify->atom == clientListAtom_;
        return std::find(clientPropertyAtoms_.begin(), clientPropertyAtoms_.end(), notify->atom) !=
               clientPropertyAtoms_.end();
    }
    default:
        return false;
    }
}

bool X11Desktop::changesFront(const void* raw) const
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    switch (event->response_type & 0x7f) {
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT:
        return true;
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->window != root_) return changesClients(raw);
        return notify->atom == activeAtom_ || notify->atom == supportingCheckAtom_ || notify->atom == supportedAtom_;
    }
    default:
        return changesClients(raw);
    }
}

void X11Desktop::takeIn(const void* raw)
{
    if (changesClients(raw)) clientWindows_.reset();
    if (changesFront(raw)) front_ = Front{};
    // A window's kept place and size go with any event of its structure
    // (a window manager sends one for each move of its frame).
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    // Each of these events names the window it is about in the same field.
    constexpr auto windowField = offsetof(xcb_configure_notify_event_t, window);
    static_assert(offsetof(xcb_reparent_notify_event_t, window) == windowField &&
                  offsetof(xcb_gravity_notify_event_t, window) == windowField &&
                  offsetof(xcb_map_notify_event_t, window) == windowField &&
                  offsetof(xcb_unmap_notify_event_t, window) == windowField &&
                  offsetof(xcb_destroy_notify_event_t, window) == windowField);
    switch (event->response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_GRAVITY_NOTIFY:
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_DESTROY_NOTIFY:
        forgetGeometry(reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window);
        break;
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->atom != frameExtentsAtom_) break;
        if (auto it = geometry_.find(notify->window); it != geometry_.end()) it->second.frameExtents.reset();
        break;
    }
    default:
        break;
    }
}

void X11Desktop::forgetGeometry(std::uint32_t window)
{
    geometry_.erase(window);
    if (auto it = geometryChanges_.find(window); it != geometryChanges_.end()) {
        ++it->second.count;
        it->second.at = std::chrono::steady_clock::now();
    }
}

bool X11Desktop::keepsGeometry(std::uint32_t window)
{
    takeInPending();
    const auto clients = clientWindows();
    if (std::none_of(clients.begin(), clients.end(), [&](const ClientWindow& c) { return c.id == window; }))
        return false;
    // Asked before anything is read, so no change after the read goes unheard.
    addEventMask(window, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
    if (geometryChanges_.size() > 1024) {
        geometryChanges_.clear();
        geometry_.clear();
    }
    geometryChanges_.try_emplace(window);
    return true;
}

X11Desktop::GeometryChanges X11Desktop::geometryChanges(std::uint32_t window)
{
    if (!connection_ || !keepsGeometry(window)) return {};
    return geometryChanges_[window];
}

void X11Desktop::takeInPending()
{
    while (auto* event = xcb_poll_for_event(connection_)) {
        takeIn(event);
        pending_.emplace_back(event, &std::free);
    }
}

void X11Desktop::drainEvents()
{
    bool activeChanged = false;
    bool clientsChanged = false;
    for (const auto& event : std::exchange(pending_, {})) handle(event.get(), activeChanged, clientsChanged);
    while (auto event = own(xcb_poll_for_event(connection_))) handle(event.get(), activeChanged, clientsChanged);
    if (xcb_connection_has_error(connection_)) {
        notifier_->setEnabled(false);
        ZORBEL_PLATFORM_ERROR(QStringLiteral("The connection to the X display was lost"));
    }
    if (clientsChanged) clientsMayHaveGone();
    if (std::exchange(stackingChanged_, false)) recheckCovered();
    if (activeChanged) emit activeWindowChanged();
}

void X11Desktop::drainQueuedEvents()
{
    if (!connection_ || xcb_connection_has_error(connection_)) return;
    bool activeChanged = false;
    bool clientsChanged = false;
    for (const auto& event : std::exchange(pending_, {})) handle(event.get(), activeChanged, clientsChanged);
    while (auto event = own(xcb_poll_for_queued_event(connection_))) handle(event.get(), activeChanged, clientsChanged);
    if (clientsChanged) clientsMayHaveGone();
    if (std::exchange(stackingChanged_, false)) recheckCovered();
    if (activeChanged) emit activeWindowChanged();
}

void X11Desktop::clientsMayHaveGone()
{
    std::map<std::uint32_t, std::int32_t> now;
    for (const auto& client : clientWindows()) now[client.id] = client.pid;
    const auto before = std::exchange(clients_, now);
    for (const auto& [window, pid] : before) {
        if (now.count(window)) continue;
        // Its id may come back for a new window, which has asked for none of our events.
        masks_.erase(window);
        emit clientWindowGone(window, pid);
    }
}

std::uint32_t X11Desktop::atom(const char* name)
{
    if (!connection_) return 0;
    if (const auto known = atoms_.find(name); known != atoms_.end()) return known->second;
    auto reply = answer([&] { return xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr); });
    const std::uint32_t value = reply ? reply->atom : 0;
    if (value) atoms_.emplace(name, value);
    return value;
}

QByteArray X11Desktop::property(std::uint32_t window, std::uint32_t property, std::uint32_t type, int maxLongs)
{
    if (!connection_ || !property) return {};
    auto reply = answer([&] { return xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, maxLongs), nullptr); });
    if (!reply || reply->type == XCB_NONE) return {};
    const int length = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

std::optional<std::uint32_t> X11Desktop::cardinal(std::uint32_t window, const char* name, std::uint32_t type)
{
    const QByteArray data = property(window, atom(name), type, 1);
    if (data.size() < 4) return std::nullopt;
    std::uint32_t value = 0;
    std::memcpy(&value, data.constData(), 4);
    return value;
}

QString X11Desktop::text(std::uint32_t window, const char* name)
{
    return QString::fromUtf8(property(window, atom(name), XCB_GET_PROPERTY_TYPE_ANY));
}

bool X11Desktop::hasWindowManager()
{
    if (!connection_) return false;
    takeInPending();
    if (!front_.windowManager) front_.windowManager = readHasWindowManager();
    return *front_.windowManager;
}

std::optional<std::int32_t> X11Desktop::activeWindowPid()
{
    if (!connection_) return std::nullopt;
    takeInPending();
    if (!front_.activePid) front_.activePid = readActiveWindowPid();
    return *front_.activePid;
}

std::optional<std::int32_t> X11Desktop::focusedWindowPid()
{
    if (!connection_) return std::nullopt;
    takeInPending();
    if (!front_.focusedPid) front_.focusedPid = readFocusedWindowPid();
    return *front_.focusedPid;
}

bool X11Desktop::readHasWindowManager()
{
    const auto check = cardinal(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (!check || !*check) return false;
    const auto self = cardinal(*check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (!self || *self != *check) return false;
    const QByteArray supported = property(root_, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    const std::uint32_t active = atom("_NET_ACTIVE_WINDOW");
    for (int i = 0; i + 4 <= supported.size(); i += 4) {
        std::uint32_t a = 0;
        std::memcpy(&a, supported.constData() + i, 4);
        if (a == active) return true;
    }
    return false;
}

std::optional<std::int32_t> X11Desktop::readActiveWindowPid()
{
    const auto window = cardinal(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    if (!window || !*window) return std::nullopt;
    const auto pid = cardinal(*window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    if (!pid) return std::nullopt;
    return static_cast<std::int32_t>(*pid);
}

bool X11Desktop::viewable(std::uint32_t window)
{
    auto reply = answer([&] { return xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window),
                                                     nullptr); });
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE && !reply->override_redirect;
}

std::vector<std::uint32_t> X11Desktop::topLevelWindows()
{
    std::vector<std::uint32_t> windows;
    // A window manager lists its clients; without one they are the root's children.
    const QByteArray list = property(root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 4096);
    for (int i = 0; i + 4 <= list.size(); i += 4) {
        std::uint32_t w = 0;
        std::memcpy(&w, list.constData() + i, 4);
        windows.push_back(w);
    }
    if (!windows.empty()) return windows;
    auto tree = answer([&] { return xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr); });
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        if (viewable(children[i])) windows.push_back(children[i]);
    return windows;
}

std::vector<ClientWindow> X11Desktop::clientWindows()
{
    if (!connection_) return {};
    takeInPending();
    if (!clientWindows_) clientWindows_ = readClientWindows();
    return *clientWindows_;
}

std::vector<ClientWindow> X11Desktop::readClientWindows()
{
    std::vector<ClientWindow> result;
    for (std::uint32_t w : topLevelWindows()) {
        // Asked before reading, so no change after the read goes unheard.
        addEventMask(w, XCB_EVENT_MASK_PROPERTY_CHANGE);
        const auto pid = cardinal(w, "_NET_WM_PID", XCB_ATOM_CARDINAL);
        if (!pid) continue;
        ClientWindow client;
        client.id = w;
        client.pid = static_cast<std::int32_t>(*pid);
        client.title = windowTitle(w);
        const QList<QByteArray> wmClass = property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        if (!wmClass.isEmpty()) client.instanceName = QString::fromUtf8(wmClass.value(0));
        client.className = QString::fromUtf8(wmClass.value(1));
        client.applicationId = text(w, "_GTK_APPLICATION_ID");
        result.push_back(client);
    }
    return result;
}

void X11Desktop::configured(const void* raw)
{
    const auto* event = static_cast<const xcb_configure_notify_event_t*>(raw);
    auto it = watched_.find(event->window);
    if (it == watched_.end()) return;
    // Real events give the position in the parent; a window manager's
    // synthetic ones the position on the root window.
    QPoint origin(event->x, event->y);
    if (!(event->response_type & 0x80)) {
        if (auto onRoot = windowOrigin(event->window)) origin = *onRoot;
    }
    emit windowConfigured(event->window, it->second, QRect(origin, QSize(event->width, event->height)));
}

void X11Desktop::listenTo(std::uint32_t window, bool watch)
{
    addEventMask(window, XCB_EVENT_MASK_FOCUS_CHANGE | (watch ? XCB_EVENT_MASK_STRUCTURE_NOTIFY : 0));
}

void X11Desktop::addEventMask(std::uint32_t window, std::uint32_t mask)
{
    // Event masks are kept per client: ours never touch the toolkit's own.
    mask |= masks_[window];
    if (mask == masks_[window] && masks_[window]) return;
    masks_[window] = mask;
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

void X11Desktop::watchWindowsOf(std::int32_t pid)
{
    if (!connection_) return;
    for (const auto& client : clientWindows()) {
        if (client.pid != pid || watched_.count(client.id)) continue;
        watched_[client.id] = pid;
        listenTo(client.id, true);
    }
}

std::uint32_t X11Desktop::topLevelOf(std::uint32_t window)
{
    for (int depth = 0; depth < 32 && window && window != root_; ++depth) {
        auto tree = answer([&] { return xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr); });
        if (!tree) return 0;
        if (tree->parent == root_) return window;
        window = tree->parent;
    }
    return 0;
}

std::optional<std::int32_t> X11Desktop::readFocusedWindowPid()
{
    auto focus = answer([&] { return xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr); });
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) return std::nullopt;
    const std::uint32_t top = topLevelOf(focus->focus);
    if (!top) return std::nullopt;
    const auto pid = cardinal(top, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    if (!pid) return std::nullopt;
    return static_cast<std::int32_t>(*pid);
}

QString X11Desktop::windowTitle(std::uint32_t window)
{
    const QString title = text(window, "_NET_WM_NAME");
    return title.isEmpty() ? text(window, "WM_NAME") : title;
}

// Without a display nothing is drawn through X, so nothing needs the fallback either.
bool X11Desktop::hasCompositingManager()
{
    if (!connection_) return true;
    if (xfixesEvent_) return compositing_;
    auto reply = answer([&] {
        return xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, compositorSelection_),
                                             nullptr);
    });
    return reply && reply->owner != XCB_NONE;
}

bool X11Desktop::offersBlurBehind()
{
    if (!connection_ || !hasCompositingManager()) return false;
    const std::uint32_t blur = atom("_KDE_NET_WM_BLUR_BEHIND_REGION");
    auto reply = answer([&] { return xcb_list_properties_reply(connection_, xcb_list_properties(connection_, root_), nullptr); });
    if (!reply || !blur) return false;
    const xcb_atom_t* atoms = xcb_list_properties_atoms(reply.get());
    const int n = xcb_list_properties_atoms_length(reply.get());
    return std::find(atoms, atoms + n, blur) != atoms + n;
}

void X11Desktop::requestBlurBehind(std::uint32_t window)
{
    if (!connection_ || !window) return;
    // An empty region asks for the whole window.
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom("_KDE_NET_WM_BLUR_BEHIND_REGION"),
                        XCB_ATOM_CARDINAL, 32, 0, nullptr);
    xcb_flush(connection_);
}

void X11Desktop::watchVisibility(std::uint32_t window)
{
    if (!connection_ || !window || obscured_.count(window)) return;
    obscured_[window] = {false, coveredByWindowsAbove(window)};
    addEventMask(window, XCB_EVENT_MASK_VISIBILITY_CHANGE);
}

bool X11Desktop::isObscured(std::uint32_t window) const
{
    const auto found = obscured_.find(window);
    return found != obscured_.end() && (found->second.byServer || found->second.byStacking);
}

bool X11Desktop::coveredByWindowsAbove(std::uint32_t window)
{
    // Under a compositor every window counts as unobscured to the server,
    // so the windows stacked above are asked where they are.
    const std::uint32_t top = topLevelOf(window);
    if (!top) return false;
    auto tree = answer([&] { return xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr); });
    if (!tree) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const auto place = [&](std::uint32_t w) -> QRect {
        auto g = answer([&] { return xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, w), nullptr); });
        if (!g) return {};
        return QRect(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
    };
    const QRect own = place(top);
    if (own.isEmpty()) return false;
    QRegion uncovered(own);
    bool above = false;
    for (int i = 0; i < count && !uncovered.isEmpty(); ++i) {
        if (children[i] == top) {
            above = true;
            continue;
        }
        if (!above) continue;
        auto attributes = answer([&] {
            return xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, children[i]),
                                                   nullptr);
        });
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
            continue;
        uncovered -= place(children[i]);
    }
    return uncovered.isEmpty();
}

void X11Desktop::recheckCovered()
{
    for (auto& [window, state] : obscured_) {
        const bool was = state.byServer || state.byStacking;
        state.byStacking = coveredByWindowsAbove(window);
        if ((state.byServer || state.byStacking) != was) emit windowObscuredChanged(window, !was);
    }
}

std::optional<QSize> X11Desktop::windowSize(std::uint32_t window)
{
    if (!connection_) return std::nullopt;
    const bool keep = keepsGeometry(window);
    if (auto it = geometry_.find(window); keep && it != geometry_.end() && it->second.size) return it->second.size;
    auto reply = answer([&] { return xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr); });
    if (!reply) return std::nullopt;
    const QSize size(reply->width, reply->height);
    if (keep) geometry_[window].size = size;
    return size;
}

std::optional<QMargins> X11Desktop::frameExtents(std::uint32_t window)
{
    const bool keep = connection_ && keepsGeometry(window);
    if (auto it = geometry_.find(window); keep && it != geometry_.end() && it->second.frameExtents)
        return *it->second.frameExtents;
    const QByteArray data = property(window, atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    std::optional<QMargins> extents;
    if (data.size() >= 16) {
        std::uint32_t v[4] = {};
        std::memcpy(v, data.constData(), sizeof v);
        extents = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
    }
    if (keep) geometry_[window].frameExtents = extents;
    return extents;
}

std::optional<QPoint> X11Desktop::windowOrigin(std::uint32_t window)
{
    if (!connection_) return std::nullopt;
    const bool keep = keepsGeometry(window);
    if (auto it = geometry_.find(window); keep && it != geometry_.end() && it->second.origin) return it->second.origin;
    auto reply = answer([&] { return xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr); });
    if (!reply) return std::nullopt;
    const QPoint origin(reply->dst_x, reply->dst_y);
    if (keep) geometry_[window].origin = origin;
    return origin;
}

}  // namespace zorbel::platform
