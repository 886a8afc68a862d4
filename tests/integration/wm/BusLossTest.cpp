// The accessibility bus dies under a running tracker: the point goes at once and the log
// says why in one line; when the session bus starts a new accessibility bus, tracking resumes
// by itself on the application in front. A program of its own, since the desktop's bus is
// replaced.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>

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

// The unique name the process holds on the bus at `address`.
QString uniqueNameOf(const QString& address, qint64 pid) {
  const QString id = QStringLiteral("zorbel-test-names");
  QString found;
  {
    QDBusConnection bus = QDBusConnection::connectToBus(address, id);
    const QStringList names = bus.isConnected() ? bus.interface()->registeredServiceNames().value() : QStringList();
    for (const QString& name : names)
      if (name.startsWith(':') && bus.interface()->servicePid(name).value() == pid) found = name;
  }
  QDBusConnection::disconnectFromBus(id);
  return found;
}

// Connects to the bus at `address` until the next connection to come gets `name` (:1.N):
// a new bus counts from :1.0 again.
bool takeNamesBefore(const QString& address, const QString& name) {
  const int wanted = name.section('.', 1).toInt();
  for (int i = 0; i < 64; ++i) {
    const QString id = QStringLiteral("zorbel-test-take-%1").arg(i);
    int got = -1;
    {
      QDBusConnection bus = QDBusConnection::connectToBus(address, id);
      got = bus.isConnected() ? bus.baseService().section('.', 1).toInt() : -1;
    }
    QDBusConnection::disconnectFromBus(id);
    if (got < 0 || got >= wanted - 1) return got == wanted - 1;
  }
  return false;
}

int linesSaying(const LinuxServices& services, const char* text) {
  return static_cast<int>(services.log.linesContaining(QLatin1String(text)).size());
}

TEST(AccessibilityBusTest, ThePointGoesWithTheBusAndFollowsTheFrontApplicationOnANewBus) {
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

    const QString oldBus = accessibilityBusAddress();
    const QString oldName = uniqueNameOf(oldBus, client->pid());
    ASSERT_TRUE(oldName.startsWith(QLatin1String(":1."))) << oldName.toStdString();
    const auto bus = accessibilityBusPid();
    ASSERT_TRUE(bus) << "this desktop's accessibility bus is found";
    const int connections = linesSaying(services, "Connected to the accessibility bus");
    ::kill(static_cast<pid_t>(*bus), SIGTERM);
    EXPECT_TRUE(pollUntil([&] { return !tracked.latest(); }, 3s)) << "the point goes with the bus";
    EXPECT_EQ(linesSaying(services, "the accessibility bus went away"), 1)
        << services.log.lines().join('\n').toStdString();

    // A new bus hands out the unique names of the old one again: the application started on
    // it gets the name the first one had, and comes to the front while the tracker has no bus.
    QString newBus;
    ASSERT_TRUE(pollUntil([&] { return (newBus = accessibilityBusAddress()) != oldBus && !newBus.isEmpty(); }, 10s))
        << "a new bus comes up";
    ASSERT_TRUE(takeNamesBefore(newBus, oldName));
    auto after = TextClient::start(Toolkit::Qt6, {"After", QRect(640, 420, 480, 320)}, &error);
    ASSERT_TRUE(after) << error.toStdString();
    ASSERT_TRUE(activateWindow(after->windowId()));
    EXPECT_EQ(uniqueNameOf(newBus, after->pid()), oldName);
    ASSERT_TRUE(pollUntil([&] { return linesSaying(services, "Connected to the accessibility bus") > connections; },
                          15s))
        << services.log.lines().join('\n').toStdString();
    ASSERT_TRUE(typeText(QStringLiteral("yy")));
    const auto point = tracked.settledPoint();
    const auto window = windowGeometry(after->windowId());
    ASSERT_TRUE(point && window) << "the caret is followed again with no application switch\n"
                                   << services.log.lines().join('\n').toStdString();
    EXPECT_TRUE(QRectF(*window).contains(*point)) << point->x() << "," << point->y();
  }
  resetSharedInstances();
}

}  // namespace
}  // namespace zorbel::integration
