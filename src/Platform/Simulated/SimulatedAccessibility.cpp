#include "Platform/Simulated/SimulatedAccessibility.h"

#include "Platform/Simulated/SimulatedDesktop.h"

#include <algorithm>

namespace zorbel::platform {

namespace {
const QString kNoName;
}  // namespace

AXElementRef SimulatedAccessibility::systemWideElement() { return desktop_.systemWide().ref(); }

AXElementRef SimulatedAccessibility::applicationElement(std::int32_t pid) { return desktop_.applicationRef(pid); }

bool SimulatedAccessibility::isProcessTrusted(bool prompt)
{
    desktop_.noteTrustCheck(prompt);
    return desktop_.isTrusted();
}

AXCode SimulatedAccessibility::attributeNames(const AXElementRef& element, QStringList& names)
{
    return answer("attributeNames", element, kNoName, [&](SimulatedElement& node) {
        names = node.attributeNames();
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::attributeValue(const AXElementRef& element, const QString& attribute, AXValue& value)
{
    return answer("attributeValue", element, attribute, [&](SimulatedElement& node) {
        return node.attributeValue(attribute, value);
    });
}

AXCode SimulatedAccessibility::answer(const char* operation, const AXElementRef& element, const QString& name,
                                      const std::function<AXCode(SimulatedElement&)>& reply)
{
    SimulatedElement* node = nullptr;
    if (const auto code = desktop_.admit(QString::fromLatin1(operation), element, name, node); code) return code;
    return reply(*node);
}

AXCode SimulatedAccessibility::readOne(const AXElementRef& element, const QString& attribute, AXValue& value)
{
    SimulatedElement* node = desktop_.resolve(element);
    if (const auto code = desktop_.forcedCode(QStringLiteral("attributeValue"), node, attribute); code) return code;
    return node->attributeValue(attribute, value);
}

AXCode SimulatedAccessibility::attributeValueCount(const AXElementRef& element, const QString& attribute,
                                                   std::int64_t& count)
{
    return answer("attributeValueCount", element, attribute, [&](SimulatedElement& node) {
        AXValue value;
        if (const auto code = node.attributeValue(attribute, value); code) return code;
        if (!value.array()) return axcode::illegalArgument;
        count = static_cast<std::int64_t>(value.array()->size());
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::attributeValues(const AXElementRef& element, const QString& attribute,
                                               std::int64_t index, std::int64_t maxCount, AXValue::Array& values)
{
    return answer("attributeValues", element, attribute, [&](SimulatedElement& node) {
        AXValue value;
        if (const auto code = node.attributeValue(attribute, value); code) return code;
        values.clear();
        if (maxCount == 0) return axcode::success;
        const auto* array = value.array();
        if (!array || index < 0 || maxCount < 0 || index > static_cast<std::int64_t>(array->size()))
            return axcode::illegalArgument;
        const auto available = static_cast<std::int64_t>(array->size()) - index;
        const auto n = std::min(maxCount, available);
        values.assign(array->begin() + index, array->begin() + index + n);
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::multipleAttributeValues(const AXElementRef& element, const QStringList& attributes,
                                                       AXValue::Array& values)
{
    const auto joined = attributes.join(QLatin1Char(','));
    return answer("multipleAttributeValues", element, joined, [&](SimulatedElement&) {
        values.clear();
        for (const auto& name : attributes) {
            AXValue value;
            const auto code = readOne(element, name, value);
            if (code == axcode::success) {
                values.push_back(value);
            } else if (code == axcode::noValue) {
                values.emplace_back();
            } else {
                values.emplace_back(AXErrorMarker{code});
            }
        }
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::isAttributeSettable(const AXElementRef& element, const QString& attribute,
                                                   bool& settable)
{
    return answer("isAttributeSettable", element, attribute, [&](SimulatedElement& node) {
        return node.isAttributeSettable(attribute, settable);
    });
}

AXCode SimulatedAccessibility::setAttributeValue(const AXElementRef& element, const QString& attribute,
                                                 const AXValue& value)
{
    return answer("setAttributeValue", element, attribute, [&](SimulatedElement& node) {
        return node.setAttributeValue(attribute, value);
    });
}

AXCode SimulatedAccessibility::parameterizedAttributeNames(const AXElementRef& element, QStringList& names)
{
    return answer("parameterizedAttributeNames", element, kNoName, [&](SimulatedElement& node) {
        names = node.parameterizedAttributeNames();
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::parameterizedAttributeValue(const AXElementRef& element, const QString& attribute,
                                                           const AXValue& parameter, AXValue& value)
{
    return answer("parameterizedAttributeValue", element, attribute, [&](SimulatedElement& node) {
        return node.parameterizedAttributeValue(attribute, parameter, value);
    });
}

AXCode SimulatedAccessibility::actionNames(const AXElementRef& element, QStringList& names)
{
    return answer("actionNames", element, kNoName, [&](SimulatedElement& node) {
        names = node.actionNames();
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::actionDescription(const AXElementRef& element, const QString& action,
                                                 QString& description)
{
    return answer("actionDescription", element, action, [&](SimulatedElement& node) {
        return node.actionDescription(action, description);
    });
}

AXCode SimulatedAccessibility::performAction(const AXElementRef& element, const QString& action)
{
    return answer("performAction", element, action, [&](SimulatedElement& node) {
        return node.performAction(action);
    });
}

AXCode SimulatedAccessibility::pid(const AXElementRef& element, std::int32_t& pid)
{
    return answer("pid", element, kNoName, [&](SimulatedElement& node) {
        if (!node.application()) return axcode::illegalArgument;
        pid = node.pid();
        return axcode::success;
    });
}

AXCode SimulatedAccessibility::elementAtPosition(const AXElementRef& root, float x, float y, AXElementRef& element)
{
    return answer("elementAtPosition", root, kNoName, [&](SimulatedElement& node) {
        const QPointF point(x, y);
        std::vector<SimulatedApplication*> apps;
        if (node.application()) {
            apps.push_back(node.application());
        } else {
            if (auto* front = desktop_.frontmost()) apps.push_back(front);
            for (auto* app : desktop_.runningApplications())
                if (app != desktop_.frontmost()) apps.push_back(app);
        }
        for (auto* app : apps) {
            if (app->isHung()) return axcode::cannotComplete;
            if (auto* hit = app->element().hitTest(point)) {
                element = hit->ref();
                return axcode::success;
            }
        }
        return axcode::noValue;
    });
}

AXCode SimulatedAccessibility::setMessagingTimeout(const AXElementRef& element, float seconds)
{
    // A local setting: a hung process does not stop it, a gone one does.
    desktop_.record(QStringLiteral("setMessagingTimeout"), element, kNoName);
    auto* node = desktop_.resolve(element);
    if (const auto code = desktop_.forcedCode(QStringLiteral("setMessagingTimeout"), node, kNoName); code) return code;
    if (node && node->application() && node->application()->isQuit()) return axcode::invalidUIElement;
    std::erase_if(timeouts_, [&](const auto& entry) { return entry.first == element; });
    timeouts_.emplace_back(element, seconds);
    return node ? axcode::success : axcode::invalidUIElement;
}

float SimulatedAccessibility::messagingTimeoutOf(const AXElementRef& element) const
{
    for (const auto& [ref, seconds] : timeouts_)
        if (ref == element) return seconds;
    return 0.0f;
}

AXCode SimulatedAccessibility::createObserver(std::int32_t pid, AXObserverCallback callback, AXObserverRef& observer)
{
    desktop_.record(QStringLiteral("createObserver"), {}, kNoName);
    if (const auto code = desktop_.forcedCode(QStringLiteral("createObserver"), nullptr, kNoName); code) return code;
    auto* app = desktop_.application(pid);
    if (!app || app->isQuit()) return axcode::invalidUIElement;
    if (app->isHung()) return axcode::cannotComplete;
    observer = desktop_.makeObserver(pid, std::move(callback));
    return axcode::success;
}

AXCode SimulatedAccessibility::addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                               const QString& notification)
{
    return answer("addNotification", element, notification, [&](SimulatedElement& node) {
        auto* o = dynamic_cast<SimulatedObserver*>(observer.get());
        if (!o) return axcode::invalidUIElementObserver;
        if (node.pid() != o->pid) return axcode::illegalArgument;
        const bool added = o->registrations.emplace(node.id(), notification).second;
        return added ? axcode::success : axcode::notificationAlreadyRegistered;
    });
}

AXCode SimulatedAccessibility::removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                                  const QString& notification)
{
    return answer("removeNotification", element, notification, [&](SimulatedElement& node) {
        auto* o = dynamic_cast<SimulatedObserver*>(observer.get());
        if (!o) return axcode::invalidUIElementObserver;
        const bool removed = o->registrations.erase({node.id(), notification}) > 0;
        return removed ? axcode::success : axcode::notificationNotRegistered;
    });
}

void SimulatedAccessibility::setObserverDelivering(const AXObserverRef& observer, bool delivering)
{
    if (auto* o = dynamic_cast<SimulatedObserver*>(observer.get())) o->delivering = delivering;
}

}  // namespace zorbel::platform
