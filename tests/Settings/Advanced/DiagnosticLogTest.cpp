#include "Caret/Core/Logger.h"
#include "Settings/Advanced/DiagnosticLog.h"
#include "Settings/Advanced/FeedbackMail.h"
#include "support/SimulatedDesktopTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrlQuery>

using namespace zorbel;
using namespace zorbel::diagnostics;

namespace {

// A private home for the files a test writes.
class TemporaryHome {
public:
    TemporaryHome()
        : oldHome_(qgetenv("HOME")), oldCache_(qgetenv("XDG_CACHE_HOME"))
    {
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_CACHE_HOME", (dir_.path() + "/.cache").toUtf8());
    }
    ~TemporaryHome()
    {
        qputenv("HOME", oldHome_);
        qputenv("XDG_CACHE_HOME", oldCache_);
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_, oldCache_;
};

QString readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

}  // namespace

class DiagnosticLogTest : public zorbel::testing::SimulatedDesktopTest {};

TEST_F(DiagnosticLogTest, TextCarriesTheRecentLogAndTheTrustStateAtTheMomentOfTheRequest)
{
    DiagnosticFacts facts{QDateTime(QDate(2026, 12, 7), QTime(22, 30, 5), QTimeZone::utc()), "Debian 12", "1.0.0", true,
                          {"2026-12-07 22:30:01.000 [INFO] a.cpp:1 f() - one", "2026-12-07 22:30:02.000 [ERROR] b.cpp:2 g() - two"}};
    QStringList lines = buildLogText(facts).split('\n');
    ASSERT_EQ(lines.size(), 16) << "fifteen lines, each ended by a line feed";
    EXPECT_EQ(lines[1], "生成时间: 2026-12-07 22:30:05 +0000");
    EXPECT_EQ(lines[5], "应用版本: v1.0.0");
    EXPECT_EQ(lines[8], "辅助功能权限: ✓ 已授权");
    EXPECT_EQ(lines.mid(10, 5), (QStringList{"=== 应用日志 ===",
                                             "注：本日志仅包含应用运行信息，不涉及任何用户个人信息或输入内容", "",
                                             facts.logLines[0], facts.logLines[1]}));
    EXPECT_EQ(lines[15], "");
    facts.logLines.clear();
    EXPECT_TRUE(buildLogText(facts).endsWith("=== 应用日志 ===\n注：本日志仅包含应用运行信息，不涉及任何用户个人信息或输入内容\n\n"
                                             "（尚无日志）\n"));

    desktop().setTrusted(false);
    Logger::shared().warning("Something the user should send", ZHERE("f()"));
    const QString text = buildLogText(currentFacts("2.0"));
    EXPECT_TRUE(text.contains("辅助功能权限: ✗ 未授权\n"));
    EXPECT_EQ(desktop().trustPrompts(), 0);
    EXPECT_FALSE(text.contains("示例日志"));
    lines = text.split('\n');
    ASSERT_GE(lines.size(), 15);
    EXPECT_TRUE(lines[lines.size() - 2].endsWith(" f() - Something the user should send")) << text.toStdString();
}

TEST_F(DiagnosticLogTest, FileNamesCarryTheFractionOfTheUnixTime)
{
    EXPECT_EQ(exportFileName(1765242605.0), "zorbel-logs-1765242605.0.txt");
    EXPECT_EQ(feedbackFileName(1765242605.25), "zorbel-feedback-1765242605.25.txt");
    EXPECT_NE(exportFileName(1765242605.001), exportFileName(1765242605.002));
}

TEST_F(DiagnosticLogTest, MailLinkIsEncodedCompletely)
{
    const QString link = feedbackMailLink();
    ASSERT_TRUE(link.startsWith("mailto:?subject=Zorbel%20"));
    for (const QChar c : link) EXPECT_LT(c.unicode(), 128) << "raw non-ASCII in the link";
    EXPECT_FALSE(link.contains(' '));
    EXPECT_FALSE(link.contains('\n'));
    EXPECT_TRUE(link.contains("%0A%0A%0A%0A---%0A"));
    // Exactly two query parts, which read back to the texts.
    const QUrlQuery query(QUrl(link).query(QUrl::FullyEncoded));
    EXPECT_EQ(query.queryItems().size(), 2);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "Zorbel 问题反馈");
    EXPECT_TRUE(query.queryItemValue("body", QUrl::FullyDecoded).endsWith("不涉及任何用户个人信息或输入内容"));
    EXPECT_EQ(percentEncodeQueryPart("a&b=c#d?e/f"), "a%26b%3Dc%23d%3Fe%2Ff");
}

