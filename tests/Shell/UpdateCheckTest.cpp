#include "Shell/Appcast.h"
#include "Shell/UpdateManager.h"
#include "ShellTest.h"

#include <algorithm>
#include <vector>

using namespace zorbel;
using zorbel::testing::ShellTest;

namespace {

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><title>Zorbel</title>" +
           items + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& shortVersion = {}, const QByteArray& link = {})
{
    QByteArray text = "<item><title>Zorbel " + version + "</title>";
    if (!link.isEmpty()) text += "<link>" + link + "</link>";
    if (!shortVersion.isEmpty()) text += "<sparkle:shortVersionString>" + shortVersion + "</sparkle:shortVersionString>";
    text += "<enclosure url=\"https://example.org/z.tar.gz\" sparkle:version=\"" + version + "\" length=\"1\"/>";
    return text + "</item>";
}

}  // namespace

TEST(AppVersionTest, ComparesNumberByNumber)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.2.0", "1.10.0", -1}, {"1.2", "1.2.0", 0},   {"v2.0", "1.99.99", 1}, {"1.02", "1.2", 0},
        {"0.9.9", "1.0", -1},    {"10", "9.9.9", 1},    {"1.0.1", "1.0", 1},
        {"123456789012345678901234567890", "123456789012345678901234567891", -1},
    };
    for (const auto& c : cases) {
        const auto a = AppVersion::parse(QString::fromLatin1(c.a));
        const auto b = AppVersion::parse(QString::fromLatin1(c.b));
        ASSERT_TRUE(a && b) << c.a << " " << c.b;
        EXPECT_EQ(a->compare(*b), c.expected) << c.a << " vs " << c.b;
    }
}

TEST(AppVersionTest, RefusesWhatIsNoVersionNumber)
{
    for (const char* text : {"", "v", "1..2", "1.2.", "abc", "1.2b3", "-1", "1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17",
                             "1 .2", "１.２"})
        EXPECT_FALSE(AppVersion::parse(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(AppVersion::parse(QString(200, QLatin1Char('9'))));
}

TEST(AppcastTest, ReadsItemsTheirVersionsAndDownloadPages)
{
    const auto result = parseAppcast(feed(item("120", "1.2.0", "https://example.org/1.2") + item("130", "1.3.0") +
                                          "<item><title>broken</title></item>" + item("1.4-beta")));
    ASSERT_TRUE(result.appcast) << result.error.toStdString();
    const auto& items = result.appcast->items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].version, "120");
    EXPECT_EQ(items[0].displayVersionString, "1.2.0");
    EXPECT_EQ(items[0].downloadPage, QUrl("https://example.org/1.2"));
    EXPECT_EQ(items[1].downloadPage, QUrl("https://example.org/z.tar.gz"));
    EXPECT_EQ(result.appcast->skipped.size(), 2);
    const auto newest = newestUpdate(*result.appcast, *AppVersion::parse("125"));
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->displayVersionString, "1.3.0");
    EXPECT_FALSE(newestUpdate(*result.appcast, *AppVersion::parse("130")));
}

// Feeds list their items in any order: the highest newer version is offered, whichever place
// it has, and nothing when none is newer than the running one.
TEST(AppcastTest, TheHighestOfSeveralNewerVersionsIsOfferedInAnyOrder)
{
    std::vector<QByteArray> versions{"1.4", "1.10", "1.9.1", "1.2"};
    std::sort(versions.begin(), versions.end());
    do {
        QByteArray items;
        for (const auto& v : versions) items += item(v, "v" + v);
        const auto result = parseAppcast(feed(items));
        ASSERT_TRUE(result.appcast) << result.error.toStdString();
        const auto trace = ::testing::Message() << items.constData();
        const auto offered = [&](const char* running) {
            const auto newest = newestUpdate(*result.appcast, *AppVersion::parse(running));
            return newest ? newest->displayVersionString : QStringLiteral("none");
        };
        EXPECT_EQ(offered("1.3"), "v1.10") << trace;
        EXPECT_EQ(offered("1.9.1"), "v1.10") << trace;
        EXPECT_EQ(offered("1.10"), "none") << trace;
        EXPECT_EQ(offered("1.10.0.1"), "none") << trace;
        EXPECT_EQ(offered("0.9"), "v1.10") << trace;
    } while (std::next_permutation(versions.begin(), versions.end()));
}

