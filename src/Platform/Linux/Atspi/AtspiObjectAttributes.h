#pragma once

#include "Platform/Linux/Atspi/AtspiElement.h"
#include "Platform/Linux/Atspi/AtspiNode.h"

#include <QStringList>

namespace zorbel::platform::atspi {

// Attributes of one object of some application (not an application root).
class ObjectAttributes {
public:
    ObjectAttributes(const AXElementRef& ref, const AtspiElement& element, float timeout)
        : ref_(ref), node_(element.accessible(), timeout)
    {
    }

    AXCode names(QStringList& names) const;
    AXCode read(const QString& name, AXValue& value) const;
    AXCode settable(const QString& name, bool& settable) const;
    AXCode write(const QString& name, const AXValue& value) const;
    AXCode parameterizedNames(QStringList& names) const;
    AXCode readParameterized(const QString& name, const AXValue& parameter, AXValue& value) const;
    AXCode actionNames(QStringList& names) const;
    AXCode actionDescription(const QString& action, QString& description) const;
    AXCode performAction(const QString& action) const;
    AXCode elementAt(const QPointF& point, AXElementRef& found) const;

private:
    AXCode readGeneral(const QString& name, AXValue& value, bool& known) const;
    AXCode readText(const QString& name, AXValue& value, bool& known) const;
    AXCode readState(int state, AXValue& value) const;
    AXCode actionIndex(const QString& action, int& index) const;

    const AXElementRef& ref_;
    Node node_;
};

// An element list as a value.
AXValue elementArray(const std::vector<AccPtr>& accessibles);
// The accessibility name of a toolkit action ("click" is "AXPress").
QString axActionName(const QString& toolkitName);

}  // namespace zorbel::platform::atspi
