#include "Platform/Linux/AtspiAccessibility.h"

#include "Platform/Linux/A11yStatus.h"
#include "Platform/Linux/X11Desktop.h"
#include "Platform/Linux/Atspi/AtspiElement.h"
#include "Platform/Linux/Atspi/AtspiEvents.h"
#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiFocus.h"
#include "Platform/Linux/Atspi/AtspiObjectAttributes.h"
#include "Platform/Linux/Atspi/AtspiObservers.h"
#include "Platform/Linux/Atspi/AtspiRootAttributes.h"
#include "Platform/LogSink.h"

#include <set>

namespace zorbel::platform {

using namespace atspi;

namespace {
float timeoutOf(const AtspiElement& e) { return e.timeout(); }

// The trackers subscribe before the hub starts, so they see every event;
// remembered facts are brought up to date before anyone hears of an event.
bool ensureStarted()
{
    ObjectFacts::instance();
    FocusTracker::instance();
    ObserverRegistry::instance();
    return EventHub::instance().start();
}

// Runs one operation on whichever kind of element it is.
template <class OnObject, class OnRoot>
AXCode withElement(const AXElementRef& ref, OnObject onObject, OnRoot onRoot)
{
    const AtspiElement* e = element(ref);
    if (!e) return axcode::illegalArgument;
    if (!ensureStarted()) return axcode::apiDisabled;
    if (e->kind() == AtspiElement::Kind::object) return onObject(ObjectAttributes(ref, *e, timeoutOf(*e)));
    return onRoot(RootAttributes(*e, timeoutOf(*e)));
}

bool isArray(const AXValue& value) { return value.array() != nullptr; }

void logOnce(const QString& reason)
{
    static std::set<QString> logged;
    if (logged.insert(reason).second) ZORBEL_PLATFORM_ERROR(QStringLiteral("Accessibility is not available: ") + reason);
}
}  // namespace

AtspiAccessibilityService::AtspiAccessibilityService() { ensureStarted(); }

void AtspiAccessibilityService::inputWithoutEdit() { ObserverRegistry::instance().inputWithoutEdit(); }

AXElementRef AtspiAccessibilityService::systemWideElement() { return AtspiElement::systemWide(); }

AXElementRef AtspiAccessibilityService::applicationElement(std::int32_t pid) { return AtspiElement::application(pid); }

bool AtspiAccessibilityService::isProcessTrusted(bool prompt)
{
    auto& runtime = Runtime::instance();
    if (!runtime.available()) {
        logOnce(runtime.unavailableReason());
        return false;
    }
    ensureStarted();
    const auto enabled = a11ystatus::isEnabled();
    if (!enabled) {
        logOnce(QStringLiteral("the desktop's accessibility status (org.a11y.Status) does not answer"));
        return false;
    }
    if (!*enabled) {
        logOnce(QStringLiteral("accessibility is turned off on this desktop (org.a11y.Status IsEnabled is false)"));
        if (prompt)
            ZORBEL_PLATFORM_INFO(QStringLiteral("Turn on the desktop's assistive technologies (for GNOME: gsettings set "
                                                "org.gnome.desktop.interface toolkit-accessibility true), then "
                                                "restart the applications to be followed"));
        return false;
    }
    return true;
}

AXCode AtspiAccessibilityService::attributeNames(const AXElementRef& ref, QStringList& names)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.names(names); },
        [&](const RootAttributes& r) { return r.names(names); });
}

AXCode AtspiAccessibilityService::attributeValue(const AXElementRef& ref, const QString& attribute, AXValue& value)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.read(attribute, value); },
        [&](const RootAttributes& r) { return r.read(attribute, value); });
}

AXCode AtspiAccessibilityService::attributeValueCount(const AXElementRef& ref, const QString& attribute,
                                                      std::int64_t& count)
{
    AXValue value;
    if (AXCode code = attributeValue(ref, attribute, value)) return code;
    if (!isArray(value)) return axcode::illegalArgument;
    count = static_cast<std::int64_t>(value.array()->size());
    return axcode::success;
}

AXCode AtspiAccessibilityService::attributeValues(const AXElementRef& ref, const QString& attribute,
                                                  std::int64_t index, std::int64_t maxCount, AXValue::Array& values)
{
    AXValue value;
    values.clear();
    if (AXCode code = attributeValue(ref, attribute, value)) return code == axcode::noValue && maxCount == 0 ? 0 : code;
    if (index < 0 || maxCount < 0) return axcode::illegalArgument;
    // Asking for no values only tests that the attribute exists.
    if (maxCount == 0) return axcode::success;
    if (!isArray(value)) return axcode::illegalArgument;
    const auto& all = *value.array();
    for (std::int64_t i = index; i < static_cast<std::int64_t>(all.size()) && i - index < maxCount; ++i)
        values.push_back(all[static_cast<std::size_t>(i)]);
    return axcode::success;
}

AXCode AtspiAccessibilityService::multipleAttributeValues(const AXElementRef& ref, const QStringList& attributes,
                                                          AXValue::Array& values)
{
    values.clear();
    for (const QString& name : attributes) {
        AXValue value;
        const AXCode code = attributeValue(ref, name, value);
        if (code == axcode::invalidUIElement || code == axcode::cannotComplete || code == axcode::apiDisabled ||
            code == axcode::illegalArgument)
            return code;
        if (code == axcode::noValue || code == axcode::attributeUnsupported) values.emplace_back();
        else if (code) values.emplace_back(AXErrorMarker{code});
        else values.push_back(std::move(value));
    }
    return axcode::success;
}

