#pragma once

#include "Platform/Accessibility.h"

#include <functional>

namespace zorbel::platform {

class SimulatedDesktop;
class SimulatedElement;

// The accessibility interface served from a SimulatedDesktop. Not final:
// a test may override one answer to mimic a misbehaving back end.
class SimulatedAccessibility : public AccessibilityService {
public:
    explicit SimulatedAccessibility(SimulatedDesktop& desktop) : desktop_(desktop) {}

    AXElementRef systemWideElement() override;
    AXElementRef applicationElement(std::int32_t pid) override;
    bool isProcessTrusted(bool prompt) override;

    AXCode attributeNames(const AXElementRef& element, QStringList& names) override;
    AXCode attributeValue(const AXElementRef& element, const QString& attribute, AXValue& value) override;
    AXCode attributeValueCount(const AXElementRef& element, const QString& attribute, std::int64_t& count) override;
    AXCode attributeValues(const AXElementRef& element, const QString& attribute, std::int64_t index,
                           std::int64_t maxCount, AXValue::Array& values) override;
    AXCode multipleAttributeValues(const AXElementRef& element, const QStringList& attributes,
                                   AXValue::Array& values) override;
    AXCode isAttributeSettable(const AXElementRef& element, const QString& attribute, bool& settable) override;
    AXCode setAttributeValue(const AXElementRef& element, const QString& attribute, const AXValue& value) override;

    AXCode parameterizedAttributeNames(const AXElementRef& element, QStringList& names) override;
    AXCode parameterizedAttributeValue(const AXElementRef& element, const QString& attribute,
                                       const AXValue& parameter, AXValue& value) override;

    AXCode actionNames(const AXElementRef& element, QStringList& names) override;
    AXCode actionDescription(const AXElementRef& element, const QString& action, QString& description) override;
    AXCode performAction(const AXElementRef& element, const QString& action) override;

    AXCode pid(const AXElementRef& element, std::int32_t& pid) override;
    AXCode elementAtPosition(const AXElementRef& root, float x, float y, AXElementRef& element) override;
    AXCode setMessagingTimeout(const AXElementRef& element, float seconds) override;

    AXCode createObserver(std::int32_t pid, AXObserverCallback callback, AXObserverRef& observer) override;
    AXCode addNotification(const AXObserverRef& observer, const AXElementRef& element,
                           const QString& notification) override;
    AXCode removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                              const QString& notification) override;
    void setObserverDelivering(const AXObserverRef& observer, bool delivering) override;

    // The last messaging timeout set on the element (0 when none was).
    float messagingTimeoutOf(const AXElementRef& element) const;

protected:
    SimulatedDesktop& desktop() { return desktop_; }

private:
    // Records the call, answers a forced or failure code, or else the reply.
    AXCode answer(const char* operation, const AXElementRef& element, const QString& name,
                  const std::function<AXCode(SimulatedElement&)>& reply);
    AXCode readOne(const AXElementRef& element, const QString& attribute, AXValue& value);

    SimulatedDesktop& desktop_;
    std::vector<std::pair<AXElementRef, float>> timeouts_;
};

}  // namespace zorbel::platform
