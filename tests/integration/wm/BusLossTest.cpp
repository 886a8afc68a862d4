// The accessibility bus dies under a running tracker: the point goes at once and the log
// says why in one line. A program of its own, since the desktop keeps no bus afterwards.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <csignal>

#include "Platform/Services.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TextClient.h"
#include "support/TrackedCaret.h"
namespace zorbel::integration {
namespace {

// The process of this desktop's accessibility bus: the daemon listening where the launcher
// says the bus is.
std::optional<qint64> accessibilityBusPid() {
  QProcess ask;
  ask.start(QStringLiteral("dbus-send"), {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                          "org.a11y.Bus.GetAddress"});
  ask.waitForFinished(5000);
  const QString reply = QString::fromUtf8(ask.readAllStandardOutput());
  const auto match = QRegularExpression(QStringLiteral("unix:path=([^,\"]+)")).match(reply);
  if (!match.hasMatch()) return std::nullopt;
  QProcess find;
  find.start(QStringLiteral("pgrep"), {"-f", "--", "--address=unix:path=" + match.captured(1) + "$"});
  find.waitForFinished(5000);
  bool ok = false;
  const qint64 pid = QString::fromUtf8(find.readAllStandardOutput()).split('\n').value(0).toLongLong(&ok);
  return ok ? std::optional<qint64>(pid) : std::nullopt;
}

TEST(AccessibilityBusTest, ThePointGoesWithTheBusWithOneLineSaid) {
  LinuxServices services;
  QString error;
  auto client = TextClient::start(Toolkit::Qt6, {"Before", QRect(100, 100, 480, 320)}, &error);
  ASSERT_TRUE(client) << error.toStdString();
  ASSERT_TRUE(pollUntil([&] { return isRegistered(client->pid()); }, 10s));
  ASSERT_TRUE(activateWindow(client->windowId()));
  {
    TrackedCaret tracked;
    ASSERT_TRUE(typeText(QStringLiteral("xx")));
    ASSERT_TRUE(tracked.settledPoint()) << "a point before the bus goes";

    const auto bus = accessibilityBusPid();
    ASSERT_TRUE(bus) << "this desktop's accessibility bus is found";
    ::kill(static_cast<pid_t>(*bus), SIGTERM);
    EXPECT_TRUE(pollUntil([&] { return !tracked.latest(); }, 3s)) << "the point goes with the bus";
    EXPECT_EQ(services.log.linesContaining(QStringLiteral("the accessibility bus went away")).size(), 1)
        << services.log.lines().join('\n').toStdString();
  }
  resetSharedInstances();
}

}  // namespace
}  // namespace zorbel::integration
