// The real program under the headless desktop with a tray host of our own: its item and
// menu are read over D-Bus as a panel reads them, the indicator is switched from the menu,
// an update found on a local feed badges the icon and the menu and reaches a real
// notification daemon, and the menu's quit item ends the program. TERM, INT and HUP end it,
// storing its settings, whatever is open.
#include "support/TrayHost.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace zorbel::integration {
namespace {

// Answers every request with one appcast.
class FeedServer {
 public:
  explicit FeedServer(QByteArray body) : body_(std::move(body)) {
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (auto* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          if (!socket->readAll().contains("\r\n\r\n")) return;
          ++requests;
          socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n"
                        "Content-Length: " + QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
          socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
    server_.listen(QHostAddress::LocalHost);
  }
  QString url() const { return QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(server_.serverPort()); }
  int requests = 0;

 private:
  QTcpServer server_;
  QByteArray body_;
};

class TrayTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto* process : {&program_, &daemon_}) {
      if (process->state() == QProcess::NotRunning) continue;
      process->kill();
      process->waitForFinished();
    }
  }

  void startProgram(const QString& feedUrl = QStringLiteral("http://127.0.0.1:9/appcast.xml")) {
    const QString folder = config_.path() + QStringLiteral("/zorbel");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto feed = [&](QProcessEnvironment& environment) {
      environment.insert(QStringLiteral("ZORBEL_UPDATE_FEED_URL"), feedUrl);
    };
    ASSERT_TRUE(host_.isRunning()) << "the test's tray owns the watcher's name";
    // A program started earlier in the test left its item behind.
    const auto registered = host_.items().size();
    ASSERT_TRUE(launchProgram(program_, QStringLiteral(ZORBEL_PROGRAM), config_.path(), {}, feed))
        << program_.errorString().toStdString();
    ASSERT_TRUE(pollUntil([&] {
      return host_.items().size() > registered || program_.state() == QProcess::NotRunning;
    }, 15s)) << "the item registers:\n" << output();
    ASSERT_GT(host_.items().size(), registered) << "the program ended (" << program_.exitCode()
                                                << ") before its item registered:\n" << output();
    item_ = host_.items().back();
    // The item may register before its properties answer.
    ASSERT_TRUE(pollUntil([&] { return host_.icon(item_).has_value(); }, 5s)) << output();
  }

  // Anywhere in the output, not only in the tail that output() shows.
  bool printed(const std::string& line) {
    return pollUntil([&] {
      output();
      return output_.contains(line.c_str());
    }, 5s);
  }

  bool storedSwitch() {
    QSettings suite(config_.path() + QStringLiteral("/zorbel/quellan.brindot.ini"), QSettings::IniFormat);
    return suite.value(QStringLiteral("isBrindotEnabled")).toBool();
  }

  const MenuNode* menuItem(const QString& label) {
    menu_ = host_.menu(item_);
    return menu_ ? menu_->find(label) : nullptr;
  }

  bool clickItem(const QString& label) {
    const auto* node = menuItem(label);
    return node && host_.click(item_, node->id);
  }

  std::string output() {
    output_ += program_.readAll();
    return output_.right(4000).toStdString();
  }

  void quitFromTheMenu() {
    ASSERT_TRUE(clickItem(QStringLiteral("退出 Zorbel")));
    ASSERT_TRUE(program_.waitForFinished(10000)) << output();
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);
  }

  TrayHost host_;
  TrayHost::Item item_;
  std::optional<MenuNode> menu_;
  QTemporaryDir config_;
  QProcess program_;
  QProcess daemon_;
  QByteArray output_;
};

QStringList labels(const MenuNode& node) {
  QStringList list;
  for (const auto& child : node.children) list << (child.isSeparator() ? QStringLiteral("---") : child.label());
  return list;
}

