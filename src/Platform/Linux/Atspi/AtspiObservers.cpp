#include "Platform/Linux/Atspi/AtspiObservers.h"

#include "Platform/Linux/Atspi/AtspiDesktop.h"
#include "Platform/Linux/Atspi/AtspiElement.h"
#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiNode.h"
#include "Platform/Linux/Atspi/AtspiText.h"
#include "Platform/Linux/X11Desktop.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace zorbel::platform::atspi {

namespace {
constexpr std::size_t boundsMemory = 512;

bool starts(const QString& type, const char* prefix) { return type.startsWith(QLatin1String(prefix)); }
}  // namespace

ObserverRegistry& ObserverRegistry::instance()
{
    static ObserverRegistry* registry = new ObserverRegistry();
    return *registry;
}

ObserverRegistry::ObserverRegistry()
{
    EventHub::instance().subscribe([this](EventRecord& record) { dispatch(record); });
    auto& x11 = X11Desktop::instance();
    QObject::connect(&x11, &X11Desktop::windowConfigured, &x11,
                     [this](std::uint32_t window, std::int32_t pid, const QRect& geometry) {
                         windowConfigured(window, pid, geometry);
                     });
    // A later window with the same id must not be compared with this one's geometry.
    QObject::connect(&x11, &X11Desktop::windowDestroyed, &x11,
                     [this](std::uint32_t window) { lastWindowGeometry_.erase(window); });
    // When the bus goes the caret can no longer be known, and when a bus is
    // back the focused element has to be found again: observers hear that
    // the focus changed either way.
    Runtime::instance().onBusChange([this](bool) {
        std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
        for (const auto& weak : observers_) {
            if (auto observer = weak.lock())
                deliver({observer}, observer->pid,
                        {{QStringLiteral("AXFocusedUIElementChanged"), AtspiElement::application(observer->pid)}});
        }
    });
    // The focused element of a window that closed, or of a process that ended,
    // is gone: observers of the application hear that the focus changed.
    QObject::connect(&x11, &X11Desktop::clientWindowGone, &x11, [this](std::uint32_t, std::int32_t pid) {
        const auto interested = observersOf(pid);
        if (!interested.empty())
            deliver(interested, pid, {{QStringLiteral("AXFocusedUIElementChanged"), AtspiElement::application(pid)}});
    });
}

std::shared_ptr<AtspiObserver> ObserverRegistry::create(std::int32_t pid, AXObserverCallback callback)
{
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    auto observer = std::make_shared<AtspiObserver>(pid, std::move(callback));
    observers_.push_back(observer);
    return observer;
}

QString ObserverRegistry::boundsNotification(const EventRecord& record, bool window)
{
    const QString key = busName(record.source.get()) + objectPath(record.source.get());
    auto it = lastBounds_.find(key);
    const bool resized = it != lastBounds_.end() && it->second.size() != record.bounds.size();
    const bool moved = it == lastBounds_.end() || it->second.topLeft() != record.bounds.topLeft();
    if (lastBounds_.size() > boundsMemory) lastBounds_.clear();
    lastBounds_[key] = record.bounds;
    if (resized && !moved) return window ? QStringLiteral("AXWindowResized") : QStringLiteral("AXResized");
    return window ? QStringLiteral("AXWindowMoved") : QStringLiteral("AXMoved");
}

std::vector<std::pair<QString, AXElementRef>> ObserverRegistry::notificationsFor(const EventRecord& record)
{
    std::vector<std::pair<QString, AXElementRef>> out;
    const QString& type = record.type;
    auto add = [&](const char* name) { out.emplace_back(QLatin1String(name), AtspiElement::object(record.source)); };
    if (starts(type, "object:state-changed:focused")) {
        if (record.detail1 == 1 && !record.duplicate) add("AXFocusedUIElementChanged");
    } else if (starts(type, "object:text-caret-moved") || starts(type, "object:text-selection-changed")) {
        add("AXSelectedTextChanged");
    } else if (starts(type, "object:text-changed")) {
        add("AXValueChanged");
        // A text change moves the caret after it; GTK 4 sends no caret event
        // for some (an erased character).
        if (!record.withCaretEvent) add("AXSelectedTextChanged");
    } else if (starts(type, "window:activate")) {
        add("AXFocusedWindowChanged");
        add("AXMainWindowChanged");
    } else if (starts(type, "window:create")) {
        add("AXWindowCreated");
    } else if (starts(type, "window:destroy")) {
        add("AXUIElementDestroyed");
    } else if (starts(type, "object:bounds-changed")) {
        bool topLevel = false;
        Node(record.source.get(), 0).isTopLevel(topLevel);
        out.emplace_back(boundsNotification(record, topLevel), AtspiElement::object(record.source));
    }
    return out;
}

