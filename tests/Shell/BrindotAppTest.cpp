#include "Shell/BrindotApp.h"
#include "Shell/StatusBarManager.h"
#include "Caret/CaretDesktopTest.h"
#include "ShellTest.h"

using namespace zorbel;
class BrindotAppTest : public zorbel::testing::ShellTestOn<zorbel::testing::CaretDesktopTest> {};

TEST_F(BrindotAppTest, StartUpJobsRunInTheirOrderAndAtTheirTimes)
{
    world().console.lines.clear();
    qputenv("ZORBEL_UPDATE_FEED_URL", "http://127.0.0.1:9/appcast.xml");
    BrindotApp app;
    qunsetenv("ZORBEL_UPDATE_FEED_URL");
    auto& lines = world().console.lines;
    EXPECT_EQ(lines.mid(0, 3), (QStringList{"[INFO] Brindot app starting...",
                                            "[DEBUG] Managers will be initialized automatically via @StateObject",
                                            "[DEBUG] HUD Manager initialized at app startup"}));
    const auto index = [&](const QString& line) { return lines.indexOf(line); };
    world().runFor(0.99);
    EXPECT_EQ(index("[INFO] v1.2.0: 初始化输入法样式功能..."), -1);
    EXPECT_NE(index("[INFO] Status bar setup completed successfully"), -1);
    world().runFor(0.02);
    EXPECT_NE(index("[INFO] v1.2.0: 输入法样式功能初始化完成"), -1);
    EXPECT_EQ(index("[INFO] 初始化版本更新功能..."), -1);
    world().runFor(1.0);
    EXPECT_GT(index("[INFO] 初始化版本更新功能..."), index("[INFO] v1.2.0: 输入法样式功能初始化完成"));
    EXPECT_EQ(index("[UpdateManager] ✅ Sparkle已初始化"), index("[INFO] 初始化版本更新功能...") + 1);
    world().runFor(29.9);
    EXPECT_EQ(index("[UpdateManager] 🔍 后台检查更新..."), -1);
    EXPECT_EQ(http.requestCount, 0);
    world().runFor(0.2);
    EXPECT_NE(index("[UpdateManager] 🔍 后台检查更新..."), -1);
    EXPECT_EQ(http.requestCount, 1);
}
