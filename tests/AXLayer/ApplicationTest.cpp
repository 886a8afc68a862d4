#include "AXLayerTest.h"

using namespace zorbel;
using namespace zorbel::platform;
using zorbel::testing::AXLayerTest;

namespace {
std::vector<std::int32_t> pidsOf(const std::vector<Application>& apps)
{
    std::vector<std::int32_t> out;
    for (const auto& app : apps) out.push_back(app.pid());
    return out;
}
}  // namespace

class ApplicationTest : public AXLayerTest {};

TEST_F(ApplicationTest, OnlyRunningProcessesWithAPidMakeApplications)
{
    const auto running = notes->running();
    ASSERT_TRUE(Application::make(running));
    EXPECT_EQ(Application::make(running)->pid(), 512);
    EXPECT_EQ(*Application::forProcessID(512), wrap(&notes->element()));
    EXPECT_EQ(Application::forProcessID(9999), std::nullopt);
    auto& negative = desktop().addApplication({-5, "org.example.negative", "Negative", ActivationPolicy::regular});
    EXPECT_EQ(Application::make(negative.running()), std::nullopt);

    notes->quit();
    EXPECT_EQ(running->processIdentifier(), 512);
    EXPECT_EQ(Application::make(running), std::nullopt) << "terminated, though its pid is still set";
    EXPECT_EQ(Application::forProcessID(512), std::nullopt);
    EXPECT_TRUE(world().log.lines().isEmpty());
}

TEST_F(ApplicationTest, AllKeepsRegularAndAccessoryApplicationsInOrder)
{
    desktop().addApplication({601, "org.example.daemon", "Daemon", ActivationPolicy::prohibited});
    desktop().addApplication({602, "org.example.menubar", "Menu", ActivationPolicy::accessory});
    addApplication(603, "org.example.gone", "Gone").quit();
    desktop().addApplication({604, std::nullopt, "NoBundle", ActivationPolicy::regular});
    EXPECT_EQ(pidsOf(Application::all()), (std::vector<std::int32_t>{512, 602, 604}));

    addApplication(605, "com.example.notes", "Second Notes");
    EXPECT_EQ(pidsOf(Application::allForBundleID("com.example.notes")), (std::vector<std::int32_t>{512, 605}));
    EXPECT_TRUE(Application::allForBundleID("com.example.Notes").empty()) << "letter case counts";
    EXPECT_TRUE(Application::allForBundleID("").empty()) << "no bundle identifier never matches";
}

TEST_F(ApplicationTest, WindowsAreTheElementEntriesOfTheAnswer)
{
    const auto app = *Application::forProcessID(512);
    EXPECT_EQ(app.windows(), std::vector<UIElement>{wrap(window)});

    auto& empty = addApplication(700, "org.example.empty", "Empty");
    EXPECT_EQ(Application::forProcessID(700)->windows(), std::vector<UIElement>{});
    empty.element().removeAttribute("AXWindows");
    EXPECT_EQ(Application::forProcessID(700)->windows(), std::nullopt);

    notes->element().setAttribute("AXWindows", AXValue::Array{AXValue(window->ref()), AXValue("junk"), AXValue(5)});
    EXPECT_EQ(app.windows(), std::vector<UIElement>{wrap(window)});
    notes->element().setAttribute("AXWindows", "junk");
    EXPECT_EQ(outcome([&] { return QString::number(app.windows()->size()); }), "AXError.IllegalArgument");
    desktop().forceResult(axcode::cannotComplete, notes->element(), "AXWindows");
    EXPECT_EQ(outcome([&] { return QString::number(app.windows()->size()); }), "AXError.CannotComplete");
}

TEST_F(ApplicationTest, CreatingAnObserverFailsQuietlyOnlyForAGoneApplication)
{
    const auto app = *Application::forProcessID(512);
    auto observer = app.createObserver([](Observer&, const UIElement&, AXNotification) {});
    ASSERT_TRUE(observer);
    EXPECT_EQ(observer->pid(), 512);
    EXPECT_EQ(observer->application(), app);
    EXPECT_EQ(&observer->application(), &observer->application());

    notes->hang();
    EXPECT_FALSE(app.createObserver([](Observer&, const UIElement&, AXNotification, const auto&) {}));
    ASSERT_EQ(world().log.lines().size(), 1);
    EXPECT_TRUE(world().log.lines()[0].endsWith(
        " createObserver(_:) - Caught unexpected error creating observer: AXError.CannotComplete"));

    notes->hang(false);
    notes->quit();
    EXPECT_FALSE(app.createObserver([](Observer&, const UIElement&, AXNotification) {}));
    EXPECT_EQ(world().log.lines().size(), 1) << "a quit application writes no message";
}

TEST_F(ApplicationTest, TheSystemWideElementAsksTheFrontmostApplication)
{
    auto& system = systemWideElement();
    EXPECT_EQ(&system, &systemWideElement());
    EXPECT_EQ(system.attribute<UIElement>(Attribute::focusedUIElement), std::nullopt) << "nothing is frontmost";
    desktop().activate(*notes);
    desktop().focus(*area);
    EXPECT_EQ(system.attribute<UIElement>(Attribute::focusedUIElement), wrap(area));
    EXPECT_EQ(system.role(), Role::systemWide);
}

TEST_F(ApplicationTest, TrustIsAskedOfTheDesktop)
{
    EXPECT_TRUE(checkIsProcessTrusted(false));
    desktop().setTrusted(false);
    EXPECT_FALSE(checkIsProcessTrusted(false));
    EXPECT_FALSE(UIElement::isProcessTrusted(false));
    EXPECT_EQ(desktop().trustPrompts(), 0);
    EXPECT_FALSE(UIElement::isProcessTrusted(true));
    EXPECT_FALSE(checkIsProcessTrusted(true));
    EXPECT_EQ(desktop().trustPrompts(), 2);
}
