#include "Caret/Managers/PermissionManager.h"
#include "support/SimulatedDesktopTest.h"

using namespace zorbel;
using zorbel::testing::SimulatedDesktopTest;

class PermissionManagerTest : public SimulatedDesktopTest {
protected:
    QStringList permissionLines() { return world().console.linesStartingWith("[PermissionManager]"); }
};

TEST_F(PermissionManagerTest, WithoutPermissionChecksEveryTwoSecondsAndNeverPrompts)
{
    desktop().setTrusted(false);
    PermissionManager manager;
    world().runFor(0.05);
    EXPECT_EQ(permissionLines(), QStringList{"[PermissionManager] Accessibility permission: false"});
    world().runFor(0.1);
    EXPECT_TRUE(manager.isMonitoring());
    world().runFor(2.0);
    world().runFor(2.0);
    EXPECT_EQ(permissionLines().size(), 1) << "the same finding is printed once";
    EXPECT_EQ(desktop().trustPrompts(), 0);
}

TEST_F(PermissionManagerTest, GrantedWhileMonitoringStopsTheTimerAndClearsThePrompt)
{
    desktop().setTrusted(false);
    PermissionManager manager;
    manager.setShowPermissionAlert(true);
    world().runFor(0.2);
    desktop().setTrusted(true);
    world().runFor(2.1);
    EXPECT_TRUE(manager.hasAccessibilityPermission());
    EXPECT_TRUE(permissionLines().contains("[PermissionManager] Accessibility permission changed from false to true"));
    EXPECT_FALSE(manager.showPermissionAlert());
    EXPECT_FALSE(manager.isMonitoring());
    const auto linesBefore = permissionLines().size();
    world().runFor(10);
    EXPECT_EQ(permissionLines().size(), linesBefore) << "no checks once granted";
}

TEST_F(PermissionManagerTest, StartedWithPermissionSchedulesNothingAndWithdrawalRestartsMonitoring)
{
    PermissionManager manager;
    world().runFor(0.2);
    EXPECT_EQ(permissionLines(), QStringList{"[PermissionManager] Accessibility permission changed from false to true"});
    EXPECT_FALSE(manager.isMonitoring());

    desktop().setTrusted(false);
    manager.checkAccessibilityPermission();
    world().runFor(0.01);
    EXPECT_FALSE(manager.hasAccessibilityPermission());
    EXPECT_TRUE(manager.isMonitoring());
}

TEST_F(PermissionManagerTest, OpeningSettingsClearsThePromptEvenWhenNothingCouldBeOpened)
{
    PermissionManager manager;
    manager.setShowPermissionAlert(true);
    manager.openAccessibilitySettings();
    EXPECT_FALSE(manager.showPermissionAlert());
    EXPECT_EQ(desktop().openedURLs,
              QStringList{"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"});
    EXPECT_TRUE(world().console.lines.contains("[PermissionManager] Opening System Settings Accessibility"));
}
