#include "Caret/Core/ConfigManager.h"
#include "Shell/StatusBarManager.h"
#include "Shell/StatusIcon.h"
#include "Shell/UIStyleManager.h"
#include "Shell/UpdateManager.h"
#include "ShellTest.h"

#include <QCoreApplication>

using namespace zorbel;
using zorbel::testing::ShellTest;

namespace {
QStringList titles(const platform::Menu& menu)
{
    QStringList list;
    for (const auto& item : menu)
        list << (item.kind == platform::MenuItem::Kind::separator ? QStringLiteral("---") : item.displayTitle());
    return list;
}
}  // namespace

class StatusBarManagerTest : public ShellTest {
protected:
    // The manager with its status item set up (on the first turn of the loop).
    StatusBarManager& manager()
    {
        auto& m = StatusBarManager::shared();
        world().runFor(0);
        return m;
    }
    const platform::Menu& shownMenu() { return shell.item()->menu; }
};

TEST_F(StatusBarManagerTest, MenuRowsTitlesKeysAndThemeChecksFollowTheStoredState)
{
    suite().setBool("isBrindotEnabled", true);
    standard().setString("UIStyle", "system");
    manager();
    ASSERT_NE(shell.item(), nullptr);
    const auto& menu = shownMenu();
    EXPECT_EQ(titles(menu), (QStringList{"关闭 Zorbel", "---", "样式风格", "---", "检查更新", "---", "设置",
                                         "关于 Zorbel", "---", "退出 Zorbel"}));
    EXPECT_EQ(menu[0].action, "toggleBrindot");
    EXPECT_EQ(menu[4].tag, 999);
    EXPECT_EQ(menu[6].keyEquivalent, ",");
    EXPECT_EQ(menu[9].keyEquivalent, "q");
    EXPECT_EQ(menu[9].action, "quitApp");
    EXPECT_TRUE(menu[2].action.isEmpty());
    ASSERT_EQ(menu[2].submenu.size(), 3u);
    EXPECT_EQ(titles(menu[2].submenu), (QStringList{"操作系统", "磨砂玻璃", "液态玻璃"}));
    EXPECT_TRUE(menu[2].submenu[0].stateOn);
    EXPECT_FALSE(menu[2].submenu[1].stateOn);
    EXPECT_FALSE(menu[2].submenu[2].stateOn);
    EXPECT_EQ(shell.item()->length(), -2.0);
    EXPECT_EQ(shell.item()->accessibilityDescription, "Zorbel");
    EXPECT_EQ(world().console.count("[INFO] Status bar setup completed successfully"), 1);
}

TEST_F(StatusBarManagerTest, ToggleStoresTheSwitchRetitlesAndPostsTheNewState)
{
    suite().setBool("isBrindotEnabled", true);
    manager();
    auto posts = observe("brindotToggleChanged");
    shell.choose("toggleBrindot");
    world().runFor(0);
    EXPECT_FALSE(suite().boolForKey("isBrindotEnabled"));
    EXPECT_EQ(shownMenu()[0].title, "开启 Zorbel");
    ASSERT_EQ(posts->objects.size(), 1u);
    EXPECT_EQ(posts->objects[0], QVariant(false));
}

TEST_F(StatusBarManagerTest, ToggleTitleFollowsTheSwitchWhenChangedElsewhere)
{
    auto& m = manager();
    EXPECT_EQ(shownMenu()[0].title, "开启 Zorbel");
    m.setIsBrindotEnabled(true);  // as the settings page's master switch does
    EXPECT_EQ(shownMenu()[0].title, "关闭 Zorbel");
    ConfigManager::shared().setIsBrindotEnabled(false);  // a page writing the stored switch
    EXPECT_FALSE(m.isBrindotEnabled());
    EXPECT_EQ(shownMenu()[0].title, "开启 Zorbel");
    EXPECT_EQ(suite().writeCount("isBrindotEnabled"), 3) << "written once per change, never echoed back";
}

TEST_F(StatusBarManagerTest, ThemeFromTheMenuIsStoredAndAnnouncedOnceAndChecked)
{
    manager();
    const int writesBefore = standard().writeCount("UIStyle");
    auto posts = observe("uiStyleChanged");
    shell.choose("setLiquidGlassStyle");
    world().runFor(0);
    EXPECT_EQ(standard().writeCount("UIStyle") - writesBefore, 1);
    EXPECT_EQ(posts->objects.size(), 1u);
    EXPECT_EQ(UIStyleManager::shared().currentStyle(), UIStyle::liquidGlass);
    const auto& themes = shownMenu()[2].submenu;
    EXPECT_FALSE(themes[0].stateOn);
    EXPECT_FALSE(themes[1].stateOn);
    EXPECT_TRUE(themes[2].stateOn);
}

