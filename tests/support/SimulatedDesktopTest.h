#pragma once

#include "Platform/Simulated/SimulatedDesktop.h"
#include "support/TestWorld.h"

#include <memory>

namespace zorbel::testing {

// A world with a simulated desktop behind the accessibility and workspace
// services. Notifications (accessibility and workspace) arrive when the
// test lets the scheduler run, e.g. with deliver().
class SimulatedDesktopTest : public WorldTest {
protected:
    void SetUp() override;
    void TearDown() override;

    platform::SimulatedDesktop& desktop() { return *desktop_; }
    // Puts another accessibility service (one that misbehaves on purpose)
    // in place of the desktop's own.
    void installAccessibility(platform::AccessibilityService& service);
    // Runs everything posted for the next turn.
    void deliver() { world().scheduler.runPending(); }
    // A regular application with the given identity.
    platform::SimulatedApplication& addApplication(std::int32_t pid, const QString& bundleIdentifier,
                                                   const QString& name);

private:
    std::unique_ptr<platform::SimulatedDesktop> desktop_;
};

}  // namespace zorbel::testing