TEST(AppcastTest, FeedsThatCannotBeUsedSayWhy)
{
    const QByteArray feeds[] = {
        "", "not xml at all", "<html><body>502</body></html>", feed(""), feed("<item><title>x</title></item>"),
        feed(item("99999999999999999999999999999999999999999999999999999999999999999999.1")),
        feed(item("1.0") + "<unclosed>"),
    };
    for (const auto& bytes : feeds) {
        const auto result = parseAppcast(bytes);
        EXPECT_FALSE(result.appcast) << bytes.constData();
        EXPECT_FALSE(result.error.isEmpty()) << bytes.constData();
    }
}

TEST(AppcastTest, DisplayVersionIsPlainTextAndLinksOnlyWebAddresses)
{
    // Invisible characters are judged by code point: tag characters beyond the first plane
    // (U+E0041...) go like the zero-width space; an emoji beyond it stays whole, also
    // where the text is cut at 64 characters.
    const auto result = parseAppcast(
        feed(item("2.0", "2.0\n\t &lt;b&gt;new&lt;/b&gt;&#x200B;&#xE0041;&#xE0042;&#xE007F;&#x1F600;", "javascript:alert(1)") +
             item("3.0", QByteArray(63, 'v') + "&#x1F600;&#x1F600;")));
    ASSERT_TRUE(result.appcast);
    const auto& first = result.appcast->items.at(0);
    EXPECT_EQ(first.displayVersionString, QString::fromUtf8("2.0 <b>new</b>\U0001F600"));
    EXPECT_EQ(first.downloadPage, QUrl("https://example.org/z.tar.gz"));
    EXPECT_EQ(result.appcast->items.at(1).displayVersionString,
              QString(63, QLatin1Char('v')) + QString::fromUtf8("\U0001F600…"));
}

class UpdateManagerTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        qputenv("ZORBEL_UPDATE_FEED_URL", feedURL.toString().toUtf8());
    }
    void TearDown() override
    {
        qunsetenv("ZORBEL_UPDATE_FEED_URL");
        ShellTest::TearDown();
    }
    void serve(const QByteArray& body) { http.responses[feedURL] = platform::HttpResponse{body, 200, {}}; }

    const QUrl feedURL{"http://127.0.0.1:8/appcast.xml"};
};

TEST_F(UpdateManagerTest, FoundUpdateIsPublishedAnnouncedAndNotifiedThenClearedByALaterCheck)
{
    serve(feed(item("1.3.0", {}, "https://example.org/download")));
    auto& m = UpdateManager::shared();
    auto badges = observe("UpdateBadgeChanged");
    m.checkForUpdates();
    EXPECT_EQ(m.updateState(), UpdateState::checking());
    world().runFor(1);
    EXPECT_EQ(m.latestVersion(), "1.3.0");
    EXPECT_TRUE(m.hasUpdate());
    EXPECT_EQ(m.updateState(), UpdateState::updateAvailable("1.3.0"));
    ASSERT_EQ(badges->objects.size(), 1u);
    EXPECT_EQ(badges->objects[0], QVariant(true));
    ASSERT_EQ(userNotifications.shown.size(), 1u);
    EXPECT_EQ(userNotifications.shown[0].identifier, "update_available_1.3.0");
    EXPECT_EQ(userNotifications.shown[0].title, "Zorbel 更新可用");
    EXPECT_EQ(userNotifications.shown[0].body, "发现新版本 1.3.0，点击查看详情");
    ASSERT_EQ(shell.alerts.size(), 1u) << "a check the user asked for shows its outcome";

    serve(feed(item("1.0.0")));
    m.updater().checkForUpdatesInBackground();
    world().runFor(1);
    EXPECT_FALSE(m.hasUpdate());
    EXPECT_EQ(m.updateState(), UpdateState::idle());
    EXPECT_EQ(m.latestVersion(), "1.3.0");
    EXPECT_EQ(badges->objects.back(), QVariant(false));
    EXPECT_EQ(shell.alerts.size(), 1u) << "a background check shows nothing";
}