TEST_F(TrayTest, ItemAndMenuAreServedTheMenuSwitchesTheIndicatorAndQuits) {
  ASSERT_NO_FATAL_FAILURE(startProgram(QStringLiteral("http://127.0.0.1:9/appcast.xml")));
  EXPECT_EQ(host_.property(item_, QStringLiteral("Status")).toString(), QStringLiteral("Active"));
  const auto icon = host_.icon(item_);
  ASSERT_TRUE(icon) << "the item has its own icon";
  EXPECT_GE(icon->width(), 22);
  icon->save(QStringLiteral(ZORBEL_SCREENSHOT_DIR "/tray-icon.png"));

  ASSERT_TRUE(pollUntil([&] { return menuItem(QStringLiteral("开启 Zorbel")) != nullptr; }, 5s)) << output();
  EXPECT_EQ(labels(*menu_), (QStringList{"开启 Zorbel", "---", "样式风格", "---", "检查更新", "---", "设置",
                                         "关于 Zorbel", "---", "退出 Zorbel"}));
  const auto* themes = menu_->find(QStringLiteral("样式风格"));
  ASSERT_TRUE(themes);
  EXPECT_EQ(labels(*themes), (QStringList{"操作系统", "磨砂玻璃", "液态玻璃"}));
  EXPECT_EQ(themes->children.at(1).properties.value(QStringLiteral("toggle-state")).toInt(), 1);
  EXPECT_EQ(themes->children.at(0).properties.value(QStringLiteral("toggle-state")).toInt(), 0);

  ASSERT_TRUE(clickItem(QStringLiteral("开启 Zorbel")));
  EXPECT_TRUE(pollUntil([&] { return menuItem(QStringLiteral("关闭 Zorbel")) != nullptr; }, 5s)) << output();
  EXPECT_TRUE(storedSwitch());
  EXPECT_TRUE(printed("received toggle notification: true")) << output();

  ASSERT_TRUE(clickItem(QStringLiteral("液态玻璃")));
  EXPECT_TRUE(pollUntil([&] {
    const auto* node = menuItem(QStringLiteral("液态玻璃"));
    return node && node->properties.value(QStringLiteral("toggle-state")).toInt() == 1;
  }, 5s));
  ASSERT_TRUE(clickItem(QStringLiteral("设置")));
  EXPECT_TRUE(pollUntil([] { return windowNamed(QStringLiteral("Zorbel 设置")).has_value(); }, 10s)) << output();

  // The About box is modal; the menu still quits the program while it is open, and more
  // clicks on "关于" while it is up stack no second box.
  const auto aboutBoxes = [] { return viewableWindowsNamed(QStringLiteral("Zorbel")); };
  ASSERT_TRUE(clickItem(QStringLiteral("关于 Zorbel")));
  ASSERT_TRUE(pollUntil([&] { return aboutBoxes() == 1; }, 10s)) << "the About box shows\n" << output();
  ASSERT_TRUE(clickItem(QStringLiteral("关于 Zorbel")));
  ASSERT_TRUE(clickItem(QStringLiteral("关于 Zorbel")));
  // A second box would map within a moment of the clicks, as the first did.
  EXPECT_FALSE(pollUntil([&] { return aboutBoxes() > 1; }, 1s)) << "a second About box shows";
  EXPECT_EQ(aboutBoxes(), 1) << "About boxes on screen";
  QProcess::execute(QStringLiteral(ZORBEL_SCREENSHOT_TOOL), {QStringLiteral(ZORBEL_SCREENSHOT_DIR "/about.png")});
  quitFromTheMenu();
}