TEST_F(StatusBarManagerTest, UpdateBadgeShowsTheVersionAsPlainTextAndClearsAgain)
{
    manager();
    auto& updates = UpdateManager::shared();
    AppcastItem item;
    item.version = "1.3.0";
    item.displayVersionString = "1.3.0 <b>&amp;</b>";
    updates.updaterDidFindValidUpdate(item);
    world().runFor(0);
    const auto& row = shownMenu()[4];
    ASSERT_EQ(row.attributedTitle.size(), 5);
    EXPECT_EQ(row.displayTitle(), "NEW v1.3.0 <b>&amp;</b> 可用");
    EXPECT_EQ(row.attributedTitle[0].colour, platform::MenuTitleRun::Colour::systemBlue);
    EXPECT_EQ(row.attributedTitle[2].colour, platform::MenuTitleRun::Colour::systemOrange);
    EXPECT_EQ(row.attributedTitle[4].colour, platform::MenuTitleRun::Colour::secondaryLabel);
    EXPECT_EQ(shell.item()->image, makeBadgedStatusImage(statusSymbolImage()));

    world().notifications.post("UpdateBadgeChanged", QStringLiteral("yes"));
    world().runFor(0);
    EXPECT_EQ(shownMenu()[4].attributedTitle.size(), 5) << "an object that is no Bool changes nothing";

    updates.updaterDidNotFindUpdate();
    world().runFor(0);
    EXPECT_TRUE(shownMenu()[4].attributedTitle.isEmpty());
    EXPECT_EQ(shownMenu()[4].displayTitle(), "检查更新");
    EXPECT_EQ(shell.item()->image, statusSymbolImage());
}

TEST_F(StatusBarManagerTest, BadgeIsARedDotInTheTopRightCorner)
{
    const QImage badged = makeBadgedStatusImage(statusSymbolImage());
    const QColor centre = badged.pixelColor(int(18 * badged.devicePixelRatio()), int(4 * badged.devicePixelRatio()));
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 100);
    EXPECT_EQ(statusSymbolImage().pixelColor(36, 8).alpha(), 0) << "the plain symbol leaves that corner clear";
}

TEST_F(StatusBarManagerTest, WithoutAStatusItemSetUpStopsAfterTheErrorLine)
{
    shell.refuseStatusItems = true;
    auto& m = manager();
    EXPECT_EQ(world().console.count("[ERROR] Failed to create status bar item"), 1);
    EXPECT_FALSE(m.menu().has_value());
    m.toggleBrindot();  // still switches, with nothing to retitle
    EXPECT_TRUE(suite().boolForKey("isBrindotEnabled"));
}

TEST_F(StatusBarManagerTest, WithoutAButtonTheMenuIsStillBuilt)
{
    shell.statusItemsHaveButtons = false;
    auto& m = manager();
    EXPECT_EQ(world().console.count("[ERROR] Failed to get status bar button"), 1);
    EXPECT_TRUE(m.menu().has_value());
}

// Clicks on "关于" while its box is up (the box's own loop still delivers them) open no
// second box; once it is closed, the next click opens one again.
TEST_F(StatusBarManagerTest, AboutShowsTheVersionOneBoxAtATimeAndQuitEndsTheApplication)
{
    auto& m = manager();
    const QString version = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("2.3.4");
    shell.whileModal = [&] {
        for (int i = 0; i < 19; ++i) m.perform("showAbout");
    };
    shell.choose("showAbout");
    world().runFor(0);
    EXPECT_EQ(shell.alerts.size(), 1u);
    shell.choose("showAbout");
    shell.choose("quitApp");
    world().runFor(0);
    QCoreApplication::setApplicationVersion(version);
    ASSERT_EQ(shell.alerts.size(), 2u);
    EXPECT_EQ(shell.alerts[0].messageText, "Zorbel");
    EXPECT_EQ(shell.alerts[0].informativeText, "智能光标增强工具\n版本 2.3.4");
    EXPECT_EQ(shell.alerts[0].buttons, QStringList{"确定"});
    EXPECT_EQ(shell.terminateCount, 1);
}

TEST_F(StatusBarManagerTest, SettingsOpenThroughTheInstalledOpener)
{
    auto& m = manager();
    int opened = 0;
    m.setSettingsWindowOpener([&] { ++opened; });
    shell.choose("showSettings");
    shell.choose("showSettings");
    world().runFor(0);
    EXPECT_EQ(opened, 2);
}

TEST_F(StatusBarManagerTest, WithoutATrayItSaysHowToQuitAndOpensTheSettingsWindow)
{
    shell.statusAreaAvailable = false;
    int opened = 0;
    StatusBarManager::shared().setSettingsWindowOpener([&] { ++opened; });
    world().runFor(0);
    EXPECT_EQ(world().console.linesStartingWith("[WARNING] No system tray is running").size(), 1);
    EXPECT_EQ(opened, 1);
}
