#include "Caret/Core/Logger.h"
#include "Platform/LogSink.h"
#include "support/TestWorld.h"

#include <QTimeZone>

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

// The diagnostic text carries what the program logged lately: every line that reached the log,
// the platform layer's too, bounded so a long session costs no more memory than a short one.
TEST_F(LoggerTest, RecentLinesKeepTheNewestWithinTheirBounds)
{
    Logger logger;
    logger.debug("hidden", ZHERE("f()"));
    logger.info("first", ZHERE("f()"));
    ZORBEL_PLATFORM_WARNING(QStringLiteral("platform"));
    auto lines = platform::recentLogLines().lines();
    ASSERT_EQ(lines.size(), 2) << "a dropped debug line is not kept either";
    EXPECT_TRUE(lines[0].contains(" [INFO] LoggerTest.cpp:") && lines[0].endsWith(" f() - first"));
    EXPECT_TRUE(lines[1].contains("[WARNING] LoggerTest.cpp:") && lines[1].endsWith(" - platform"));
    EXPECT_TRUE(QDateTime::fromString(lines[0].left(23), "yyyy-MM-dd HH:mm:ss.zzz").isValid()) << lines[0].toStdString();

    platform::RecentLogLines ring;
    const QDateTime at(QDate(2026, 12, 9), QTime(13, 5, 7, 42), QTimeZone::utc());
    for (int i = 0; i < platform::RecentLogLines::maxLines + 10; ++i) ring.add(QString::number(i), at);
    lines = ring.lines();
    ASSERT_EQ(lines.size(), platform::RecentLogLines::maxLines);
    EXPECT_EQ(lines.first(), "2026-12-09 13:05:07.042 10");
    EXPECT_EQ(lines.last(), "2026-12-09 13:05:07.042 " + QString::number(platform::RecentLogLines::maxLines + 9));

    // One huge message is cut, and long lines push old ones out by size as well as by count.
    ring.add(QString(1'000'000, 'x'), at);
    EXPECT_EQ(ring.lines().last().size(), 24 + platform::RecentLogLines::maxLineLength + 1);
    EXPECT_TRUE(ring.lines().last().endsWith("x…"));
    for (int i = 0; i < 1000; ++i) ring.add(QString(1500, 'y'), at);
    EXPECT_LE(ring.characterCount(), platform::RecentLogLines::maxCharacters);
    EXPECT_GT(ring.characterCount(), platform::RecentLogLines::maxCharacters - 2000);
    EXPECT_TRUE(ring.lines().last().endsWith("yyy"));

    // Debug mode keeps every level.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    Logger verbose;
    verbose.debug("shown", ZHERE("g()"));
    lines = platform::recentLogLines().lines();
    EXPECT_TRUE(lines.last().contains(" [DEBUG] LoggerTest.cpp:") && lines.last().endsWith(" g() - shown"));
}
