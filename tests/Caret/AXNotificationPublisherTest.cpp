#include "Caret/Core/AXNotificationPublisher.h"
#include "CaretDesktopTest.h"
#include "support/AXPrinters.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zorbel;
using platform::AXValue;

namespace {

const std::vector<AXNotification> kNotifications{AXNotification::focusedUIElementChanged,
                                                 AXNotification::selectedTextChanged, AXNotification::windowMoved,
                                                 AXNotification::moved};
const std::vector<Role> kRoles{Role::application, Role::window, Role::textField, Role::textArea, Role::comboBox};

class AXNotificationPublisher : public zorbel::testing::CaretDesktopTest {
protected:
    rx::Cancellable observe(const platform::SimulatedApplication& app,
                            const std::optional<UIElement>& start = std::nullopt,
                            const std::vector<AXNotification>& notifications = kNotifications,
                            const std::vector<Role>& roles = kRoles)
    {
        return observeAccessibilityNotifications(app.running(), start, notifications, roles)
            .sink([this](const AXNotificationEvent& e) { events.push_back(e); });
    }
    int calls(const char* operation, const char* name = "") { return desktop().callCount(operation, name); }
    // Both enhanced-accessibility switches, off and settable.
    static void offerSwitches(platform::SimulatedApplication& app, bool enhancedOn = false)
    {
        app.element()
            .setAttribute(QStringLiteral("AXEnhancedUserInterface"), enhancedOn)
            .setSettable(QStringLiteral("AXEnhancedUserInterface"), true)
            .setAttribute(QStringLiteral("AXManualAccessibility"), false)
            .setSettable(QStringLiteral("AXManualAccessibility"), true);
    }
    QStringList consoleLines(const QString& prefix) { return world().console.linesStartingWith(prefix); }

    std::vector<AXNotificationEvent> events;
};

}  // namespace

TEST_F(AXNotificationPublisher, NothingHappensWithinTheFirstHalfSecond)
{
    offerSwitches(*editor->app);
    auto sub = observe(*editor->app);
    world().runFor(0.45);
    sub.cancel();
    world().runFor(1.0);
    EXPECT_EQ(calls("createObserver"), 0);
    EXPECT_EQ(calls("isAttributeSettable"), 0);
    EXPECT_EQ(calls("setAttributeValue"), 0);
    EXPECT_EQ(world().scheduler.activeJobs(), 0u) << "the half-second timer is gone";
}

TEST_F(AXNotificationPublisher, ObservesTheApplicationsElementsAndStopsWhenCancelled)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    auto sub = observe(*editor->app);
    world().runFor(0.6);
    EXPECT_EQ(calls("createObserver"), 1);
    EXPECT_EQ(calls("addNotification"), 4) << "on the application element only";
    EXPECT_EQ(world().scheduler.activeJobs(), 0u) << "only the first tick is taken";
    EXPECT_EQ(world().console.count("[DEBUG] Added observers for role application in org.example.editor"), 1);

    desktop().focus(*editor->second);
    deliver();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (AXNotificationEvent{editor->app->running(), AXNotification::focusedUIElementChanged}));
    EXPECT_EQ(world().console.count("[DEBUG] AXNotification received: focusedUIElementChanged from org.example.editor"), 1);
    editor->second->setCaret(2);
    editor->window->setFrame(QRectF(60, 150, 800, 250));
    deliver();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].notification, AXNotification::selectedTextChanged);
    EXPECT_EQ(events[2].notification, AXNotification::windowMoved);

    sub.cancel();
    EXPECT_EQ(calls("removeNotification"), 4);
    desktop().focus(*editor->first);
    deliver();
    EXPECT_EQ(events.size(), 3u) << "events stop at once";
}

