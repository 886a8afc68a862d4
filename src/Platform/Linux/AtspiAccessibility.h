#pragma once

#include "Platform/Accessibility.h"

namespace zorbel::platform {

// The accessibility interface on AT-SPI 2: elements of other processes on
// the accessibility bus, read through libatspi on the main loop (Qt's GLib
// event dispatcher runs libatspi's sources). A missing bus answers
// APIDisabled; an application that does not answer within the messaging
// timeout answers CannotComplete and is skipped for a moment; one that has
// gone answers InvalidUIElement.
class AtspiAccessibilityService final : public AccessibilityService {
public:
    AtspiAccessibilityService();

    // A key that edits nothing or a click was pressed in another application
    // (GTK 4's text view may not tell the caret move it makes).
    void inputWithoutEdit();

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
};

}  // namespace zorbel::platform
