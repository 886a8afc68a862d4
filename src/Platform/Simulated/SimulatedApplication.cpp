#include "Platform/Simulated/SimulatedApplication.h"

#include "Platform/Simulated/SimulatedDesktop.h"

namespace zorbel::platform {

SimulatedApplication::SimulatedApplication(SimulatedDesktop& desktop, const ApplicationInfo& info)
    : desktop_(desktop), running_(std::make_shared<SimulatedRunningApplication>(info)),
      element_(std::make_unique<SimulatedElement>(desktop, this, nullptr, QStringLiteral("AXApplication")))
{
    // Toolkits that build their tree on demand expose these two switches.
    for (const auto* name : {"AXEnhancedUserInterface", "AXManualAccessibility"}) {
        element_->setAttribute(QString::fromLatin1(name), false);
        element_->setSettable(QString::fromLatin1(name), true);
    }
}

SimulatedElement& SimulatedApplication::addWindow(const QString& title, const QRectF& frame)
{
    return element_->addWindow(title, frame);
}

std::vector<SimulatedElement*> SimulatedApplication::windows() const
{
    std::vector<SimulatedElement*> out;
    for (auto* child : element_->children())
        if (child->role() == QLatin1String("AXWindow")) out.push_back(child);
    return out;
}

void SimulatedApplication::quit() { desktop_.quit(*this); }

}  // namespace zorbel::platform
