#include "Shell/UIStyleManager.h"
#include "ShellTest.h"

using namespace zorbel;
using zorbel::testing::ShellTest;

class UIStyleManagerTest : public ShellTest {};

TEST_F(UIStyleManagerTest, NothingStoredGivesFrostedGlassWithoutWritingAndOneAnnouncement)
{
    auto posts = observe("uiStyleChanged");
    UIStyleManager m;
    EXPECT_EQ(m.currentStyle(), UIStyle::frostedGlass);
    EXPECT_EQ(m.currentConfig(), UIStyleConfig::config(UIStyle::frostedGlass));
    EXPECT_FALSE(standard().contains("UIStyle"));
    ASSERT_EQ(posts->objects.size(), 1u);
    EXPECT_EQ(posts->objects[0].value<UIStyle>(), UIStyle::frostedGlass);
}

TEST_F(UIStyleManagerTest, StoredThemeIsLoadedRewrittenAndAnnouncedTwiceAtCreation)
{
    standard().setString("UIStyle", "liquidGlass");
    auto posts = observe("uiStyleChanged");
    UIStyleManager m;
    EXPECT_EQ(m.currentStyle(), UIStyle::liquidGlass);
    EXPECT_EQ(m.currentConfig().style, UIStyle::liquidGlass);
    EXPECT_EQ(standard().writeCount("UIStyle"), 2);
    EXPECT_EQ(posts->objects.size(), 2u);
}

TEST_F(UIStyleManagerTest, NamesInAnotherLetterCaseOrOfAnotherKindAreIgnoredAndKeptWithOneWarning)
{
    for (const QVariant& stored : {QVariant(QStringLiteral("LiquidGlass")), QVariant(QStringLiteral("dark")), QVariant(3)}) {
        world().log.clear();
        standard().setObject("UIStyle", stored);
        UIStyleManager m;
        EXPECT_EQ(m.currentStyle(), UIStyle::frostedGlass);
        EXPECT_EQ(standard().object("UIStyle"), stored);
        const auto warnings = world().log.linesContaining("[WARNING]");
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].contains("\"" + stored.toString() + "\"")) << warnings[0].toStdString();
    }
}

TEST_F(UIStyleManagerTest, EveryAssignmentSavesRecomputesAndAnnouncesOnce)
{
    UIStyleManager m;
    auto posts = observe("uiStyleChanged");
    m.setCurrentStyle(UIStyle::frostedGlass);
    m.setCurrentStyle(UIStyle::system);
    EXPECT_EQ(posts->objects.size(), 2u);
    EXPECT_EQ(standard().writeCount("UIStyle"), 2);
    EXPECT_EQ(standard().stringForKey("UIStyle"), "system");
    EXPECT_EQ(m.currentConfig(), UIStyleConfig::config(UIStyle::system));
}
