// The simulated desktop stands in for the real one in the unit tests: what it answers like the
// real desktop is checked by the accessibility contract (AXLayer/contract), and its character
// grid by the caret geometry tests that compute their boxes from it. What is its own is how a
// test makes it fail: a forced code hits only the calls it names, and every call is counted.
#include "Platform/Accessibility.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "support/SimulatedDesktopTest.h"

using namespace zorbel::platform;
using SimulatedDesktopBehaviourTest = zorbel::testing::SimulatedDesktopTest;

TEST_F(SimulatedDesktopBehaviourTest, ForcedCodesApplyToWhatTheyMatchAndCallsAreCounted)
{
    auto& window = addApplication(42, "org.example.editor", "Editor").addWindow("Editor", QRectF(0, 0, 500, 400));
    auto& text = window.addTextArea(QRectF(10, 20, 300, 200), "abc\n");
    auto& accessibility = desktop().accessibility();
    AXValue value;
    desktop().forceResult(axcode::cannotComplete, text, "AXValue");
    EXPECT_EQ(accessibility.attributeValue(text.ref(), "AXValue", value), axcode::cannotComplete);
    EXPECT_EQ(accessibility.attributeValue(text.ref(), "AXRole", value), axcode::success);
    EXPECT_EQ(accessibility.attributeValue(window.ref(), "AXValue", value), axcode::attributeUnsupported);
    desktop().forceResult(axcode::apiDisabled);
    std::int32_t pid = 0;
    EXPECT_EQ(accessibility.pid(window.ref(), pid), axcode::apiDisabled);
    desktop().clearForcedResults();
    EXPECT_EQ(accessibility.pid(window.ref(), pid), axcode::success);

    EXPECT_EQ(desktop().callCount("attributeValue"), 3);
    EXPECT_EQ(desktop().callCount("attributeValue", "AXValue"), 2);
    EXPECT_EQ(desktop().callCount("pid"), 2);
}