TEST_F(UpdateManagerTest, AFailedCheckKeepsTheBadgeAndSaysWhy)
{
    serve(feed(item("1.3.0")));
    auto& m = UpdateManager::shared();
    m.updater().checkForUpdatesInBackground();
    world().runFor(1);
    auto badges = observe("UpdateBadgeChanged");
    serve("<rss><channel>");
    m.checkForUpdates();
    world().runFor(1);
    EXPECT_EQ(m.updateState().kind, UpdateState::Kind::error);
    EXPECT_TRUE(m.hasUpdate());
    EXPECT_TRUE(badges->objects.empty());
    EXPECT_EQ(world().console.linesStartingWith("[UpdateManager] ❌ 检查更新失败: 更新源不是有效的 XML").size(), 1);
    ASSERT_FALSE(shell.alerts.empty());
    EXPECT_EQ(shell.alerts.back().messageText, "检查更新失败");
}

// A check asked for while one runs is answered by that check: one request, and the user
// sees its outcome.
TEST_F(UpdateManagerTest, ACheckAskedForDuringAnotherGetsThatChecksOutcome)
{
    serve(feed(item("1.3.0")));
    http.latency = 5;
    auto& m = UpdateManager::shared();
    m.updater().checkForUpdatesInBackground();
    world().runFor(1);
    m.checkForUpdates();
    m.checkForUpdates();
    world().runFor(5);
    EXPECT_EQ(http.requestCount, 1);
    EXPECT_EQ(m.updateState(), UpdateState::updateAvailable("1.3.0"));
    ASSERT_EQ(shell.alerts.size(), 1u);
    EXPECT_EQ(shell.alerts[0].messageText, "发现新版本 1.3.0");
}

// A build without a feed says so when the user asks, and never asks the network.
TEST_F(UpdateManagerTest, WithoutAFeedCheckingSaysNoFeedIsConfigured)
{
    qunsetenv("ZORBEL_UPDATE_FEED_URL");
    if (!Updater::defaultFeedURL().isEmpty()) GTEST_SKIP() << "this build names an update feed";
    auto& m = UpdateManager::shared();
    EXPECT_FALSE(m.canCheckForUpdates());
    m.checkForUpdates();
    world().runFor(1);
    EXPECT_EQ(http.requestCount, 0);
    ASSERT_EQ(shell.alerts.size(), 1u);
    EXPECT_EQ(shell.alerts[0].messageText, "未配置更新源");
    EXPECT_TRUE(shell.alerts[0].informativeText.contains("没有配置更新源"));
    EXPECT_EQ(world().console.linesStartingWith("[UpdateManager] ❌ 更新检查无法启动").size(), 0);
}

TEST_F(UpdateManagerTest, AnUnacceptableFeedAddressPrintsTheFailureInsteadOfTheSuccessLines)
{
    qputenv("ZORBEL_UPDATE_FEED_URL", "http://updates.example.org/appcast.xml");
    auto& m = UpdateManager::shared();
    EXPECT_FALSE(m.isUpdaterStarted());
    EXPECT_EQ(world().console.count("[UpdateManager] ✅ Sparkle初始化完成"), 0);
    EXPECT_EQ(world().console.linesStartingWith("[UpdateManager] ❌ 更新检查无法启动").size(), 1);
    m.checkForUpdates();
    world().runFor(1);
    EXPECT_EQ(m.updateState().kind, UpdateState::Kind::error);
    EXPECT_EQ(http.requestCount, 0);
}

TEST_F(UpdateManagerTest, ScheduledChecksFollowTheStoredLastCheckDaily)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
    standard().setObject("updateLastCheckTime", now.addSecs(-23 * 3600).toSecsSinceEpoch());
    serve(feed(item("0.0.1")));
    auto& m = UpdateManager::shared();
    m.updater().setWallClock([now] { return now; });
    m.updater().setUpdateCheckInterval(86400);
    EXPECT_NEAR(*m.updater().secondsUntilScheduledCheck(), 3600, 1);
    world().runFor(3601);
    EXPECT_EQ(http.requestCount, 1);
    EXPECT_NEAR(*m.updater().secondsUntilScheduledCheck(), 86400, 1);
}

TEST_F(UpdateManagerTest, NotificationFailureIsOnlyPrinted)
{
    userNotifications.failure = QStringLiteral("没有正在运行的桌面通知服务");
    serve(feed(item("9.0")));
    UpdateManager::shared().updater().checkForUpdatesInBackground();
    world().runFor(1);
    EXPECT_EQ(world().console.count("[UpdateManager] ❌ 通知发送失败: 没有正在运行的桌面通知服务"), 1);
    EXPECT_TRUE(UpdateManager::shared().hasUpdate());
}
