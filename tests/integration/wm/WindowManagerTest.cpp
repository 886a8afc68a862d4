// A desktop with a window manager: activating a window with it makes that application the
// frontmost one, announced once per switch; the caret tracker then publishes that
// application's caret; the indicator stays above the raised window and follows a window
// the window manager moves. One GTK 3 and one Qt 6 client, side by side.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cmath>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "Platform/Linux/X11Desktop.h"
#include "Platform/Services.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/DrawnCaret.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/Stacking.h"
#include "support/TextClient.h"

namespace zorbel::integration {
namespace {

constexpr qint64 kQuiet = 600;  // ms without news before a state counts as settled

QPoint entryPoint(const QRect& window) { return {window.center().x(), window.top() + 20}; }

// Both clients live for the whole program; every test leaves them running.
std::map<Toolkit, std::unique_ptr<TextClient>>& clients() {
  static std::map<Toolkit, std::unique_ptr<TextClient>> running;
  return running;
}

TextClient& client(Toolkit toolkit) { return *clients().at(toolkit); }

// Remembers when something last happened, to wait until nothing more does.
class Quiet {
 public:
  void touch() { last_.start(); }
  // Waits until `kQuiet` has passed both since the call and since the last touch.
  void settle() {
    QElapsedTimer sinceCall;
    sinceCall.start();
    pollUntil(
        [&] { return sinceCall.elapsed() >= kQuiet && (!last_.isValid() || last_.elapsed() >= kQuiet); }, 8s);
  }

 private:
  QElapsedTimer last_;
};

class WindowManagerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const Toolkit toolkit : {Toolkit::Gtk3, Toolkit::Qt6}) ASSERT_NO_FATAL_FAILURE(startClient(toolkit));
  }
  static void TearDownTestSuite() { clients().clear(); }

  // Starts (or starts again) the toolkit's client at its place and types into its entry.
  static void startClient(Toolkit toolkit) {
    clients().erase(toolkit);
    const QRect geometry = toolkit == Toolkit::Gtk3 ? QRect(40, 60, 480, 320) : QRect(600, 60, 480, 320);
    QString error;
    auto started = TextClient::start(toolkit, {"WM " + toolkitName(toolkit), geometry}, &error);
    ASSERT_TRUE(started) << error.toStdString();
    const qint64 pid = started->pid();
    ASSERT_TRUE(pollUntil([&] { return isRegistered(pid); }, 10s)) << "pid " << pid << " registers";
    const auto window = windowGeometry(started->windowId());
    ASSERT_TRUE(window);
    ASSERT_TRUE(activateWindow(started->windowId()));
    ASSERT_TRUE(clickAt(entryPoint(*window)));
    ASSERT_TRUE(typeText(QStringLiteral("xxxx xx")));
    clients()[toolkit] = std::move(started);
  }

  void SetUp() override {
    ASSERT_EQ(clients().size(), 2u) << "both clients run";
    services_ = std::make_unique<LinuxServices>();
    // The tracker's lines the waits read are printed in debug mode only.
    services_->defaults.standard().setBool(QStringLiteral("BrindotDebugMode"), true);
  }
  void TearDown() override {
    manager_.reset();
    tracker_.reset();
    resetSharedInstances();
    services_.reset();
  }

  enum class By { activation, click };

  // Activates the client's window through the window manager (asked as a pager would, or
  // by a click into its entry) and waits until the workspace reports its application in front.
  void switchTo(Toolkit toolkit, By by = By::activation) {
    const TextClient& target = client(toolkit);
    if (by == By::activation) {
      ASSERT_TRUE(activateWindow(target.windowId())) << "xdotool windowactivate " << target.windowId();
    } else {
      const auto window = windowGeometry(target.windowId());
      ASSERT_TRUE(window && clickAt(entryPoint(*window))) << "click into " << target.windowId();
    }
    EXPECT_TRUE(pollUntil(
        [&] {
          const auto front = platform::workspace().frontmostApplication();
          return front && front->processIdentifier() == target.pid();
        },
        5s))
        << toolkitName(toolkit).toStdString() << " becomes the frontmost application";
  }

  void expectIndicatorFollowsMove(Toolkit toolkit);

  std::unique_ptr<LinuxServices> services_;
  std::unique_ptr<PerfectCaretTracker> tracker_;
  std::unique_ptr<PerfectCaretManager> manager_;
};