AXCode AtspiAccessibilityService::isAttributeSettable(const AXElementRef& ref, const QString& attribute,
                                                      bool& settable)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.settable(attribute, settable); },
        [&](const RootAttributes& r) { return r.settable(attribute, settable); });
}

AXCode AtspiAccessibilityService::setAttributeValue(const AXElementRef& ref, const QString& attribute,
                                                    const AXValue& value)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.write(attribute, value); },
        [&](const RootAttributes& r) { return r.write(attribute, value); });
}

AXCode AtspiAccessibilityService::parameterizedAttributeNames(const AXElementRef& ref, QStringList& names)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.parameterizedNames(names); },
        [&](const RootAttributes& r) {
            QStringList ignored;
            const AXCode code = r.names(ignored);
            names.clear();
            return code;
        });
}

AXCode AtspiAccessibilityService::parameterizedAttributeValue(const AXElementRef& ref, const QString& attribute,
                                                              const AXValue& parameter, AXValue& value)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.readParameterized(attribute, parameter, value); },
        [&](const RootAttributes& r) {
            QStringList ignored;
            const AXCode code = r.names(ignored);
            return code ? code : axcode::attributeUnsupported;
        });
}

AXCode AtspiAccessibilityService::actionNames(const AXElementRef& ref, QStringList& names)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.actionNames(names); },
        [&](const RootAttributes&) {
            names.clear();
            return axcode::success;
        });
}

AXCode AtspiAccessibilityService::actionDescription(const AXElementRef& ref, const QString& action,
                                                    QString& description)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.actionDescription(action, description); },
        [&](const RootAttributes&) { return axcode::actionUnsupported; });
}

AXCode AtspiAccessibilityService::performAction(const AXElementRef& ref, const QString& action)
{
    return withElement(
        ref, [&](const ObjectAttributes& o) { return o.performAction(action); },
        [&](const RootAttributes&) { return axcode::actionUnsupported; });
}

AXCode AtspiAccessibilityService::pid(const AXElementRef& ref, std::int32_t& pid)
{
    const AtspiElement* e = element(ref);
    if (!e || e->kind() == AtspiElement::Kind::systemWide) return axcode::illegalArgument;
    auto& runtime = Runtime::instance();
    std::optional<std::int32_t> found = e->pid();
    if (e->kind() == AtspiElement::Kind::object) {
        if (!runtime.available()) return axcode::apiDisabled;
        found = runtime.pidOf(e->accessible());
    }
    if (!found || !runtime.processAlive(*found)) return axcode::invalidUIElement;
    pid = *found;
    return axcode::success;
}

AXCode AtspiAccessibilityService::elementAtPosition(const AXElementRef& root, float x, float y,
                                                    AXElementRef& found)
{
    const QPointF point(x, y);
    return withElement(
        root, [&](const ObjectAttributes& o) { return o.elementAt(point, found); },
        [&](const RootAttributes& r) { return r.elementAt(point, found); });
}

AXCode AtspiAccessibilityService::setMessagingTimeout(const AXElementRef& ref, float seconds)
{
    const AtspiElement* e = element(ref);
    if (!e || seconds < 0) return axcode::illegalArgument;
    e->setTimeout(seconds);
    if (e->kind() == AtspiElement::Kind::systemWide) Runtime::instance().setGlobalTimeout(seconds);
    return axcode::success;
}

AXCode AtspiAccessibilityService::createObserver(std::int32_t pid, AXObserverCallback callback,
                                                 AXObserverRef& observer)
{
    if (!ensureStarted()) return axcode::apiDisabled;
    if (pid <= 0 || !Runtime::instance().processAlive(pid)) return axcode::invalidUIElement;
    if (!callback) return axcode::illegalArgument;
    observer = ObserverRegistry::instance().create(pid, std::move(callback));
    return axcode::success;
}

AXCode AtspiAccessibilityService::addNotification(const AXObserverRef& ref, const AXElementRef& target,
                                                  const QString& notification)
{
    auto* observer = dynamic_cast<AtspiObserver*>(ref.get());
    if (!observer) return axcode::invalidUIElementObserver;
    std::int32_t owner = 0;
    if (AXCode code = pid(target, owner)) return code == axcode::illegalArgument ? axcode::illegalArgument : code;
    if (owner != observer->pid) return axcode::illegalArgument;
    if (!Runtime::instance().processAlive(owner)) return axcode::invalidUIElement;
    for (const auto& r : observer->registrations)
        if (r.notification == notification && r.element == target) return axcode::notificationAlreadyRegistered;
    observer->registrations.push_back({target, notification});
    if (notification.endsWith(QLatin1String("Moved")) || notification.endsWith(QLatin1String("Resized")))
        X11Desktop::instance().watchWindowsOf(owner);
    return axcode::success;
}

AXCode AtspiAccessibilityService::removeNotification(const AXObserverRef& ref, const AXElementRef& target,
                                                     const QString& notification)
{
    auto* observer = dynamic_cast<AtspiObserver*>(ref.get());
    if (!observer) return axcode::invalidUIElementObserver;
    auto& list = observer->registrations;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->notification == notification && it->element == target) {
            list.erase(it);
            return axcode::success;
        }
    }
    return axcode::notificationNotRegistered;
}

void AtspiAccessibilityService::setObserverDelivering(const AXObserverRef& ref, bool delivering)
{
    if (auto* observer = dynamic_cast<AtspiObserver*>(ref.get())) observer->delivering = delivering;
}

}  // namespace zorbel::platform
