#include "Caret/Core/ConfigManager.h"
#include "support/TestWorld.h"

using namespace zorbel;
using zorbel::testing::WorldTest;

class ConfigManagerTest : public WorldTest {
protected:
    platform::MemoryUserDefaults& suite() { return world().defaults.memorySuite("quellan.brindot"); }
};

TEST_F(ConfigManagerTest, FreshInstallationGivesTheDefaults)
{
    ConfigManager c;
    EXPECT_FALSE(c.isBrindotEnabled());
    EXPECT_FALSE(c.debugMode());
    EXPECT_EQ(c.brindotColor(), "blue");
    EXPECT_EQ(c.brindotSize(), 12.0);
    EXPECT_TRUE(c.enableMouseDrivenMode());
    EXPECT_FALSE(c.enableBlinking());
    EXPECT_TRUE(suite().keys().isEmpty()) << "loading writes nothing";
}

TEST_F(ConfigManagerTest, StoredValuesWinOnlyWhenPresentAndWrongTypesReadAsTypeDefaults)
{
    suite().setDouble("BrindotSize", 0);
    suite().setBool("BrindotMouseDrivenMode", false);
    suite().setObject("BrindotColor", QStringList{"not", "text"});
    suite().setObject("isBrindotEnabled", QStringLiteral("garbage"));
    ConfigManager c;
    EXPECT_EQ(c.brindotSize(), 0.0);
    EXPECT_FALSE(c.enableMouseDrivenMode());
    EXPECT_EQ(c.brindotColor(), "blue");
    EXPECT_FALSE(c.isBrindotEnabled());
}

TEST_F(ConfigManagerTest, SwitchesAreWrittenBackAndBlinkingAnnouncesEveryAssignment)
{
    int changes = 0;
    auto token = world().notifications.addObserver("configChanged", [&](const auto& n) {
        ++changes;
        EXPECT_FALSE(n.object.isValid());
        EXPECT_TRUE(n.userInfo.isEmpty());
    });
    {
        ConfigManager c;
        c.setEnableBlinking(true);
        c.setEnableBlinking(true);
        c.setIsBrindotEnabled(true);
    }
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(suite().writeCount("BrindotBlinking"), 2);
    ConfigManager relaunched;
    EXPECT_TRUE(relaunched.enableBlinking());
    EXPECT_TRUE(relaunched.isBrindotEnabled());
}

TEST_F(ConfigManagerTest, FallsBackToTheStandardDomainWhenTheSuiteCannotBeOpened)
{
    world().defaults.setSuitesUnavailable(true);
    world().defaults.standard().setBool("BrindotBlinking", true);
    ConfigManager c;
    EXPECT_TRUE(c.enableBlinking());
    c.setIsBrindotEnabled(true);
    EXPECT_TRUE(world().defaults.standard().boolForKey("isBrindotEnabled"));
}

TEST_F(ConfigManagerTest, AFailedWriteIsLoggedAsAnErrorAndTheValueStillApplies)
{
    ConfigManager c;
    suite().setFailWrites(true);
    c.setIsBrindotEnabled(true);
    EXPECT_TRUE(c.isBrindotEnabled());
    EXPECT_EQ(world().log.linesContaining("[ERROR]").size(), 1);
}
