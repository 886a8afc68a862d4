// The same contract seen through the accessibility layer: what its users
// (caret lookup, notification streams) rely on of any back end.
#include "contract/AccessibilityContract.h"

#include "AXLayer/AXLayer.h"

namespace zorbel::contract {

namespace {
std::optional<UIElement> focusedUIElement()
{
    try {
        return systemWideElement().attribute<UIElement>(Attribute::focusedUIElement);
    } catch (const AXError&) {
        return std::nullopt;
    }
}
}  // namespace

TEST_P(AccessibilityContract, LayerDescribesApplicationsWindowsAndTextElements)
{
    const auto launched = launchAndFocus(TextElement::field);
    const auto pidText = QStringLiteral("(pid=%1)>").arg(launched.pid);
    const auto app = Application::forProcessID(launched.pid);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->description(),
              QStringLiteral("<AXApplication \"%1\" ").arg(launched.bundleIdentifier.value_or(QString())) + pidText);
    const auto windows = app->windows();
    ASSERT_TRUE(windows);
    ASSERT_EQ(windows->size(), 1u);
    EXPECT_EQ(windows->front().description(), QStringLiteral("<AXWindow \"Contract Notes\" ") + pidText);

    const auto field = focusedUIElement();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->role(), Role::textField);
    EXPECT_EQ(app->attribute<UIElement>(Attribute::focusedUIElement), field);
    EXPECT_TRUE(field->description().startsWith("<AXTextField \""));
    EXPECT_TRUE(field->description().endsWith(pidText));
    EXPECT_EQ(field->attribute<platform::AXRange>(Attribute::selectedTextRange), (platform::AXRange{5, 0}));
    EXPECT_EQ(field->attribute("AXNoSuchAttribute"), std::nullopt);
}

TEST_P(AccessibilityContract, LayerSeesAQuitApplicationAsGone)
{
    const auto launched = launchAndFocus(TextElement::area);
    const auto app = Application::forProcessID(launched.pid);
    const auto area = focusedUIElement();
    ASSERT_TRUE(app && area);
    driver().quit(launched.pid);

    EXPECT_TRUE(area->description().startsWith("<InvalidUIElement \""));
    EXPECT_TRUE(area->description().endsWith("(pid=?\?)>"));
    EXPECT_EQ(area->describeAttributes(), "InvalidUIElement");
    EXPECT_THROW(area->attribute(Attribute::value), AXError);
    EXPECT_FALSE(app->createObserver([](Observer&, const UIElement&, AXNotification) {}));
    EXPECT_TRUE(driver().waitUntil([&] { return !Application::forProcessID(launched.pid); }));
}

TEST_P(AccessibilityContract, LayerObserverDeliversTypedNotifications)
{
    const auto launched = launchAndFocus(TextElement::field);
    const auto app = Application::forProcessID(launched.pid);
    ASSERT_TRUE(app);
    std::vector<std::pair<UIElement, AXNotification>> seen;
    auto observer = app->createObserver([&](Observer&, const UIElement& element, AXNotification notification) {
        seen.emplace_back(element, notification);
    });
    ASSERT_TRUE(observer);
    observer->addNotification(AXNotification::focusedUIElementChanged, *app);
    observer->addNotification(AXNotification::focusedUIElementChanged, *app);

    driver().focus(launched.pid, TextElement::area);
    ASSERT_TRUE(waitForFocusedRole("AXTextArea"));
    const auto area = focusedUIElement();
    ASSERT_TRUE(area);
    EXPECT_TRUE(driver().waitUntil([&] { return !seen.empty(); }));
    EXPECT_TRUE(driver().stillNot([&] { return seen.size() > 1; })) << "registering twice does not deliver twice";
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, *area);
    EXPECT_EQ(seen[0].second, AXNotification::focusedUIElementChanged);
}

}  // namespace zorbel::contract
