#include "Platform/Linux/Atspi/AtspiElement.h"

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

namespace {
bool isApplicationRoot(AtspiAccessible* accessible)
{
    return objectPath(accessible) == QLatin1String("/org/a11y/atspi/accessible/root");
}
}  // namespace

AXElementRef AtspiElement::systemWide()
{
    return AXElementRef(std::shared_ptr<const AXElementData>(new AtspiElement(Kind::systemWide, 0, {})));
}

AXElementRef AtspiElement::application(std::int32_t pid)
{
    return AXElementRef(std::shared_ptr<const AXElementData>(new AtspiElement(Kind::application, pid, {})));
}

AXElementRef AtspiElement::object(AccPtr accessible)
{
    if (!accessible) return {};
    if (isApplicationRoot(accessible.get())) {
        if (auto pid = Runtime::instance().pidOf(accessible.get())) return application(*pid);
    }
    return AXElementRef(
        std::shared_ptr<const AXElementData>(new AtspiElement(Kind::object, 0, std::move(accessible))));
}

bool AtspiElement::equals(const AXElementData& other) const
{
    auto* o = dynamic_cast<const AtspiElement*>(&other);
    if (!o || o->kind_ != kind_) return false;
    switch (kind_) {
    case Kind::systemWide: return true;
    case Kind::application: return pid_ == o->pid_;
    case Kind::object: return sameObject(accessible_.get(), o->accessible_.get());
    }
    return false;
}

QString AtspiElement::debugDescription() const
{
    switch (kind_) {
    case Kind::systemWide: return QStringLiteral("AXUIElement(system-wide)");
    case Kind::application: return QStringLiteral("AXUIElement(application %1)").arg(pid_);
    case Kind::object:
        return QStringLiteral("AXUIElement(%1%2)").arg(busName(accessible_.get()), objectPath(accessible_.get()));
    }
    return {};
}

const AtspiElement* element(const AXElementRef& ref) { return ref.as<AtspiElement>(); }

}  // namespace zorbel::platform::atspi
