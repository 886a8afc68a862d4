#include "support/SimulatedDesktopTest.h"

namespace zorbel::testing {

void SimulatedDesktopTest::SetUp()
{
    WorldTest::SetUp();
    desktop_ = std::make_unique<platform::SimulatedDesktop>();
    world().extra.accessibility = &desktop_->accessibility();
    world().extra.workspace = &desktop_->workspace();
    world().install();
}

void SimulatedDesktopTest::TearDown()
{
    // The world goes first, so nothing reaches the desktop while it is torn down.
    WorldTest::TearDown();
    desktop_.reset();
}

void SimulatedDesktopTest::installAccessibility(platform::AccessibilityService& service)
{
    world().extra.accessibility = &service;
    world().install();
}

platform::SimulatedApplication& SimulatedDesktopTest::addApplication(std::int32_t pid,
                                                                    const QString& bundleIdentifier,
                                                                    const QString& name)
{
    return desktop().addApplication({pid, bundleIdentifier, name, platform::ActivationPolicy::regular});
}

}  // namespace zorbel::testing