bool ObserverRegistry::covers(const AtspiObserver::Registration& registration, const AXElementRef& target,
                              std::int32_t pid) const
{
    const AtspiElement* registered = element(registration.element);
    if (!registered) return false;
    if (registered->kind() == AtspiElement::Kind::application) return registered->pid() == pid;
    if (registered->kind() != AtspiElement::Kind::object) return false;
    if (registration.element == target) return true;
    const AtspiElement* t = element(target);
    if (!t || t->kind() != AtspiElement::Kind::object) return false;
    AccPtr current = t->accessiblePtr();
    for (int depth = 0; depth < 64 && current; ++depth) {
        AccPtr up;
        if (Node(current.get(), 0).parent(up) != axcode::success) return false;
        if (up && sameObject(up.get(), registered->accessible())) return true;
        current = up;
    }
    return false;
}

std::vector<std::weak_ptr<AtspiObserver>> ObserverRegistry::observersOf(std::int32_t pid) const
{
    std::vector<std::weak_ptr<AtspiObserver>> interested;
    for (const auto& weak : observers_) {
        if (auto observer = weak.lock(); observer && observer->pid == pid && !observer->registrations.empty())
            interested.push_back(weak);
    }
    return interested;
}

void ObserverRegistry::deliver(const std::vector<std::weak_ptr<AtspiObserver>>& observers, std::int32_t pid,
                               const Notifications& notifications) const
{
    deliver(observers, notifications, [this, pid](const AtspiObserver::Registration& registration,
                                                  const AXElementRef& target) {
        return covers(registration, target, pid);
    });
}

void ObserverRegistry::deliver(const std::vector<std::weak_ptr<AtspiObserver>>& observers,
                               const Notifications& notifications, const Covers& covers)
{
    for (const auto& weak : observers) {
        for (const auto& [name, target] : notifications) {
            // Held only while its callback runs, so the callback outlives its own call.
            const auto observer = weak.lock();
            if (!observer) break;
            const auto& registrations = observer->registrations;
            const bool matched = std::any_of(registrations.begin(), registrations.end(), [&](const auto& r) {
                return r.notification == name && covers(r, target);
            });
            // The callback may stop the observer or drop its registrations.
            if (matched && observer->delivering && observer->callback) observer->callback(target, name, AXValue());
        }
    }
}

void ObserverRegistry::dispatch(const EventRecord& record)
{
    const auto interested = observersOf(record.pid);
    if (!interested.empty()) deliver(interested, record.pid, notificationsFor(record));
}

void ObserverRegistry::inputWithoutEdit()
{
    // Time for the application to take the key and tell what it did (a
    // caret event, which has a lookup of its own).
    constexpr auto keystroke = std::chrono::milliseconds(40);
    if (!QCoreApplication::instance()) return;
    const auto pressed = std::chrono::steady_clock::now();
    QTimer::singleShot(keystroke, QCoreApplication::instance(), [this, pressed] { checkCaretAfter(pressed); });
}

void ObserverRegistry::checkCaretAfter(std::chrono::steady_clock::time_point pressed)
{
    auto& facts = ObjectFacts::instance();
    const AccPtr object = facts.caretUntoldSince(pressed);
    if (!object) return;
    const auto pid = Runtime::instance().pidOf(object.get());
    const auto interested = pid ? observersOf(*pid) : std::vector<std::weak_ptr<AtspiObserver>>();
    if (interested.empty()) return;
    const Node node(object.get(), 0);
    const TextReader text(node);
    if (facts.caretMovedUntold(object.get(), [&text](int& offset) { return text.caretOffset(offset); }))
        deliver(interested, *pid, {{QStringLiteral("AXSelectedTextChanged"), AtspiElement::object(object)}});
}

void ObserverRegistry::windowConfigured(std::uint32_t window, std::int32_t pid, const QRect& geometry)
{
    auto previous = lastWindowGeometry_.find(window);
    const bool known = previous != lastWindowGeometry_.end();
    const bool moved = !known || previous->second.topLeft() != geometry.topLeft();
    const bool resized = known && previous->second.size() != geometry.size();
    lastWindowGeometry_[window] = geometry;
    const auto interested = observersOf(pid);
    if (interested.empty() || (!moved && !resized)) return;

    // The AT-SPI window of that X window: the one with its title, or the only one.
    const QString title = X11Desktop::instance().windowTitle(window);
    std::vector<AccPtr> windows;
    for (const AccPtr& app : applicationsOf(pid)) {
        std::vector<AccPtr> some;
        if (Node(app.get(), 0).children(some) == axcode::success) windows.insert(windows.end(), some.begin(), some.end());
    }
    AccPtr match = windows.size() == 1 ? windows.front() : AccPtr();
    for (const AccPtr& w : windows) {
        QString name;
        if (Node(w.get(), 0).name(name) == axcode::success && name == title) match = w;
    }
    if (!match) return;
    const AXElementRef element = AtspiElement::object(match);
    Notifications notifications;
    if (moved) notifications.emplace_back(QStringLiteral("AXWindowMoved"), element);
    if (resized) notifications.emplace_back(QStringLiteral("AXWindowResized"), element);
    deliver(interested, pid, notifications);
}

}  // namespace zorbel::platform::atspi
