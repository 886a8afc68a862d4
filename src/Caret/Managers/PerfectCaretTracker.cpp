#include "Caret/Managers/PerfectCaretTracker.h"

#include "AXLayer/Application.h"
#include "AXLayer/SystemWideElement.h"
#include "Caret/Core/AXNotificationPublisher.h"
#include "Caret/Core/CaretGeometry.h"
#include "Caret/Core/Logger.h"
#include "Caret/Core/TimerPublisher.h"
#include "Platform/Console.h"
#include "Platform/LatencyTrace.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"

#include <cmath>

namespace zorbel {

namespace {

using platform::RunningApplicationRef;

const QString kPrefix = QStringLiteral("[PerfectCaretTracker] ");
constexpr double kThrottleInterval = 0.010;
// Lookups that may follow one another at once before the throttle holds them
// to one per interval: a keystroke whose events come in two batches and the
// next keystroke are all looked up without waiting, while a flood of events
// still costs at most one lookup per interval.
constexpr int kLookupBurst = 3;
constexpr double kDeadBand = 1.0;
constexpr double kClickPostDelay = 0.15;
constexpr double kSwitchPostDelay = 0.2;
constexpr double kObservationDelay = 0.5;
// An application still setting up (LibreOffice opening a document) cannot
// answer for a while after it took the focus, and may announce nothing once
// it can: it is asked again, twice a second, for ten seconds after the last
// event at most.
constexpr double kRetryInterval = 0.5;
constexpr int kRetries = 20;

QString nameOf(const RunningApplicationRef& application)
{
    const auto name = application ? application->localizedName() : std::nullopt;
    return name.value_or(QStringLiteral("Unknown"));
}

// A caret rectangle stands for the caret at its left edge, halfway up; the
// element frame for the element's top-left corner.
QPointF caretPoint(const FocusedCaretRect& found)
{
    const QRectF r = found.rect.normalized();
    if (found.isElementFrame) return {r.left(), r.bottom()};
    return {found.rect.x(), r.center().y()};
}

// The workspace's did-activate-application notifications, as applications.
rx::Publisher<RunningApplicationRef> activatedApplications()
{
    return rx::Publisher<RunningApplicationRef>([](rx::Subscriber<RunningApplicationRef> down) {
        auto token = std::make_shared<platform::NotificationToken>(platform::workspace().notificationCenter().addObserver(
            QString::fromLatin1(platform::WorkspaceService::didActivateApplicationNotification),
            [receive = std::move(down.receive)](const platform::Notification& n) {
                receive(platform::WorkspaceService::applicationFrom(n));
            }));
        return rx::Cancellable([token] { token->remove(); });
    });
}

void postFunctionKeyEvent(const QVariantMap& userInfo)
{
    platform::notificationCenter().post(QString::fromLatin1(PerfectCaretTracker::functionKeyEventNotification), {},
                                        userInfo);
}

}  // namespace

PerfectCaretTracker::PerfectCaretTracker() = default;

PerfectCaretTracker::~PerfectCaretTracker()
{
    *self_ = nullptr;
    rx::cancelAll(cancellables_);
    if (retry_) retry_->cancel();
}

const std::vector<AXNotification>& PerfectCaretTracker::observedNotifications()
{
    static const std::vector<AXNotification> notifications{
        AXNotification::focusedUIElementChanged, AXNotification::selectedTextChanged, AXNotification::windowMoved,
        AXNotification::moved};
    return notifications;
}

const std::vector<Role>& PerfectCaretTracker::observedRoles()
{
    static const std::vector<Role> roles{Role::application, Role::window, Role::textField, Role::textArea,
                                         Role::comboBox};
    return roles;
}

void PerfectCaretTracker::startTracking()
{
    if (isTracking_.get()) return;
    isTracking_.set(true);
    makeEventPublisher()
        .sink([self = self_](const Event&) {
            if (*self) (*self)->updateCaretPosition();
        })
        .store(cancellables_);
    if (auto front = platform::workspace().frontmostApplication()) {
        currentApp_ = front;
        enableAccessibility(front);
    }
    updateCaretPosition();
}

void PerfectCaretTracker::stopTracking()
{
    if (!isTracking_.get()) return;
    isTracking_.set(false);
    rx::cancelAll(cancellables_);
    if (retry_) retry_->cancel();
    currentCaretPosition_.set(std::nullopt);
    lastPosition_.reset();
}

void PerfectCaretTracker::updateCaretPosition() { lookUp(false); }

void PerfectCaretTracker::lookUp(bool retry)
{
    // A lookup queued before tracking stopped must not show the indicator
    // again while it is switched off.
    if (!isTracking_.get()) return;
    if (retry_) retry_->cancel();
    if (!retry) retriesLeft_ = kRetries;
    platform::latency::lookupStarted();
    const auto p = getCaretPosition();
    if (couldNotAnswer_ && retriesLeft_ > 0) {
        --retriesLeft_;
        retry_ = platform::scheduler().after(kRetryInterval, [self = self_] {
            if (*self) (*self)->lookUp(true);
        });
    }
    const bool moved = p && !(lastPosition_ && std::hypot(p->x() - lastPosition_->x(), p->y() - lastPosition_->y()) < kDeadBand);
    platform::latency::lookupEnded(moved);
    if (!p) {
        // Said once per application and reason, not at every event.
        if (!noTextReason_.isEmpty() && noTextReason_ != reasonSaid_) {
            reasonSaid_ = noTextReason_;
            Logger::shared().debug(QStringLiteral("No caret: ") + nameOf(currentApp_) +
                                       QStringLiteral(" is in front and offers no accessible text (") +
                                       noTextReason_ + QLatin1Char(')'),
                                   ZHERE("updateCaretPosition()"));
        }
        if (!currentCaretPosition_.get()) return;
        currentCaretPosition_.set(std::nullopt);
        lastPosition_.reset();
        return;
    }
    reasonSaid_.clear();
    if (!moved) return;
    currentCaretPosition_.set(p);
    lastPosition_ = p;
}

std::optional<QPointF> PerfectCaretTracker::getCaretPosition()
{
    noTextReason_.clear();
    couldNotAnswer_ = false;
    const auto application = currentApp_ ? Application::make(currentApp_) : std::nullopt;
    if (!application) {
        if (currentApp_) noTextReason_ = QStringLiteral("it has ended");
        return std::nullopt;
    }
    std::optional<UIElement> focused;
    try {
        focused = application->attribute<UIElement>(QStringLiteral("AXFocusedUIElement"));
    } catch (const AXError& error) {
        noTextReason_ = QStringLiteral("its focused element cannot be read: ") + error.description();
        couldNotAnswer_ = error.code() == AXError::cannotComplete.code();
        return std::nullopt;
    }
    if (!focused) {
        std::optional<std::vector<UIElement>> windows;
        try {
            windows = application->windows();
        } catch (const AXError&) {
        }
        noTextReason_ = windows && !windows->empty()
                            ? QStringLiteral("nothing in it has the keyboard focus")
                            : QStringLiteral("it shows no window to accessibility: it has no accessibility "
                                             "support, or that support is off");
        return std::nullopt;
    }
    if (!isTextElement(focused)) {
        noTextReason_ = QStringLiteral("its focused element takes no text");
        return std::nullopt;
    }
    const auto found = focusedCaretRect(systemWideElement());
    return found ? std::optional<QPointF>(caretPoint(*found)) : std::nullopt;
}

void PerfectCaretTracker::enableAccessibility(const RunningApplicationRef& application)
{
    const auto bundleIdentifier = application ? application->bundleIdentifier() : std::nullopt;
    if (!bundleIdentifier || bundleIdentifier->startsWith(QLatin1String("com.apple."))) return;
    const auto axApplication = Application::make(application);
    if (!axApplication) return;
    for (const auto& name : {QStringLiteral("AXEnhancedUserInterface"), QStringLiteral("AXManualAccessibility")}) {
        try {
            if (axApplication->attributeIsSettable(name)) axApplication->setAttribute(name, Value(true));
        } catch (const AXError&) {
            // Not settable, or refused: the application keeps its reduced tree.
        }
    }
}

rx::Publisher<PerfectCaretTracker::Event> PerfectCaretTracker::makeEventPublisher()
{
    // One application is observed at a time: the frontmost one from the
    // start, then each newly activated one; the observation of the one
    // before ends when the next begins, so background applications do not
    // keep triggering lookups.
    const auto applications =
        applicationObservations().switchMap([](const rx::Publisher<Event>& observation) { return observation; });
    // The events of one batch (a keystroke's text change and caret move) make
    // one lookup, on the next turn, when all of them are in: otherwise the
    // later ones would bring a second lookup 10 ms on, for nothing, and a next
    // keystroke heard meanwhile would wait for it.
    return rx::Publisher<Event>::merge(applications, makeMouseDownPublisher())
        .latestOnNextTurn()
        .throttleLatest(kThrottleInterval, kLookupBurst);
}

rx::Publisher<rx::Publisher<PerfectCaretTracker::Event>> PerfectCaretTracker::applicationObservations()
{
    using Observations = rx::Publisher<rx::Publisher<Event>>;
    const Observations frontmost([self = self_](rx::Subscriber<rx::Publisher<Event>> down) {
        const auto front = platform::workspace().frontmostApplication();
        if (front && *self) down.receive(observeApplicationEvents(front));
        return rx::Cancellable();
    });
    const auto switches = activatedApplications()
                              .filter([](const RunningApplicationRef& app) { return app != nullptr; })
                              .removeDuplicates()
                              .map([self = self_](const RunningApplicationRef& app) {
                                  return *self ? (*self)->handleApplicationSwitch(app) : rx::Publisher<Event>::empty();
                              });
    return Observations::merge(frontmost, switches);
}

rx::Publisher<PerfectCaretTracker::Event> PerfectCaretTracker::handleApplicationSwitch(
    const RunningApplicationRef& application)
{
    debugPrint(kPrefix + QStringLiteral("Application switched to: ") + nameOf(application));
    currentApp_ = application;
    reasonSaid_.clear();
    enableAccessibility(application);
    auto& scheduler = platform::scheduler();
    scheduler.post([self = self_] {
        if (*self) (*self)->updateCaretPosition();
    });
    scheduler.after(kSwitchPostDelay, [self = self_, application] {
        if (*self) (*self)->postAppSwitchEvent(application);
    });
    return observeApplicationEvents(application);
}

rx::Publisher<PerfectCaretTracker::Event> PerfectCaretTracker::observeApplicationEvents(
    const RunningApplicationRef& application)
{
    const auto notifications =
        observeAccessibilityNotifications(application, std::nullopt, observedNotifications(), observedRoles())
            .map([](const AXNotificationEvent&) { return Event{}; });
    // The observation begins a moment after the switch: what the user typed
    // before then sent no notification that was heard, so the caret is read
    // once more when it begins.
    const auto begun = makeTimerPublisher(kObservationDelay).first().map([](const double&) { return Event{}; });
    return rx::Publisher<Event>::merge(notifications, begun);
}

rx::Publisher<PerfectCaretTracker::Event> PerfectCaretTracker::makeMouseDownPublisher()
{
    return CreatePublisher<Event>([self = self_](AnySubscriber<Event> subscriber) {
        auto monitor = std::make_shared<platform::EventMonitorToken>(platform::eventMonitor().addGlobalMonitor(
            platform::GlobalEventType::leftMouseDown, [self, subscriber](const platform::GlobalEvent& event) {
                if (*self) (*self)->handleGlobalMouseDown(event, subscriber);
            }));
        return rx::Cancellable([monitor] { monitor->remove(); });
    });
}

void PerfectCaretTracker::handleGlobalMouseDown(const platform::GlobalEvent&, const AnySubscriber<Event>& subscriber)
{
    subscriber.receive(Event{});
    platform::scheduler().after(kClickPostDelay, [self = self_] {
        if (*self) (*self)->postMouseClickEvent();
    });
}

void PerfectCaretTracker::postAppSwitchEvent(const RunningApplicationRef& application)
{
    debugPrint(kPrefix + QStringLiteral("Posting functionKeyEvent for app switch"));
    postFunctionKeyEvent({{QStringLiteral("source"), QStringLiteral("applicationSwitch")},
                          {QStringLiteral("appName"), nameOf(application)}});
}

void PerfectCaretTracker::postMouseClickEvent()
{
    debugPrint(kPrefix + QStringLiteral("Posting functionKeyEvent for mouse click"));
    postFunctionKeyEvent({{QStringLiteral("source"), QStringLiteral("mouseClick")}});
}

}  // namespace zorbel
