#include "Platform/Linux/Atspi/AtspiRootAttributes.h"

#include "Platform/Linux/A11yStatus.h"
#include "Platform/Linux/Atspi/AtspiDesktop.h"
#include "Platform/Linux/Atspi/AtspiFocus.h"
#include "Platform/Linux/Atspi/AtspiGeometry.h"
#include "Platform/Linux/Atspi/AtspiNode.h"
#include "Platform/Linux/Atspi/AtspiObjectAttributes.h"

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

namespace {
const QStringList applicationNames = {
    QStringLiteral("AXRole"),          QStringLiteral("AXRoleDescription"),    QStringLiteral("AXTitle"),
    QStringLiteral("AXChildren"),      QStringLiteral("AXWindows"),            QStringLiteral("AXFocusedWindow"),
    QStringLiteral("AXMainWindow"),    QStringLiteral("AXFocusedUIElement"),   QStringLiteral("AXFrontmost"),
    QStringLiteral("AXHidden"),        QStringLiteral("AXEnhancedUserInterface"),
    QStringLiteral("AXManualAccessibility"),
};
const QStringList systemWideNames = {QStringLiteral("AXRole"), QStringLiteral("AXFocusedUIElement"),
                                     QStringLiteral("AXFocusedApplication")};

bool isSwitch(const QString& name)
{
    return name == QLatin1String("AXEnhancedUserInterface") || name == QLatin1String("AXManualAccessibility");
}

std::vector<AccPtr> windowsOf(std::int32_t pid, float timeout, AXCode& code)
{
    std::vector<AccPtr> windows;
    code = axcode::success;
    for (const AccPtr& app : applicationsOf(pid)) {
        std::vector<AccPtr> some;
        if ((code = Node(app.get(), timeout).children(some))) return {};
        windows.insert(windows.end(), some.begin(), some.end());
    }
    return windows;
}
}  // namespace

AXCode RootAttributes::alive() const
{
    if (!Runtime::instance().available()) return axcode::apiDisabled;
    if (element_.kind() == AtspiElement::Kind::application && !Runtime::instance().processAlive(element_.pid()))
        return axcode::invalidUIElement;
    return axcode::success;
}

AXCode RootAttributes::names(QStringList& names) const
{
    if (AXCode code = alive()) return code;
    names = element_.kind() == AtspiElement::Kind::systemWide ? systemWideNames : applicationNames;
    return axcode::success;
}

AXCode RootAttributes::read(const QString& name, AXValue& value) const
{
    if (AXCode code = alive()) return code;
    return element_.kind() == AtspiElement::Kind::systemWide ? readSystemWide(name, value)
                                                             : readApplication(name, value);
}

AXCode RootAttributes::readSystemWide(const QString& name, AXValue& value) const
{
    if (name == QLatin1String("AXRole")) {
        value = AXValue(QStringLiteral("AXSystemWide"));
        return axcode::success;
    }
    auto& focus = FocusTracker::instance();
    if (name == QLatin1String("AXFocusedUIElement")) {
        AccPtr focused;
        if (AXCode code = focus.desktopFocusedElement(timeout_, focused)) return code;
        value = AXValue(AtspiElement::object(focused));
        return axcode::success;
    }
    if (name == QLatin1String("AXFocusedApplication")) {
        const std::int32_t pid = focus.frontmostPid();
        if (!pid || !Runtime::instance().processAlive(pid)) return axcode::noValue;
        value = AXValue(AtspiElement::application(pid));
        return axcode::success;
    }
    return axcode::attributeUnsupported;
}

AXCode RootAttributes::readApplication(const QString& name, AXValue& value) const
{
    const std::int32_t pid = element_.pid();
    auto& focus = FocusTracker::instance();
    if (name == QLatin1String("AXRole")) value = AXValue(QStringLiteral("AXApplication"));
    else if (name == QLatin1String("AXRoleDescription")) value = AXValue(QStringLiteral("application"));
    else if (name == QLatin1String("AXFrontmost")) value = AXValue(focus.frontmostPid() == pid);
    else if (name == QLatin1String("AXHidden")) value = AXValue(false);
    else if (isSwitch(name)) value = AXValue(a11ystatus::isEnabled().value_or(false));
    else if (name == QLatin1String("AXTitle")) {
        const auto apps = applicationsOf(pid);
        if (apps.empty()) return axcode::noValue;
        QString title;
        if (AXCode code = Node(apps.front().get(), timeout_).name(title)) return code;
        value = AXValue(title);
    } else if (name == QLatin1String("AXChildren") || name == QLatin1String("AXWindows")) {
        AXCode code = axcode::success;
        const auto windows = windowsOf(pid, timeout_, code);
        if (code) return code;
        value = elementArray(windows);
    } else if (name == QLatin1String("AXFocusedWindow") || name == QLatin1String("AXMainWindow")) {
        AccPtr window = focus.activeWindow(pid, timeout_);
        if (!window) return axcode::noValue;
        value = AXValue(AtspiElement::object(window));
    } else if (name == QLatin1String("AXFocusedUIElement")) {
        AccPtr focused;
        if (AXCode code = focus.focusedElement(pid, timeout_, focused)) return code;
        value = AXValue(AtspiElement::object(focused));
    } else {
        return axcode::attributeUnsupported;
    }
    return axcode::success;
}

AXCode RootAttributes::settable(const QString& name, bool& settable) const
{
    if (AXCode code = alive()) return code;
    settable = element_.kind() == AtspiElement::Kind::application && isSwitch(name);
    return axcode::success;
}

AXCode RootAttributes::write(const QString& name, const AXValue& value) const
{
    bool can = false;
    if (AXCode code = settable(name, can)) return code;
    if (!can) return axcode::attributeUnsupported;
    if (!value.boolean()) return axcode::illegalArgument;
    // The switch is the whole desktop's: it is only ever turned on here,
    // since turning it off would cut off every assistive tool.
    if (!*value.boolean()) return axcode::success;
    if (a11ystatus::isEnabled().value_or(false)) return axcode::success;
    return a11ystatus::setEnabled(true) ? axcode::success : axcode::cannotComplete;
}

AXCode RootAttributes::elementAt(const QPointF& point, AXElementRef& found) const
{
    if (AXCode code = alive()) return code;
    std::vector<AccPtr> windows;
    if (element_.kind() == AtspiElement::Kind::application) {
        AXCode code = axcode::success;
        windows = windowsOf(element_.pid(), timeout_, code);
        if (code) return code;
    } else {
        const std::int32_t front = FocusTracker::instance().frontmostPid();
        if (AccPtr active = front ? FocusTracker::instance().activeWindow(front, timeout_) : AccPtr())
            windows.push_back(active);
        for (const auto& app : desktopApplications()) {
            std::vector<AccPtr> some;
            if (Node(app.root.get(), timeout_).children(some) == axcode::success)
                windows.insert(windows.end(), some.begin(), some.end());
        }
    }
    for (const AccPtr& window : windows) {
        Node node(window.get(), timeout_);
        QRectF frame;
        if (elementExtents(node, frame) != axcode::success || !frame.contains(point)) continue;
        bool showing = false;
        if (node.hasState(ATSPI_STATE_SHOWING, showing) != axcode::success || !showing) continue;
        const AXElementRef windowRef = AtspiElement::object(window);
        if (ObjectAttributes(windowRef, *element(windowRef), timeout_).elementAt(point, found) != axcode::success)
            found = windowRef;
        return axcode::success;
    }
    return axcode::noValue;
}

}  // namespace zorbel::platform::atspi