TEST_F(WindowManagerTest, EachSwitchActivatesTheNewApplicationOnce) {
  std::vector<qint64> announced;
  Quiet quiet;
  const auto token = platform::workspace().notificationCenter().addObserver(
      QString::fromLatin1(platform::WorkspaceService::didActivateApplicationNotification),
      [&](const platform::Notification& n) {
        const auto app = platform::WorkspaceService::applicationFrom(n);
        announced.push_back(app ? app->processIdentifier() : 0);
        quiet.touch();
      });
  ASSERT_NO_FATAL_FAILURE(switchTo(Toolkit::Qt6));
  quiet.settle();
  // Between two windows the window manager briefly has no active window.
  for (const By by : {By::activation, By::click}) {
    for (const Toolkit toolkit : {Toolkit::Gtk3, Toolkit::Qt6, Toolkit::Gtk3, Toolkit::Qt6}) {
      announced.clear();
      ASSERT_NO_FATAL_FAILURE(switchTo(toolkit, by));
      quiet.settle();
      EXPECT_EQ(announced, std::vector<qint64>{client(toolkit).pid()})
          << "one announcement of the switch to " << toolkitName(toolkit).toStdString()
          << (by == By::click ? " by a click" : " by activation");
    }
  }
}

TEST_F(WindowManagerTest, TheTrackerPublishesTheCaretOfTheActivatedApplication) {
  ASSERT_NO_FATAL_FAILURE(switchTo(Toolkit::Qt6));
  std::optional<QPointF> latest;
  Quiet quiet;
  tracker_ = std::make_unique<PerfectCaretTracker>();
  const auto subscription =
      tracker_->currentCaretPositionPublisher().sink([&](const std::optional<QPointF>& p) {
        latest = p;
        quiet.touch();
      });
  tracker_->startTracking();
  const std::pair<Toolkit, By> switches[] = {{Toolkit::Gtk3, By::activation},
                                             {Toolkit::Qt6, By::activation},
                                             {Toolkit::Gtk3, By::click},
                                             {Toolkit::Qt6, By::click}};
  for (const auto& [toolkit, by] : switches) {
    const std::string name =
        toolkitName(toolkit).toStdString() + (by == By::click ? " clicked" : " activated");
    ASSERT_NO_FATAL_FAILURE(switchTo(toolkit, by));
    quiet.settle();
    const auto window = windowGeometry(client(toolkit).windowId());
    ASSERT_TRUE(window && latest) << name << ": a point is published";
    const auto onScreen = platform::workspace().desktopRectFromCocoa(QRectF(*latest, QSizeF()));
    ASSERT_TRUE(onScreen) << name << ": the point converts to screen coordinates";
    const QPointF p = onScreen->topLeft();
    EXPECT_TRUE(window->contains(p.toPoint())) << name << ": the point lies in the activated window";
    const auto drawn = drawnCaret(QRectF(p.x(), p.y() - 9, 0, 18), *window);
    ASSERT_TRUE(drawn) << name << ": a caret is drawn at the point";
    EXPECT_LE(std::abs(drawn->x() - p.x()), 3.0) << name;
  }
}

// The indicator window as the X server has it.
std::optional<QRect> indicatorGeometry(PerfectCaretManager& manager) {
  QWidget* window = manager.windowController().window();
  if (!window || !manager.windowController().isVisible()) return std::nullopt;
  return windowGeometry(window->winId());
}

// The window manager keeps the windows it manages below windows that bypass it, unless the
// indicator came up first (it started before the window manager, or a window manager
// restarted): each activation has to raise the indicator above the raised window again.
TEST_F(WindowManagerTest, TheIndicatorIsRaisedAboveEachActivatedWindow) {
  manager_ = std::make_unique<PerfectCaretManager>();
  manager_->enable();
  const quint64 indicator = manager_->windowController().window()->winId();
  ASSERT_NO_FATAL_FAILURE(switchTo(Toolkit::Qt6));
  ASSERT_TRUE(pollUntil([&] { return indicatorGeometry(*manager_).has_value(); }, 5s))
      << "the indicator shows";
  Quiet quiet;
  for (const Toolkit toolkit : {Toolkit::Gtk3, Toolkit::Qt6, Toolkit::Gtk3}) {
    const std::string name = toolkitName(toolkit).toStdString();
    const quint64 target = client(toolkit).windowId();
    ASSERT_TRUE(lowerWindow(indicator));
    ASSERT_NO_FATAL_FAILURE(switchTo(toolkit));
    const auto window = windowGeometry(target);
    ASSERT_TRUE(window);
    EXPECT_TRUE(pollUntil(
        [&] {
          const auto shown = indicatorGeometry(*manager_);
          return shown && window->intersects(*shown) && stackedAbove(indicator, target);
        },
        5s))
        << name << ": the indicator shows on the activated window, above it";
    quiet.settle();
    EXPECT_TRUE(stackedAbove(indicator, target)) << name << ": and stays above it";
  }
}

