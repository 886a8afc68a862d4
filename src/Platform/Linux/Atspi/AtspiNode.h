#pragma once

#include "Platform/Linux/Atspi/AtspiRuntime.h"
#include "Platform/Linux/Atspi/AtspiRoles.h"

#include <QRect>

#include <vector>

namespace zorbel::platform::atspi {

// Reads of one AT-SPI object, each one bounded call with a result code.
class Node {
public:
    Node(AtspiAccessible* accessible, float timeout) : accessible_(accessible), timeout_(timeout) {}

    AtspiAccessible* accessible() const { return accessible_; }
    float timeout() const { return timeout_; }

    AXCode role(int& role) const;
    AXCode hasState(int state, bool& has) const;
    // One bit per AtspiStateType.
    AXCode states(std::uint64_t& states) const;
    AXCode roleFacts(RoleFacts& facts) const;
    AXCode name(QString& name) const;
    AXCode description(QString& description) const;
    // The "size" its text's default attributes tell (empty: none).
    AXCode defaultFontSize(QString& size) const;
    AXCode parent(AccPtr& parent) const;
    AXCode children(std::vector<AccPtr>& children) const;
    // The application's own root object.
    AXCode application(AccPtr& application) const;
    // Whether the object is a direct child of its application.
    AXCode isTopLevel(bool& topLevel) const;
    // The top-level object (window) holding this one.
    AXCode window(AccPtr& window) const;

    bool hasText() const;
    bool hasComponent() const;
    bool hasEditableText() const;
    // Text the user types into: the editable-text interface, or text that
    // says EDITABLE (KTextEditor's view has no editable-text interface).
    bool takesText() const;
    bool hasValue() const;
    bool hasAction() const;
    // What a missing interface answers: the element's own failure when it
    // has gone or hangs, else attributeUnsupported.
    AXCode missingInterface() const;

private:
    AtspiAccessible* accessible_;
    float timeout_;
};

// Runs one libatspi call inside a Call; the function answers whether its
// result is usable.
template <class F>
AXCode bounded(AtspiAccessible* accessible, float timeout, F&& function)
{
    Call call(accessible, timeout);
    if (call.admit() != axcode::success) return call.admit();
    const bool valid = function(call.error());
    return call.finish(valid);
}

}  // namespace zorbel::platform::atspi
