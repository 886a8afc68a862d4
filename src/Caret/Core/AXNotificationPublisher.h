#pragma once

#include "AXLayer/Application.h"
#include "AXLayer/Observer.h"
#include "Caret/Core/CreatePublisher.h"
#include "Platform/Reactive/Publisher.h"
#include "Platform/Workspace.h"

#include <memory>
#include <optional>
#include <vector>

namespace zorbel {

// One accessibility notification of an observed application.
struct AXNotificationEvent {
    platform::RunningApplicationRef runningApp;
    AXNotification notification;
    friend bool operator==(const AXNotificationEvent&, const AXNotificationEvent&) = default;
};

// The accessibility notifications of one running application as a stream.
// Half a second after it is subscribed it switches the application's
// enhanced accessibility on, creates an observer for it, registers the
// notifications on the start element (the application's own element when
// none is given, which covers all its elements) when its role is one of
// `roles`, follows windows created later, and sends one event per
// notification. Cancelling removes every registration and stops the
// observer. The stream never finishes by itself. Each call makes an
// independent stream.
rx::Publisher<AXNotificationEvent> observeAccessibilityNotifications(const platform::RunningApplicationRef& application,
                                                                     const std::optional<UIElement>& element,
                                                                     const std::vector<AXNotification>& notifications,
                                                                     const std::vector<Role>& roles);

// The stream without the half-second wait; holds the application weakly.
CreatePublisher<AXNotificationEvent> makeApplicationObservationPublisher(
    const platform::RunningApplicationRef& application, const std::optional<UIElement>& element,
    const std::vector<AXNotification>& notifications, const std::vector<Role>& roles);

// Registers the notifications on the element when its role is observed; the
// handle removes them again. Without an observer nothing is registered.
// appName is the application's bundle identifier, for the console lines.
rx::Cancellable addObservers(const UIElement& element, const std::shared_ptr<Observer>& observer,
                             const std::vector<Role>& roles, const std::vector<AXNotification>& notifications,
                             const std::optional<QString>& appName);

bool roleIsObserved(Role role, const std::vector<Role>& roles);

// Asks an application outside the "com.apple." family to expose its full
// accessibility tree ("AXEnhancedUserInterface", "AXManualAccessibility").
void enableAXEnhancedInterface(const platform::RunningApplicationRef& application);
// Sets the application's attribute to true when it is settable and not true
// already; failures are ignored.
void setAttributeIfSettable(const QString& attribute, const platform::RunningApplicationRef& application);

}  // namespace zorbel