// Activates the client, waits until the tracker observes it, moves its window through the
// window manager and expects the indicator to move along.
void WindowManagerTest::expectIndicatorFollowsMove(Toolkit toolkit) {
  const std::string name = toolkitName(toolkit).toStdString();
  const quint64 target = client(toolkit).windowId();
  services_->console.lines.clear();
  ASSERT_NO_FATAL_FAILURE(switchTo(toolkit));
  const auto front = platform::workspace().frontmostApplication();
  ASSERT_TRUE(front);
  // The tracker starts observing an application a moment after it is activated.
  const QString observing = QStringLiteral("[DEBUG] Added observers for role application in ") +
                            front->localizedName().value_or(QString());
  ASSERT_TRUE(pollUntil([&] { return services_->console.lines.contains(observing); }, 5s))
      << name << ": the tracker observes the application";
  const auto before = windowGeometry(target);
  ASSERT_TRUE(before);
  std::optional<QRect> indicatorBefore;
  ASSERT_TRUE(pollUntil(
      [&] {
        indicatorBefore = indicatorGeometry(*manager_);
        return indicatorBefore && before->intersects(*indicatorBefore);
      },
      5s))
      << name << ": the indicator shows on the window";

  ASSERT_TRUE(moveWindow(target, before->topLeft() + QPoint(30, 50)));
  std::optional<QRect> after;
  ASSERT_TRUE(pollUntil(
      [&] {
        after = windowGeometry(target);
        return after && after->topLeft() != before->topLeft();
      },
      5s))
      << name << ": the window moves";
  const QPoint moved = after->topLeft() - before->topLeft();
  EXPECT_TRUE(pollUntil(
      [&] {
        const auto indicator = indicatorGeometry(*manager_);
        return indicator &&
               (indicator->topLeft() - indicatorBefore->topLeft() - moved).manhattanLength() <= 2;
      },
      3s))
      << name << ": the indicator moves with the window by (" << moved.x() << ", " << moved.y() << ")";
}

// The client windows are read once and kept: a window that comes, is renamed or goes must
// still be seen at once, also when the window manager has reparented it.
TEST_F(WindowManagerTest, TheKeptClientWindowsFollowNewRenamedAndClosedWindows) {
  auto& x11 = platform::X11Desktop::instance();
  const qint64 self = QCoreApplication::applicationPid();
  const auto titleOf = [&](std::uint32_t window) -> std::optional<QString> {
    for (const auto& client : x11.clientWindows())
      if (client.id == window && client.pid == self) return client.title;
    return std::nullopt;
  };
  x11.clientWindows();
  QWidget window;
  window.setWindowTitle(QStringLiteral("Kept one"));
  window.setGeometry(300, 420, 200, 100);
  window.show();
  const auto id = static_cast<std::uint32_t>(window.winId());
  EXPECT_TRUE(pollUntil([&] { return titleOf(id) == QStringLiteral("Kept one"); }, 5s)) << "a new window is seen";
  window.setWindowTitle(QStringLiteral("Renamed"));
  EXPECT_TRUE(pollUntil([&] { return titleOf(id) == QStringLiteral("Renamed"); }, 5s)) << "its new title is seen";
  window.hide();
  EXPECT_TRUE(pollUntil([&] { return !titleOf(id); }, 5s)) << "a closed window is gone";
}

TEST_F(WindowManagerTest, TheIndicatorFollowsWindowsTheWindowManagerMoves) {
  manager_ = std::make_unique<PerfectCaretManager>();
  manager_->enable();
  for (const Toolkit toolkit : {Toolkit::Gtk3, Toolkit::Qt6}) {
    ASSERT_NO_FATAL_FAILURE(expectIndicatorFollowsMove(toolkit));
    // The X server hands a restarted client the window ids its last run had, so the new
    // window moves to where a window of that id was last seen.
    ASSERT_NO_FATAL_FAILURE(startClient(toolkit));
    ASSERT_NO_FATAL_FAILURE(expectIndicatorFollowsMove(toolkit));
  }
}

}  // namespace
}  // namespace zorbel::integration