TEST_F(AXNotificationPublisher, EnhancedAccessibilityOutsideTheSystemFamily)
{
    auto& system = addApplication(50, QStringLiteral("com.apple.TextEdit"), QStringLiteral("TextEdit"));
    offerSwitches(system);
    auto sub = observe(system);
    world().runFor(0.6);
    EXPECT_EQ(calls("isAttributeSettable"), 0) << "neither switch touched";
    EXPECT_EQ(calls("createObserver"), 1) << "but the application is observed";

    auto& anonymous = desktop().addApplication({51, std::nullopt, QStringLiteral("Tool")});
    offerSwitches(anonymous);
    enableAXEnhancedInterface(anonymous.running());
    EXPECT_EQ(calls("setAttributeValue", "AXEnhancedUserInterface"), 1);
    EXPECT_EQ(calls("setAttributeValue", "AXManualAccessibility"), 1);

    offerSwitches(*notes->app, true);
    desktop().clearCalls();
    enableAXEnhancedInterface(notes->app->running());
    EXPECT_EQ(calls("setAttributeValue", "AXEnhancedUserInterface"), 0) << "already true";
    EXPECT_EQ(calls("setAttributeValue", "AXManualAccessibility"), 1);

    desktop().clearCalls();
    editor->app->element().setSettable(QStringLiteral("AXManualAccessibility"), false);
    desktop().forceResult(platform::axcode::cannotComplete, {QStringLiteral("isAttributeSettable"), nullptr,
                                                             QStringLiteral("AXEnhancedUserInterface")});
    enableAXEnhancedInterface(editor->app->running());
    EXPECT_EQ(calls("setAttributeValue"), 0) << "an error counts as not settable";
}

TEST_F(AXNotificationPublisher, SilentStreams)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    auto& button = editor->window->addButton(QStringLiteral("OK"), QRectF(10, 10, 40, 20));
    auto a = observe(*editor->app, UIElement(button.ref()));
    world().runFor(0.6);
    desktop().focus(*editor->second);
    deliver();
    EXPECT_TRUE(consoleLines("[DEBUG] Added observers").isEmpty()) << "a start element of another role";
    EXPECT_TRUE(events.empty());
    a.cancel();

    auto b = observe(*notes->app);
    desktop().quit(*notes->app);
    world().runFor(0.6);
    EXPECT_EQ(calls("createObserver"), 1) << "none for the application that quit";

    desktop().forceResult(platform::axcode::cannotComplete, {QStringLiteral("createObserver"), nullptr, {}});
    auto c = observe(*editor->app);
    world().runFor(0.6);
    EXPECT_EQ(consoleLines("[DEBUG] Added observers for role application").size(), 1) << "said even without observer";
    EXPECT_EQ(calls("addNotification"), 0);
    desktop().focus(*editor->first);
    deliver();
    EXPECT_TRUE(events.empty());
}

TEST_F(AXNotificationPublisher, AFailedRegistrationIsReportedAndTheRestGoesOn)
{
    desktop().forceResult(platform::axcode::notificationUnsupported,
                          {QStringLiteral("addNotification"), nullptr, QStringLiteral("AXWindowMoved")});
    auto sub = observe(*editor->app);
    world().runFor(0.6);
    const auto description = UIElement(editor->app->element().ref()).description();
    EXPECT_EQ(consoleLines("[ERROR]"),
              QStringList{"[ERROR] org.example.editor: Could not watch [" + description +
                          "] with role AXApplication: AXError.NotificationUnsupported"});
    EXPECT_TRUE(consoleLines("[DEBUG] Added observers").isEmpty());
    desktop().focus(*editor->second);
    deliver();
    EXPECT_EQ(events.size(), 1u) << "what was registered before the failure still reports";
    sub.cancel();
    EXPECT_EQ(calls("removeNotification"), 0);
}

TEST_F(AXNotificationPublisher, WindowsCreatedLaterAreObservedToo)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    const std::vector<AXNotification> withCreation{AXNotification::windowCreated, AXNotification::titleChanged};
    auto sub = observe(*editor->app, std::nullopt, withCreation);
    world().runFor(0.6);
    auto& window = editor->app->addWindow(QStringLiteral("Second"), QRectF(0, 0, 100, 100));
    deliver();
    EXPECT_EQ(world().console.count("[DEBUG] Added observers for role window in org.example.editor"), 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].notification, AXNotification::windowCreated);
    window.setTitle(QStringLiteral("Renamed"));
    deliver();
    EXPECT_EQ(events.size(), 2u) << "delivered once, though registered twice";

    sub.cancel();
    EXPECT_EQ(calls("removeNotification"), 4) << "two on the application, two on the new window";
}

TEST_F(AXNotificationPublisher, RoleIsObservedComparesRawValues)
{
    EXPECT_TRUE(roleIsObserved(Role::textArea, kRoles));
    EXPECT_FALSE(roleIsObserved(Role::button, kRoles));
    EXPECT_FALSE(roleIsObserved(Role::application, {}));
}
