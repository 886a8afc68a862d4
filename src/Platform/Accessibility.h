#pragma once

#include "Platform/AXValue.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace zorbel::platform {

// What a back end keeps for one observer. Destroying the last handle ends
// every registration of that observer and all delivery.
class AXObserverData {
public:
    virtual ~AXObserverData() = default;
};
using AXObserverRef = std::shared_ptr<AXObserverData>;

// Called on the main loop for each notification: the element it concerns,
// the notification's name, and its information (a dictionary, or null).
using AXObserverCallback =
    std::function<void(const AXElementRef& element, const QString& notification, const AXValue& info)>;

// The accessibility interface the accessibility layer stands on: elements of
// other processes, read and written by attribute name, with result codes.
// Every call is synchronous, made on the main thread, and waits at most the
// messaging timeout in force for the element (its own, else the system-wide
// element's, else the back end's default).
class AccessibilityService {
public:
    virtual ~AccessibilityService() = default;

    // Roots.
    virtual AXElementRef systemWideElement() = 0;
    virtual AXElementRef applicationElement(std::int32_t pid) = 0;
    // Whether this process may read other processes' elements. With prompt,
    // the back end may show the desktop's own guidance.
    virtual bool isProcessTrusted(bool prompt) = 0;

    // Attributes. An attribute the element does not have answers
    // attributeUnsupported; one it has without a value answers noValue.
    // Once the element's process has gone every call answers
    // invalidUIElement (pid() too); a process that does not answer within
    // the timeout gives cannotComplete.
    virtual AXCode attributeNames(const AXElementRef& element, QStringList& names) = 0;
    virtual AXCode attributeValue(const AXElementRef& element, const QString& attribute, AXValue& value) = 0;
    // illegalArgument for an attribute whose value is not a list.
    virtual AXCode attributeValueCount(const AXElementRef& element, const QString& attribute, std::int64_t& count) = 0;
    // A slice of a list attribute. With maxCount 0, success and no values for
    // any attribute the element has (callers use it to test existence).
    virtual AXCode attributeValues(const AXElementRef& element, const QString& attribute, std::int64_t index,
                                   std::int64_t maxCount, AXValue::Array& values) = 0;
    // One value per name, in order; an attribute that cannot be read is an
    // error marker (AXErrorMarker) in its place, a missing one null.
    virtual AXCode multipleAttributeValues(const AXElementRef& element, const QStringList& attributes,
                                           AXValue::Array& values) = 0;
    virtual AXCode isAttributeSettable(const AXElementRef& element, const QString& attribute, bool& settable) = 0;
    virtual AXCode setAttributeValue(const AXElementRef& element, const QString& attribute, const AXValue& value) = 0;

    // Parameterized attributes; attributeUnsupported for one the element
    // does not have.
    virtual AXCode parameterizedAttributeNames(const AXElementRef& element, QStringList& names) = 0;
    virtual AXCode parameterizedAttributeValue(const AXElementRef& element, const QString& attribute,
                                               const AXValue& parameter, AXValue& value) = 0;

    // Actions.
    virtual AXCode actionNames(const AXElementRef& element, QStringList& names) = 0;
    virtual AXCode actionDescription(const AXElementRef& element, const QString& action, QString& description) = 0;
    virtual AXCode performAction(const AXElementRef& element, const QString& action) = 0;

    // The owning process, hit-testing (screen coordinates, top-left origin)
    // and the messaging timeout (seconds; 0 means the default).
    virtual AXCode pid(const AXElementRef& element, std::int32_t& pid) = 0;
    virtual AXCode elementAtPosition(const AXElementRef& root, float x, float y, AXElementRef& element) = 0;
    virtual AXCode setMessagingTimeout(const AXElementRef& element, float seconds) = 0;

    // Observers. A new observer delivers at once; setObserverDelivering(false)
    // holds back delivery (notifications arriving meanwhile are dropped) and
    // keeps the registrations. Registering on an application element covers
    // all of that application's elements; one change is delivered once per
    // observer. createObserver answers invalidUIElement for a process that is
    // gone, cannotComplete for one that does not answer. Registering a name
    // twice may answer notificationAlreadyRegistered, removing one that is
    // not registered notificationNotRegistered.
    virtual AXCode createObserver(std::int32_t pid, AXObserverCallback callback, AXObserverRef& observer) = 0;
    virtual AXCode addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                   const QString& notification) = 0;
    virtual AXCode removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                      const QString& notification) = 0;
    virtual void setObserverDelivering(const AXObserverRef& observer, bool delivering) = 0;
};

}  // namespace zorbel::platform
