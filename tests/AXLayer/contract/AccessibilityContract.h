#pragma once

#include "contract/DesktopDriver.h"

#include "Platform/Accessibility.h"
#include "Platform/Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace zorbel::contract {

// Notifications an observer received.
struct Received {
    struct Entry {
        platform::AXElementRef element;
        QString notification;
    };
    std::vector<Entry> entries;
    int count(const QString& notification) const;
    int count(const QString& notification, const platform::AXElementRef& element) const;
};

// The behaviour every implementation of the accessibility and workspace
// interfaces must show, run against one desktop driver per instantiation:
//   INSTANTIATE_TEST_SUITE_P(Simulated, AccessibilityContract,
//       ::testing::Values(DriverParam{"Simulated", makeSimulatedDriver}), driverName);
class AccessibilityContract : public ::testing::TestWithParam<DriverParam> {
protected:
    void SetUp() override;
    void TearDown() override;

    DesktopDriver& driver() { return *driver_; }
    platform::AccessibilityService& ax();
    platform::WorkspaceService& workspace();

    // A standard application: "hello world" in the field (caret 5) and
    // three lines in the area (caret 8, inside "second").
    static TextApplicationLayout standardLayout();
    LaunchedApplication launchAndFocus(TextElement element, const TextApplicationLayout& layout = standardLayout());

    // Reads that must succeed (a failure is recorded and a null value returned).
    platform::AXValue read(const platform::AXElementRef& element, const QString& attribute);
    platform::AXValue readParameterized(const platform::AXElementRef& element, const QString& attribute,
                                        const platform::AXValue& parameter);
    platform::AXCode codeOf(const platform::AXElementRef& element, const QString& attribute);
    QString roleOf(const platform::AXElementRef& element);
    platform::AXElementRef focusedElement();
    platform::AXElementRef windowOf(std::int32_t pid);
    std::optional<QRectF> frameOf(const platform::AXElementRef& element);
    // Waits until the system-wide focused element has the role.
    bool waitForFocusedRole(const QString& role);

    // An observer of the process that records into `received`, with the
    // notification registered on the application element.
    platform::AXObserverRef observe(std::int32_t pid, const QString& notification);
    static platform::AXObserverCallback recordInto(const std::shared_ptr<Received>& log);
    std::shared_ptr<Received> received = std::make_shared<Received>();

private:
    std::unique_ptr<DesktopDriver> driver_;
};

std::string driverName(const ::testing::TestParamInfo<DriverParam>& info);

}  // namespace zorbel::contract
