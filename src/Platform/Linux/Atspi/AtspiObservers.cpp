#include "Platform/Linux/Atspi/AtspiObservers.h"

#include "Platform/Linux/Atspi/AtspiElement.h"
#include "Platform/Linux/Atspi/AtspiNode.h"

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

void ObserverRegistry::dispatch(const EventRecord& record)
{
    std::vector<std::shared_ptr<AtspiObserver>> interested;
    for (const auto& weak : observers_) {
        if (auto observer = weak.lock(); observer && observer->pid == record.pid && !observer->registrations.empty())
            interested.push_back(std::move(observer));
    }
    if (interested.empty()) return;
    const auto notifications = notificationsFor(record);
    for (const auto& observer : interested) {
        for (const auto& [name, target] : notifications) {
            bool matched = false;
            for (const auto& registration : observer->registrations) {
                if (registration.notification == name && covers(registration, target, record.pid)) {
                    matched = true;
                    break;
                }
            }
            // The callback may stop the observer or drop its registrations.
            if (matched && observer->delivering && observer->callback) observer->callback(target, name, AXValue());
        }
    }
}

}  // namespace zorbel::platform::atspi