TEST_F(TrayTest, FoundUpdateBadgesTheIconAndTheMenuAndReachesTheNotificationDaemon) {
  const QString dunst = QStandardPaths::findExecutable(QStringLiteral("dunst"));
  ASSERT_FALSE(dunst.isEmpty()) << "dunst is installed by scripts/install-deps.sh";
  // Duplicates not stacked: a second notification shows as a second one unless it replaces.
  const QString dunstrc = config_.filePath(QStringLiteral("dunstrc"));
  QFile rc(dunstrc);
  ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
  rc.write("[global]\nstack_duplicates = false\n");
  rc.close();
  daemon_.start(dunst, {QStringLiteral("-config"), dunstrc});
  ASSERT_TRUE(pollUntil([] {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications"))
        .value();
  }, 10s));
  FeedServer feed(
      "<?xml version=\"1.0\"?><rss version=\"2.0\" "
      "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item><title>Zorbel 9.3</title>"
      "<link>https://example.org/zorbel</link><sparkle:version>9.3.0</sparkle:version>"
      "<sparkle:shortVersionString>9.3.0 &lt;b&gt;</sparkle:shortVersionString></item></channel></rss>");
  ASSERT_NO_FATAL_FAILURE(startProgram(feed.url()));
  const auto plain = host_.icon(item_);
  ASSERT_TRUE(plain);

  ASSERT_TRUE(pollUntil([&] { return clickItem(QStringLiteral("检查更新")); }, 5s));
  EXPECT_TRUE(pollUntil([&] { return menuItem(QStringLiteral("NEW v9.3.0 <b> 可用")) != nullptr; }, 10s))
      << output();
  EXPECT_EQ(feed.requests, 1);
  const auto badged = host_.icon(item_);
  ASSERT_TRUE(badged);
  const QColor dot = badged->pixelColor(badged->width() * 18 / 22, badged->height() * 4 / 22);
  EXPECT_GT(dot.red(), 200);
  EXPECT_LT(dot.green(), 100);
  badged->save(QStringLiteral(ZORBEL_SCREENSHOT_DIR "/tray-icon-badged.png"));

  const auto dunstctl = [](const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("dunstctl"), arguments);
    process.waitForFinished(3000);
    return process.readAllStandardOutput();
  };
  EXPECT_TRUE(pollUntil([&] { return dunstctl({QStringLiteral("count"), QStringLiteral("displayed")}).trimmed() == "1"; },
                        10s)) << output();
  QProcess::execute(QStringLiteral(ZORBEL_SCREENSHOT_TOOL), {QStringLiteral(ZORBEL_SCREENSHOT_DIR "/update-found.png")});
  // The same update found again replaces its notification instead of adding one.
  ASSERT_TRUE(clickItem(QStringLiteral("NEW v9.3.0 <b> 可用")));
  EXPECT_TRUE(pollUntil([&] { return feed.requests == 2; }, 10s));
  EXPECT_TRUE(pollUntil([&] {
    const QByteArray all = output_ + program_.readAll();
    output_ = all;
    return all.count("[UpdateManager] ✅ 发现新版本: 9.3.0 <b>") == 2;
  }, 10s)) << output();
  EXPECT_FALSE(pollUntil([&] { return dunstctl({QStringLiteral("count"), QStringLiteral("displayed")}).trimmed() != "1"; },
                         1s)) << "a second notification shows";
  dunstctl({QStringLiteral("close-all")});
  QByteArray history;
  EXPECT_TRUE(pollUntil([&] { return (history = dunstctl({QStringLiteral("history")})).contains("Zorbel"); }, 5s));
  EXPECT_TRUE(history.contains("发现新版本 9.3.0 &lt;b&gt;，点击查看详情")) << history.toStdString();
  EXPECT_TRUE(history.contains("Zorbel 更新可用")) << history.toStdString();
  EXPECT_TRUE(printed("[UpdateManager] ✅ 发现新版本: 9.3.0 <b>")) << output();
  EXPECT_EQ(output().find("通知发送失败"), std::string::npos) << output();
  quitFromTheMenu();
}

