#pragma once

#include "AXLayer/Application.h"
#include "Platform/Accessibility.h"

#include <cstdint>
#include <optional>

namespace zorbel {

// Delivers the accessibility notifications of one process to a callback, on
// the main loop, from creation until stop() or destruction (which ends every
// registration). A name the layer does not know is logged and dropped.
class Observer {
public:
    using Callback = ObserverCallback;
    using CallbackWithInfo = ObserverCallbackWithInfo;

    // Both throw the platform's AXError when the process cannot be observed.
    Observer(std::int32_t processID, Callback callback);
    Observer(std::int32_t processID, CallbackWithInfo callbackWithInfo);
    ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    std::int32_t pid() const { return pid_; }
    // Registrations stay while stopped; nothing is delivered.
    void start();
    void stop();
    // Registering twice, or removing what is not registered, is no failure.
    void addNotification(AXNotification notification, const UIElement& element);
    void removeNotification(AXNotification notification, const UIElement& element);
    // The observed process's application element, made on first use.
    Application& application();

private:
    void create();
    void deliver(const platform::AXElementRef& element, const QString& name, const platform::AXValue& info);

    std::int32_t pid_;
    platform::AXObserverRef axObserver_;
    Callback callback_;
    CallbackWithInfo callbackWithInfo_;
    std::optional<Application> application_;
};

}  // namespace zorbel