TEST_F(DiagnosticLogTest, FeedbackFileGoesToAPrivateFolderOfTheUser)
{
    TemporaryHome home;
    const auto saved = saveFeedbackFile("the text\n", 1765242605.5);
    FeedbackResult result;
    openFeedbackMail(saved, [&](const FeedbackResult& r) { result = r; });
    ASSERT_EQ(result.status, FeedbackResult::Status::mailOpened);
    const QString folder = home.path() + "/.cache/zorbel/diagnostics";
    EXPECT_EQ(result.folderPath, folder);
    EXPECT_EQ(result.filePath, folder + "/zorbel-feedback-1765242605.5.txt");
    EXPECT_EQ(readAll(result.filePath), "the text\n");
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                        QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(folder).permissions() & others, 0) << "nobody else may look into the folder";
    EXPECT_EQ(QFileInfo(result.filePath).permissions() & others, 0) << "nobody else may read the file";
    EXPECT_TRUE(QFileInfo(result.filePath).permissions() & QFile::ReadOwner);
    EXPECT_EQ(desktop().openedURLs, QStringList{feedbackMailLink()});
    EXPECT_EQ(feedbackNotice(result).title, "邮件已打开");
    EXPECT_FALSE(feedbackNotice(result).isWarning);
}

TEST_F(DiagnosticLogTest, NoticeSaysWhenNoProgramTookTheMailLink)
{
    TemporaryHome home;
    desktop().opensURLs = false;
    FeedbackResult result;
    openFeedbackMail(saveFeedbackFile("x", 1.0), [&](const FeedbackResult& r) { result = r; });
    EXPECT_EQ(result.status, FeedbackResult::Status::mailNotOpened);
    EXPECT_TRUE(QFile::exists(result.filePath));
    const auto notice = feedbackNotice(result);
    EXPECT_NE(notice.title, "邮件已打开");
    EXPECT_TRUE(notice.isWarning);
    EXPECT_TRUE(notice.text.contains(result.filePath));
}

TEST_F(DiagnosticLogTest, UnwritableFilesOpenNoMailAndSayWhy)
{
    TemporaryHome home;
    // The diagnostics folder is a link planted by someone else: refused.
    QDir(home.path()).mkpath(".cache/zorbel");
    QDir(home.path()).mkpath("elsewhere");
    QFile::link(home.path() + "/elsewhere", home.path() + "/.cache/zorbel/diagnostics");
    const auto result = saveFeedbackFile("x", 1.0);
    EXPECT_EQ(result.status, FeedbackResult::Status::fileNotWritten);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(desktop().openedURLs.isEmpty());
    EXPECT_TRUE(QDir(home.path() + "/elsewhere").isEmpty());
    EXPECT_EQ(world().console.linesStartingWith("[FeedbackView] 创建日志文件失败: ").size(), 1);

    // An export into a folder that does not exist fails with a reason.
    const auto failure = exportLog(home.path() + "/missing/zorbel-logs-1.0.txt", "x");
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(world().console.linesStartingWith("[DebugSection] 导出日志失败: ").size(), 1);
    EXPECT_FALSE(exportLog(home.path() + "/zorbel-logs-1.0.txt", "日志").has_value());
    EXPECT_EQ(readAll(home.path() + "/zorbel-logs-1.0.txt"), "日志");
}

// A name that can be guessed may hold a link planted before the write: the file it leads to
// keeps its bytes and its permissions.
TEST_F(DiagnosticLogTest, PlantedLinksAreNeverWrittenThrough)
{
    TemporaryHome home;
    const QString victim = home.path() + "/victim.txt";
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const auto folder = diagnosticsFolder();
    ASSERT_TRUE(folder);
    const QString feedback = *folder + "/" + feedbackFileName(2.0);
    ASSERT_TRUE(QFile::link(victim, feedback));
    const auto result = saveFeedbackFile("the log", 2.0);
    EXPECT_EQ(result.status, FeedbackResult::Status::fileNotWritten);
    EXPECT_TRUE(QFileInfo(feedback).isSymLink()) << "the planted link is left as it is";

    const QString exported = home.path() + "/zorbel-logs-2.0.txt";
    ASSERT_TRUE(QFile::link(victim, exported));
    EXPECT_FALSE(exportLog(exported, "日志").has_value());
    EXPECT_FALSE(QFileInfo(exported).isSymLink()) << "the chosen name now holds the log itself";
    EXPECT_EQ(readAll(exported), "日志");
    EXPECT_EQ(QFileInfo(exported).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);

    EXPECT_EQ(readAll(victim), "precious");
    EXPECT_TRUE(QFileInfo(victim).permissions() & QFile::ReadOther);
}
