#pragma once

#include "Platform/Linux/Atspi/AtspiElement.h"

#include <QStringList>

namespace zorbel::platform::atspi {

// Attributes of an application element (by process) and of the system-wide
// element. An application that is not on the accessibility desktop still
// has an element while its process runs: it answers what it can (its role,
// the accessibility switch) and no value for the rest.
class RootAttributes {
public:
    RootAttributes(const AtspiElement& element, float timeout) : element_(element), timeout_(timeout) {}

    AXCode names(QStringList& names) const;
    AXCode read(const QString& name, AXValue& value) const;
    AXCode settable(const QString& name, bool& settable) const;
    AXCode write(const QString& name, const AXValue& value) const;
    AXCode elementAt(const QPointF& point, AXElementRef& found) const;

private:
    AXCode alive() const;
    AXCode readApplication(const QString& name, AXValue& value) const;
    AXCode readSystemWide(const QString& name, AXValue& value) const;

    const AtspiElement& element_;
    float timeout_;
};

}  // namespace zorbel::platform::atspi
