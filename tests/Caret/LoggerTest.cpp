#include "Caret/Core/Logger.h"
#include "support/TestWorld.h"

using namespace zorbel;
using zorbel::testing::WorldTest;

class LoggerTest : public WorldTest {};

TEST_F(LoggerTest, WithoutDebugModeDebugIsDroppedAndNothingIsPrinted)
{
    Logger logger;
    logger.log("hidden", LogLevel::debug, "/src/Caret/Managers/PerfectCaretManager.cpp", "enable()", 12);
    logger.log("Enabling perfect caret", LogLevel::info, "/src/Caret/Managers/PerfectCaretManager.cpp", "enable()", 13);
    logger.log("w", LogLevel::warning, "Bare.cpp", "f()", 1);
    logger.log("e", LogLevel::error, "Bare.cpp", "f()", 2);
    EXPECT_EQ(world().log.lines(),
              (QStringList{"[INFO] PerfectCaretManager.cpp:13 enable() - Enabling perfect caret",
                           "[WARNING] Bare.cpp:1 f() - w", "[ERROR] Bare.cpp:2 f() - e"}));
    ASSERT_EQ(world().log.entries.size(), 3u);
    EXPECT_EQ(world().log.entries[1].severity, platform::LogSeverity::notice) << "warnings go out as the default type";
    EXPECT_TRUE(world().console.lines.isEmpty());
}

TEST_F(LoggerTest, DebugModeIsReadOnceAndEchoesEveryLine)
{
    world().defaults.standard().setBool("BrindotDebugMode", true);
    Logger logger;
    world().defaults.standard().setBool("BrindotDebugMode", false);
    logger.debug("d", ZHERE("configure(with:)"));
    EXPECT_EQ(world().log.lines().size(), 1);
    ASSERT_EQ(world().console.lines.size(), 1);
    EXPECT_TRUE(world().console.lines[0].startsWith("[DEBUG] LoggerTest.cpp:"));
    EXPECT_TRUE(world().console.lines[0].endsWith(" configure(with:) - d"));
}

TEST_F(LoggerTest, FormatDirectivesAndBracesAreLoggedLiterally)
{
    Logger logger;
    logger.info("100% done %@ %s %1 {0} {}", ZHERE("f()"));
    ASSERT_EQ(world().log.lines().size(), 1);
    EXPECT_TRUE(world().log.lines()[0].endsWith(" - 100% done %@ %s %1 {0} {}"));
}
