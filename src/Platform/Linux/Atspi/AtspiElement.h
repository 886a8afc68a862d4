#pragma once

#include "Platform/Linux/Atspi/AtspiRuntime.h"

namespace zorbel::platform::atspi {

// What an element handle of this back end holds: the system-wide element, the
// element of one application (by process, found on the bus when asked), or
// one object of some application.
class AtspiElement final : public AXElementData {
public:
    enum class Kind { systemWide, application, object };

    static AXElementRef systemWide();
    static AXElementRef application(std::int32_t pid);
    // An application's root object becomes that application's element.
    static AXElementRef object(AccPtr accessible);

    Kind kind() const { return kind_; }
    std::int32_t pid() const { return pid_; }
    AtspiAccessible* accessible() const { return accessible_.get(); }
    const AccPtr& accessiblePtr() const { return accessible_; }

    // Seconds; 0 means the system-wide (else the default) timeout.
    float timeout() const { return timeout_; }
    void setTimeout(float seconds) const { timeout_ = seconds; }

    bool equals(const AXElementData& other) const override;
    QString debugDescription() const override;

private:
    AtspiElement(Kind kind, std::int32_t pid, AccPtr accessible)
        : kind_(kind), pid_(pid), accessible_(std::move(accessible))
    {
    }

    Kind kind_;
    std::int32_t pid_;
    AccPtr accessible_;
    mutable float timeout_ = 0;
};

const AtspiElement* element(const AXElementRef& ref);

}  // namespace zorbel::platform::atspi
