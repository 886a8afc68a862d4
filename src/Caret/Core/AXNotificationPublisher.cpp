#include "Caret/Core/AXNotificationPublisher.h"

#include "Caret/Core/CancelBag.h"
#include "Caret/Core/Logger.h"
#include "Caret/Core/TimerPublisher.h"
#include "Platform/Console.h"

namespace zorbel {

namespace {

using platform::RunningApplicationRef;
using WeakApplication = std::weak_ptr<platform::RunningApplication>;

std::optional<QString> bundleIdentifierOf(const WeakApplication& application)
{
    const auto running = application.lock();
    return running ? running->bundleIdentifier() : std::nullopt;
}

std::optional<Role> roleOf(const UIElement& element)
{
    try {
        const auto text = element.attribute<QString>(Attribute::role);
        return text ? fromRawValue<Role>(*text) : std::nullopt;
    } catch (const AXError&) {
        return std::nullopt;
    }
}

struct Observation {
    WeakApplication application;
    std::vector<AXNotification> notifications;
    std::vector<Role> roles;
    AnySubscriber<AXNotificationEvent> subscriber;
    CancelBag bag;
    std::weak_ptr<Observer> observer;
};

// The observer's callback: follows new windows, passes the notification on.
void deliver(const std::shared_ptr<Observation>& state, const UIElement& element, AXNotification notification)
{
    const auto appName = bundleIdentifierOf(state->application);
    if (rawValue(notification) == QLatin1String("AXWindowCreated"))
        state->bag.store(addObservers(element, state->observer.lock(), state->roles, state->notifications, appName));
    // Held here: the subscriber may end the observation while it receives.
    const auto keep = state;
    keep->subscriber.receive(AXNotificationEvent{keep->application.lock(), notification});
    debugPrint(QStringLiteral("[DEBUG] AXNotification received: ") + caseName(notification) + QStringLiteral(" from ") +
               appName.value_or(QStringLiteral("unknown")));
}

rx::Cancellable observeApplication(const WeakApplication& application, const std::optional<UIElement>& element,
                                   const std::vector<AXNotification>& notifications, const std::vector<Role>& roles,
                                   const AnySubscriber<AXNotificationEvent>& subscriber)
{
    if (const auto running = application.lock()) enableAXEnhancedInterface(running);
    const auto running = application.lock();
    const auto axApplication = running ? Application::make(running) : std::nullopt;
    if (!axApplication) return rx::Cancellable();

    auto state = std::make_shared<Observation>(Observation{application, notifications, roles, subscriber, {}, {}});
    std::weak_ptr<Observation> weakState = state;
    // The callback holds the observation weakly: the observer is owned by
    // the cancellation, and the observation must not keep it alive.
    std::shared_ptr<Observer> observer =
        axApplication->createObserver([weakState](Observer&, const UIElement& e, AXNotification notification) {
            if (auto s = weakState.lock()) deliver(s, e, notification);
        });
    state->observer = observer;
    const UIElement root = element.value_or(*axApplication);
    state->bag.store(addObservers(root, observer, roles, notifications, running->bundleIdentifier()));
    return rx::Cancellable([state, observer] {
        state->bag.cancel();
        if (observer) observer->stop();
    });
}

}  // namespace

rx::Publisher<AXNotificationEvent> observeAccessibilityNotifications(const RunningApplicationRef& application,
                                                                     const std::optional<UIElement>& element,
                                                                     const std::vector<AXNotification>& notifications,
                                                                     const std::vector<Role>& roles)
{
    const rx::Publisher<AXNotificationEvent> observation =
        makeApplicationObservationPublisher(application, element, notifications, roles);
    return makeTimerPublisher(0.5).first().receiveOnMain().flatMap([observation](const double&) {
        return observation;
    });
}

CreatePublisher<AXNotificationEvent> makeApplicationObservationPublisher(const RunningApplicationRef& application,
                                                                         const std::optional<UIElement>& element,
                                                                         const std::vector<AXNotification>& notifications,
                                                                         const std::vector<Role>& roles)
{
    WeakApplication weak = application;
    return CreatePublisher<AXNotificationEvent>([weak, element, notifications, roles](auto subscriber) {
        return observeApplication(weak, element, notifications, roles, subscriber);
    });
}

rx::Cancellable addObservers(const UIElement& element, const std::shared_ptr<Observer>& observer,
                             const std::vector<Role>& roles, const std::vector<AXNotification>& notifications,
                             const std::optional<QString>& appName)
{
    const auto role = roleOf(element);
    if (!role || !roleIsObserved(*role, roles)) return rx::Cancellable();
    if (observer) {
        for (const auto notification : notifications) {
            try {
                observer->addNotification(notification, element);
            } catch (const AXError& error) {
                print(QStringLiteral("[ERROR] ") + appName.value_or(QStringLiteral("nil")) +
                      QStringLiteral(": Could not watch [") + element.description() + QStringLiteral("] with role ") +
                      rawValue(*role) + QStringLiteral(": ") + error.description());
                return rx::Cancellable();
            }
        }
    }
    debugPrint(QStringLiteral("[DEBUG] Added observers for role ") + caseName(*role) + QStringLiteral(" in ") +
               appName.value_or(QStringLiteral("unknown")));
    std::weak_ptr<Observer> weak = observer;
    return rx::Cancellable([weak, element, notifications] {
        const auto o = weak.lock();
        if (!o) return;
        for (const auto notification : notifications) {
            try {
                o->removeNotification(notification, element);
            } catch (const AXError&) {
                // The element or its process may be gone: nothing left to remove.
            }
        }
    });
}

bool roleIsObserved(Role role, const std::vector<Role>& roles)
{
    for (const auto candidate : roles)
        if (rawValue(candidate) == rawValue(role)) return true;
    return false;
}

void enableAXEnhancedInterface(const RunningApplicationRef& application)
{
    if (!application) return;
    const auto bundleIdentifier = application->bundleIdentifier();
    if (bundleIdentifier && bundleIdentifier->startsWith(QLatin1String("com.apple."))) return;
    setAttributeIfSettable(QStringLiteral("AXEnhancedUserInterface"), application);
    setAttributeIfSettable(QStringLiteral("AXManualAccessibility"), application);
}

void setAttributeIfSettable(const QString& attribute, const RunningApplicationRef& application)
{
    const auto axApplication = Application::make(application);
    if (!axApplication) return;
    try {
        if (!axApplication->attributeIsSettable(attribute)) return;
    } catch (const AXError&) {
        return;
    }
    try {
        if (axApplication->attribute<bool>(attribute) == true) return;
    } catch (const AXError&) {
        // Unreadable counts as not set.
    }
    try {
        axApplication->setAttribute(attribute, Value(true));
    } catch (const AXError&) {
        // The application refused; it keeps its reduced tree.
    }
}

}  // namespace zorbel
