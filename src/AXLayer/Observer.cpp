#include "AXLayer/Observer.h"

#include "Platform/LogSink.h"
#include "Platform/Services.h"

namespace zorbel {

namespace axcode = platform::axcode;

namespace {
platform::AccessibilityService& ax() { return platform::accessibility(); }

void check(platform::AXCode code)
{
    if (code != axcode::success) throw AXError(code);
}

// A line in the system log as it stands, without the logger's prefix.
void systemLog(const QString& line)
{
    platform::writeLogLine(platform::LogSeverity::notice, line);
}

std::optional<ObserverInformation> informationFrom(const platform::AXValue& info)
{
    const auto* entries = info.dictionary();
    if (!entries) return std::nullopt;
    ObserverInformation out;
    for (const auto& [key, value] : *entries) out.insert_or_assign(key, UIElement::decodeValue(value));
    return out;
}
}  // namespace

Observer::Observer(std::int32_t processID, Callback callback) : pid_(processID), callback_(std::move(callback))
{
    create();
}

Observer::Observer(std::int32_t processID, CallbackWithInfo callbackWithInfo)
    : pid_(processID), callbackWithInfo_(std::move(callbackWithInfo))
{
    create();
}

// Releasing the platform observer ends its registrations and delivery.
Observer::~Observer() = default;

void Observer::create()
{
    platform::AXObserverRef observer;
    check(ax().createObserver(
        pid_, [this](const auto& element, const auto& name, const auto& info) { deliver(element, name, info); },
        observer));
    axObserver_ = std::move(observer);
}

void Observer::start() { ax().setObserverDelivering(axObserver_, true); }

void Observer::stop() { ax().setObserverDelivering(axObserver_, false); }

void Observer::addNotification(AXNotification notification, const UIElement& element)
{
    const auto code = ax().addNotification(axObserver_, element.element(), rawValue(notification));
    if (code == axcode::notificationAlreadyRegistered) return;
    check(code);
}

void Observer::removeNotification(AXNotification notification, const UIElement& element)
{
    const auto code = ax().removeNotification(axObserver_, element.element(), rawValue(notification));
    if (code == axcode::notificationNotRegistered) return;
    check(code);
}

Application& Observer::application()
{
    if (!application_) application_.emplace(ax().applicationElement(pid_));
    return *application_;
}

void Observer::deliver(const platform::AXElementRef& element, const QString& name, const platform::AXValue& info)
{
    const auto notification = fromRawValue<AXNotification>(name);
    if (!notification) {
        systemLog(QStringLiteral("Unknown AX notification %1 received").arg(name));
        return;
    }
    const UIElement wrapped(element);
    // The callback may destroy this observer: it runs last, from copies.
    if (callbackWithInfo_) {
        auto callback = callbackWithInfo_;
        callback(*this, wrapped, *notification, informationFrom(info));
    } else if (callback_) {
        auto callback = callback_;
        callback(*this, wrapped, *notification);
    }
}

}  // namespace zorbel
