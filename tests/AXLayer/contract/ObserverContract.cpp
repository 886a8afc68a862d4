// Observers of accessibility notifications, and workspace activation.
#include "contract/AccessibilityContract.h"

#include "Platform/NotificationCenter.h"

namespace zorbel::contract {

using namespace zorbel::platform;

namespace {
const QString kFocusChanged = QStringLiteral("AXFocusedUIElementChanged");
const QString kSelectionChanged = QStringLiteral("AXSelectedTextChanged");
}  // namespace

AXObserverCallback AccessibilityContract::recordInto(const std::shared_ptr<Received>& log)
{
    return [log](const AXElementRef& element, const QString& name, const AXValue&) {
        log->entries.push_back({element, name});
    };
}

AXObserverRef AccessibilityContract::observe(std::int32_t pid, const QString& notification)
{
    AXObserverRef observer;
    EXPECT_EQ(ax().createObserver(pid, recordInto(received), observer), axcode::success);
    if (observer) {
        EXPECT_EQ(ax().addNotification(observer, ax().applicationElement(pid), notification), axcode::success);
    }
    return observer;
}

TEST_P(AccessibilityContract, FocusChangesReachAnObserverOfTheApplicationOncePerChange)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto observer = observe(app.pid, kFocusChanged);
    const auto again = ax().addNotification(observer, ax().applicationElement(app.pid), kFocusChanged);
    EXPECT_TRUE(again == axcode::success || again == axcode::notificationAlreadyRegistered);

    driver().focus(app.pid, TextElement::area);
    ASSERT_TRUE(waitForFocusedRole("AXTextArea"));
    const auto area = focusedElement();
    EXPECT_TRUE(driver().waitUntil([&] { return received->count(kFocusChanged, area) > 0; }));
    EXPECT_TRUE(driver().stillNot([&] { return received->count(kFocusChanged, area) > 1; }))
        << "registering twice does not deliver twice";
}

TEST_P(AccessibilityContract, CaretMovesAreDeliveredForTheTextElement)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto field = focusedElement();
    const auto observer = observe(app.pid, kSelectionChanged);
    driver().moveCaret(app.pid, TextElement::field, 2);
    EXPECT_TRUE(driver().waitUntil([&] { return received->count(kSelectionChanged, field) > 0; }));
    EXPECT_EQ(read(field, "AXSelectedTextRange"), AXValue(AXRange{2, 0}));
}

TEST_P(AccessibilityContract, StoppedDeliveryKeepsRegistrationsAndResumesOnStart)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto observer = observe(app.pid, kFocusChanged);
    ax().setObserverDelivering(observer, false);
    driver().focus(app.pid, TextElement::area);
    ASSERT_TRUE(waitForFocusedRole("AXTextArea"));
    EXPECT_TRUE(driver().stillNot([&] { return !received->entries.empty(); }));

    ax().setObserverDelivering(observer, true);
    driver().focus(app.pid, TextElement::field);
    ASSERT_TRUE(waitForFocusedRole("AXTextField"));
    EXPECT_TRUE(driver().waitUntil([&] { return received->count(kFocusChanged) > 0; }));
}

TEST_P(AccessibilityContract, RemovedRegistrationsAndReleasedObserversDeliverNothing)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto appElement = ax().applicationElement(app.pid);
    auto removed = observe(app.pid, kFocusChanged);
    EXPECT_EQ(ax().removeNotification(removed, appElement, kFocusChanged), axcode::success);
    const auto never = ax().removeNotification(removed, appElement, kSelectionChanged);
    EXPECT_TRUE(never == axcode::success || never == axcode::notificationNotRegistered);

    auto releasedLog = std::make_shared<Received>();
    AXObserverRef released;
    ASSERT_EQ(ax().createObserver(app.pid, recordInto(releasedLog), released), axcode::success);
    ASSERT_EQ(ax().addNotification(released, appElement, kFocusChanged), axcode::success);
    released.reset();

    driver().focus(app.pid, TextElement::area);
    ASSERT_TRUE(waitForFocusedRole("AXTextArea"));
    EXPECT_TRUE(driver().stillNot([&] { return !received->entries.empty() || !releasedLog->entries.empty(); }));
}

TEST_P(AccessibilityContract, ObserversHearOnlyTheirOwnProcess)
{
    const auto first = driver().launch(standardLayout());
    const auto second = driver().launch(standardLayout());
    const auto observer = observe(first.pid, kFocusChanged);
    driver().focus(second.pid, TextElement::area);
    ASSERT_TRUE(waitForFocusedRole("AXTextArea"));
    EXPECT_TRUE(driver().stillNot([&] { return !received->entries.empty(); }));
}

TEST_P(AccessibilityContract, ActivationMakesTheApplicationFrontmostAndIsAnnounced)
{
    const auto first = driver().launch(standardLayout());
    const auto second = driver().launch(standardLayout());
    std::vector<std::int32_t> activated;
    auto token = workspace().notificationCenter().addObserver(
        WorkspaceService::didActivateApplicationNotification, [&](const Notification& n) {
            if (auto app = WorkspaceService::applicationFrom(n)) activated.push_back(app->processIdentifier());
        });
    driver().focus(first.pid, TextElement::field);
    driver().focus(second.pid, TextElement::field);
    EXPECT_TRUE(driver().waitUntil([&] {
        auto front = workspace().frontmostApplication();
        return front && front->processIdentifier() == second.pid && !activated.empty() &&
               activated.back() == second.pid;
    }));
    bool listed = false;
    for (const auto& app : workspace().runningApplications()) {
        if (app->processIdentifier() != second.pid) continue;
        listed = true;
        EXPECT_EQ(app->bundleIdentifier(), second.bundleIdentifier);
        EXPECT_FALSE(app->isTerminated());
    }
    EXPECT_TRUE(listed);
}

}  // namespace zorbel::contract