// A session that logs out sends TERM (or HUP, or INT at a terminal) and waits for the program.
// It ends with every kind of window open: a message box running its own event loop (About),
// the notice after a feedback mail, which has no cancel button and so refuses to close, the
// feedback sheet and the export panel; the settings window's frame, moved before the signal,
// is stored as at a quit from the menu.
TEST_F(TrayTest, TerminationSignalsEndTheProgramWithAnyWindowOpenAndStoreItsSettings) {
  ASSERT_TRUE(host_.isRunning());
  // Another window of the program may carry the same title, unmapped.
  const auto shown = [](const QString& title, std::chrono::milliseconds timeout = 10s) {
    return pollUntil([&] {
      QProcess search;
      search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                               QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')});
      return search.waitForFinished(5000) && !search.readAllStandardOutput().trimmed().isEmpty();
    }, timeout);
  };
  // Clicks at a point of a window of the given title, as the frosted-glass theme (the first
  // start's) lays it out.
  const auto clickIn = [](const QString& title, QPoint offset) {
    const auto id = windowNamed(title);
    const auto frame = id ? windowGeometry(*id) : std::nullopt;
    return frame && clickAt(frame->topLeft() + offset);
  };
  struct Case {
    const char* state;
    int signal;
  };
  const QString cache =
      QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/zorbel/diagnostics");
  for (const Case& c : {Case{"About box", SIGTERM}, Case{"feedback sheet", SIGINT}, Case{"feedback notice", SIGHUP},
                        Case{"export panel", SIGTERM}}) {
    SCOPED_TRACE(c.state);
    const std::string state = c.state;
    QDir(config_.path() + QStringLiteral("/zorbel")).removeRecursively();
    output_.clear();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    std::optional<QPoint> movedTo;
    if (state == "About box") {
      ASSERT_TRUE(pollUntil([&] { return clickItem(QStringLiteral("关于 Zorbel")); }, 5s));
      ASSERT_TRUE(shown(QStringLiteral("Zorbel"))) << output();
    } else {
      ASSERT_TRUE(pollUntil([&] { return clickItem(QStringLiteral("设置")); }, 5s));
      ASSERT_TRUE(shown(QStringLiteral("Zorbel 设置"))) << output();
      const quint64 window = *windowNamed(QStringLiteral("Zorbel 设置"));
      movedTo = windowGeometry(window)->topLeft() + QPoint(37, 23);
      ASSERT_TRUE(moveWindow(window, *movedTo));
      ASSERT_TRUE(pollUntil([&] { return windowGeometry(window)->topLeft() == *movedTo; }, 5s));
      ASSERT_TRUE(clickIn(QStringLiteral("Zorbel 设置"), {81, 276})) << "the feedback tab";
      if (state == "export panel") {
        ASSERT_TRUE(pollUntil([&] {
          return clickIn(QStringLiteral("Zorbel 设置"), {237, 387}) && shown(QStringLiteral("选择日志保存位置"), 2s);
        }, 10s)) << "导出日志; the program said:\n" << output();
      } else {
        ASSERT_TRUE(pollUntil([&] {
          return clickIn(QStringLiteral("Zorbel 设置"), {321, 387}) && shown(QStringLiteral("发送问题反馈"), 2s);
        }, 10s)) << "发送反馈; the program said:\n" << output();
      }
      if (state == "feedback notice") {
        QDir(cache).removeRecursively();
        ASSERT_TRUE(clickIn(QStringLiteral("发送问题反馈"), {345, 512})) << "确认发送";
        ASSERT_TRUE(shown(QStringLiteral("Zorbel"))) << "the notice; the program said:\n" << output();
        // The file sent for help holds what the program logged, not sample lines.
        const QStringList files = QDir(cache).entryList({QStringLiteral("zorbel-feedback-*.txt")}, QDir::Files);
        ASSERT_EQ(files.size(), 1);
        QFile file(cache + QLatin1Char('/') + files.first());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("=== 应用日志 ===\n"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("示例日志"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral(" [INFO] "))) << text.toStdString();
      }
    }
    ::kill(static_cast<pid_t>(program_.processId()), c.signal);
    ASSERT_TRUE(program_.waitForFinished(5000)) << "the program ends; it said:\n" << output();
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);
    EXPECT_EQ(output().find("did not end in time"), std::string::npos)
        << "an orderly end, not the watchdog's:\n" << output();
    if (movedTo) {
      QSettings stored(config_.path() + QStringLiteral("/zorbel/defaults.ini"), QSettings::IniFormat);
      const QStringList frame = stored.value(QStringLiteral("SettingsWindow")).toString().split(QLatin1Char(' '));
      ASSERT_EQ(frame.size(), 4) << "the window's frame is stored";
      EXPECT_EQ(QPoint(frame[0].toInt(), frame[1].toInt()), *movedTo);
    }
  }
}

}  // namespace
}  // namespace zorbel::integration
