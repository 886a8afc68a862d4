#pragma once

#include "AXLayer/Enumerations.h"
#include "Caret/Core/CreatePublisher.h"
#include "Platform/EventMonitor.h"
#include "Platform/Reactive/Published.h"
#include "Platform/Scheduler.h"
#include "Platform/Workspace.h"

#include <QPointF>

#include <memory>
#include <optional>
#include <vector>

namespace zorbel {

// Turns user activity into caret positions without polling: application
// activations, global left clicks and the active application's focus,
// selection and move notifications are merged, throttled to one event per
// 10 ms (latest wins), and each surviving event looks the caret up and
// publishes its screen point (Cocoa coordinates). Clicks and application
// switches are also announced as "functionKeyEvent". Main thread only.
class PerfectCaretTracker {
public:
    // An event of the merged stream; it carries no data.
    struct Event {
        friend bool operator==(const Event&, const Event&) = default;
    };

    PerfectCaretTracker();
    ~PerfectCaretTracker();
    PerfectCaretTracker(const PerfectCaretTracker&) = delete;
    PerfectCaretTracker& operator=(const PerfectCaretTracker&) = delete;

    void startTracking();
    void stopTracking();
    // One lookup and publication. While tracking is off nothing is published.
    void updateCaretPosition();
    // The lookup: the caret's point in the current application, if any.
    std::optional<QPointF> getCaretPosition();
    void enableAccessibility(const platform::RunningApplicationRef& application);

    rx::Publisher<Event> makeEventPublisher();
    rx::Publisher<Event> handleApplicationSwitch(const platform::RunningApplicationRef& application);
    rx::Publisher<Event> makeMouseDownPublisher();
    void handleGlobalMouseDown(const platform::GlobalEvent& event, const AnySubscriber<Event>& subscriber);
    void postAppSwitchEvent(const platform::RunningApplicationRef& application);
    void postMouseClickEvent();

    bool isTracking() const { return isTracking_.get(); }
    rx::Publisher<bool> isTrackingPublisher() const { return isTracking_.publisher(); }
    std::optional<QPointF> currentCaretPosition() const { return currentCaretPosition_.get(); }
    rx::Publisher<std::optional<QPointF>> currentCaretPositionPublisher() const
    {
        return currentCaretPosition_.publisher();
    }

    // What is observed in the active application.
    static const std::vector<AXNotification>& observedNotifications();
    static const std::vector<Role>& observedRoles();

    static constexpr const char* functionKeyEventNotification = "functionKeyEvent";

private:
    using Self = std::shared_ptr<PerfectCaretTracker*>;
    static rx::Publisher<Event> observeApplicationEvents(const platform::RunningApplicationRef& application);
    rx::Publisher<rx::Publisher<Event>> applicationObservations();
    void lookUp(bool retry);

    rx::CancellableSet cancellables_;
    rx::Published<std::optional<QPointF>> currentCaretPosition_;
    rx::Published<bool> isTracking_{false};
    std::optional<QPointF> lastPosition_;
    platform::RunningApplicationRef currentApp_;
    // Why the latest lookup found no text in the application in front (an
    // application without accessibility, an image viewer), and the reason
    // last logged.
    QString noTextReason_;
    QString reasonSaid_;
    // Whether the latest lookup failed because the application could not
    // answer yet, and what is left of the asking again that follows.
    bool couldNotAnswer_ = false;
    int retriesLeft_ = 0;
    platform::TimerRef retry_;
    // Jobs queued on the main loop and stream callbacks must not outlive the tracker.
    Self self_ = std::make_shared<PerfectCaretTracker*>(this);
};

}  // namespace zorbel
