// Caret tracking on the real desktop: the tracker, reading AT-SPI and the X server's global
// clicks, publishes the caret point where GTK 3 and Qt 6 draw the caret while the user types,
// clicks into another field or switches windows, and no point while a button has the focus;
// with a selection, at its moving end in GTK 3, GTK 4, Qt 5 and Qt 6.
#include "AXLayer/Application.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Platform/Services.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/DrawnCaret.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TextClient.h"
#include "support/TrackedCaret.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <deque>
#include <list>
#include <stdexcept>

namespace zorbel::integration {
namespace {

// Texts without vertical strokes, so the caret is the only tall dark line near it.
const QString kEntryText = QStringLiteral("xxxx xx");
constexpr double kTolerance = 3.0;
constexpr qint64 kQuiet = 600;  // ms

// The clients put the entry in the top row and let the view fill the middle.
QPoint entryPoint(const QRect& window) { return {window.center().x(), window.top() + 20}; }
QPoint viewPoint(const QRect& window) { return {window.center().x(), window.top() + window.height() / 2}; }

// The frame of the application's first button, in screen coordinates.
std::optional<QRect> buttonFrame(qint64 pid) {
  const auto app = Application::forProcessID(static_cast<std::int32_t>(pid));
  if (!app) return std::nullopt;
  std::deque<UIElement> queue{*app};
  for (int visited = 0; !queue.empty() && visited < 300; ++visited) {
    const UIElement element = queue.front();
    queue.pop_front();
    try {
      if (element.role() == Role::button) {
        const auto position = element.attribute<QPointF>(Attribute::position);
        const auto size = element.attribute<QSizeF>(Attribute::size);
        if (position && size) return QRectF(*position, *size).toAlignedRect();
      }
      if (const auto children = element.attributeArray<UIElement>(Attribute::children))
        queue.insert(queue.end(), children->begin(), children->end());
    } catch (const AXError&) {
      // An element that went away while we looked: its subtree is not needed.
    }
  }
  return std::nullopt;
}

class CaretTrackingTest : public ::testing::TestWithParam<Toolkit> {
 protected:
  void SetUp() override {
    services_ = std::make_unique<LinuxServices>();
    ASSERT_TRUE(services_->eventMonitor.isConnected());
  }
  void TearDown() override {
    tracked_.reset();
    clients_.clear();
    resetSharedInstances();
    services_.reset();
  }

  // A client with its window where asked, on the accessibility desktop.
  TextClient& launch(const QRect& geometry, const QString& title) {
    QString error;
    auto client = TextClient::start(GetParam(), {title, geometry}, &error);
    if (!client) throw std::runtime_error(error.toStdString());
    const qint64 pid = client->pid();
    EXPECT_TRUE(pollUntil([&] { return isRegistered(pid); }, 10s)) << "pid " << pid << " registers";
    clients_.push_back(std::move(client));
    return *clients_.back();
  }

  // Clicks into a field of the window and types, as a user would.
  static void typeInto(const TextClient& client, QPoint field, const QString& typed) {
    ASSERT_TRUE(focusWindow(client.windowId()));
    ASSERT_TRUE(clickAt(field));
    ASSERT_TRUE(typeText(typed));
  }

  // A client at the usual place with `typed` typed into its entry; `window` is where it stands.
  TextClient& launchTyped(const QString& title, const QString& typed, QRect& window) {
    auto& client = launch(QRect(100, 100, 480, 320), title);
    window = *windowGeometry(client.windowId());
    if (!focusWindow(client.windowId()) || !clickAt(entryPoint(window)) || !typeText(typed))
      throw std::runtime_error("could not type into the entry of " + title.toStdString());
    return client;
  }

  void startTracking() { tracked_ = std::make_unique<TrackedCaret>(); }
  std::optional<QPointF> settledPoint() { return tracked_->settledPoint(kQuiet); }

  // The settled point lies on the caret drawn in `window`; returns the point.
  QPointF expectAtDrawnCaret(const TextClient& client, const char* what) {
    const auto window = windowGeometry(client.windowId());
    const auto p = settledPoint();
    EXPECT_TRUE(window && p) << what << ": point " << describe(p);
    if (!window || !p) return {};
    const auto drawn = drawnCaret(QRectF(p->x(), p->y() - 9, 0, 18), *window);
    EXPECT_TRUE(drawn) << what << ": no caret drawn near the published point " << describe(p);
    if (drawn) {
      EXPECT_LE(distanceToCaret(*p, *drawn), kTolerance)
          << what << ": point " << describe(p) << ", caret drawn at x=" << drawn->x() << " from y=" << drawn->y()
          << " to y=" << drawn->y() + drawn->height();
    }
    return *p;
  }

  std::unique_ptr<LinuxServices> services_;
  std::list<std::unique_ptr<TextClient>> clients_;
  std::unique_ptr<TrackedCaret> tracked_;
};

TEST_P(CaretTrackingTest, TypingMovesThePointWithTheCaret) {
  QRect window;
  auto& client = launchTyped(QStringLiteral("Typing"), QStringLiteral("xx"), window);
  startTracking();
  const QPointF before = expectAtDrawnCaret(client, "two characters typed");
  ASSERT_TRUE(typeText(QStringLiteral("xx xx")));
  const QPointF after = expectAtDrawnCaret(client, "five more typed");
  EXPECT_GT(after.x(), before.x() + 30) << "the point follows the typing";
  EXPECT_NEAR(after.y(), entryPoint(window).y(), 15);
}

TEST_P(CaretTrackingTest, ClickingIntoAnotherFieldMovesThePointThere) {
  QRect window;
  auto& client = launchTyped(QStringLiteral("Clicking"), kEntryText, window);
  ASSERT_NO_FATAL_FAILURE(typeInto(client, viewPoint(window), QStringLiteral("xxxx")));
  startTracking();
  const QPointF inView = expectAtDrawnCaret(client, "in the view");
  EXPECT_GT(inView.y(), entryPoint(window).y() + 20);

  ASSERT_TRUE(clickAt(entryPoint(window)));
  const QPointF inEntry = expectAtDrawnCaret(client, "clicked into the entry");
  EXPECT_NEAR(inEntry.y(), entryPoint(window).y(), 15);
}

TEST_P(CaretTrackingTest, SwitchingWindowsMovesThePointToTheActiveOne) {
  auto& left = launch(QRect(40, 60, 480, 320), QStringLiteral("Left"));
  auto& right = launch(QRect(600, 60, 480, 320), QStringLiteral("Right"));
  const QRect leftWindow = *windowGeometry(left.windowId());
  const QRect rightWindow = *windowGeometry(right.windowId());
  ASSERT_NO_FATAL_FAILURE(typeInto(left, entryPoint(leftWindow), kEntryText));
  ASSERT_NO_FATAL_FAILURE(typeInto(right, entryPoint(rightWindow), QStringLiteral("xx")));
  startTracking();
  EXPECT_TRUE(rightWindow.contains(expectAtDrawnCaret(right, "right window at start").toPoint()));

  ASSERT_TRUE(focusWindow(left.windowId()));
  EXPECT_TRUE(leftWindow.contains(expectAtDrawnCaret(left, "switched to the left window").toPoint()));
  ASSERT_TRUE(focusWindow(right.windowId()));
  EXPECT_TRUE(rightWindow.contains(expectAtDrawnCaret(right, "back to the right window").toPoint()));
}

TEST_P(CaretTrackingTest, AButtonWithTheFocusHasNoCaret) {
  QRect window;
  auto& client = launchTyped(QStringLiteral("Button"), kEntryText, window);
  startTracking();
  expectAtDrawnCaret(client, "in the entry");

  const auto button = buttonFrame(client.pid());
  ASSERT_TRUE(button) << "the client has a button";
  ASSERT_TRUE(clickAt(button->center()));
  EXPECT_FALSE(settledPoint()) << "a button has no caret";
  const int publications = tracked_->publications();
  ASSERT_TRUE(clickAt(button->center()));
  settledPoint();
  EXPECT_EQ(tracked_->publications(), publications) << "nothing more is published while the button has the focus";
}

// An application that cannot answer when the caret is looked up (here: stopped), and sends
// nothing once it answers again, is asked again until its caret is found.
TEST_P(CaretTrackingTest, AnApplicationThatCouldNotAnswerIsAskedAgain) {
  QRect window;
  auto& client = launchTyped(QStringLiteral("Stopped"), kEntryText, window);
  startTracking();
  expectAtDrawnCaret(client, "before it stops");
  const qint64 pid = client.pid();
  ::kill(static_cast<pid_t>(pid), SIGSTOP);
  const std::shared_ptr<void> resume(nullptr, [pid](void*) { ::kill(static_cast<pid_t>(pid), SIGCONT); });
  // A click on the bare root window: a lookup, and nothing for the client to answer.
  ASSERT_TRUE(clickAt(window.bottomRight() + QPoint(100, 100)));
  ASSERT_TRUE(pollUntil([&] { return !tracked_->latest(); }, 5s)) << "no caret while it cannot answer";
  ::kill(static_cast<pid_t>(pid), SIGCONT);
  EXPECT_TRUE(pollUntil([&] { return tracked_->latest().has_value(); }, 5s)) << "found again without an event";
  expectAtDrawnCaret(client, "once it answers again");
}

// Qt answers no box for the caret of an empty text: the point is still on the caret its
// styles draw, in the field and in the view.
using EmptyTextTest = CaretTrackingTest;
TEST_P(EmptyTextTest, TheCaretInAnEmptyFieldAndViewIsMarked) {
  auto& client = launch(QRect(100, 100, 480, 320), QStringLiteral("Empty"));
  const QRect window = *windowGeometry(client.windowId());
  ASSERT_TRUE(focusWindow(client.windowId()));
  ASSERT_TRUE(clickAt(entryPoint(window)));
  startTracking();
  // Near the caret's middle, not at the corner of the field beside the caret's end.
  auto expectAtMiddle = [&](const QPointF& p, const char* what) {
    const auto drawn = drawnCaret(QRectF(p.x(), p.y() - 9, 0, 18), window);
    ASSERT_TRUE(drawn) << what;
    EXPECT_NEAR(p.y(), drawn->center().y(), 4) << what << ": caret drawn from y=" << drawn->y() << " to y="
                                               << drawn->y() + drawn->height();
  };
  const QPointF inEntry = expectAtDrawnCaret(client, "empty entry");
  expectAtMiddle(inEntry, "empty entry");
  ASSERT_TRUE(clickAt(viewPoint(window)));
  const QPointF inView = expectAtDrawnCaret(client, "empty view");
  expectAtMiddle(inView, "empty view");
  EXPECT_GT(inView.y(), inEntry.y() + 20);
  // Emptied again, the view is placed from what it told before: the same place.
  ASSERT_TRUE(typeText(QStringLiteral("x")));
  expectAtDrawnCaret(client, "typed into the view");
  ASSERT_TRUE(pressKeys(QStringLiteral("BackSpace")));
  const QPointF erased = expectAtDrawnCaret(client, "emptied view");
  expectAtMiddle(erased, "emptied view");
}

// A selection's caret is its moving end: where Shift+Right, Shift+Left, Shift+Down or a
// drag left it, not the selection's left edge. Each place is first marked with no selection
// (the caret drawn there), then reached as the end of a selection.
using SelectionTest = CaretTrackingTest;
TEST_P(SelectionTest, TheCaretOfASelectionIsItsMovingEnd) {
  if (GetParam() == Toolkit::Gtk4 &&
      QProcess::execute(QStringLiteral("/usr/bin/python3"), {"-c", "import gi; gi.require_version('Gtk', '4.0')"}) != 0)
    GTEST_SKIP() << "GTK 4 for Python is not installed";
  auto& client = launch(QRect(100, 100, 480, 320), QStringLiteral("Selection"));
  const QRect window = *windowGeometry(client.windowId());
  const QPoint view = GetParam() == Toolkit::Gtk4 ? window.center() : viewPoint(window);
  ASSERT_TRUE(focusWindow(client.windowId()));
  ASSERT_TRUE(clickAt(view));
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+a")));
  ASSERT_TRUE(typeText(QStringLiteral("xxxx xxxx xxxx")));
  ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
  ASSERT_TRUE(typeText(QStringLiteral("xxxx xxxx xxxx")));
  startTracking();

  // The caret drawn where the keys leave it, with no selection.
  auto drawnAfter = [&](const QString& keys, const char* what) -> QRect {
    EXPECT_TRUE(pressKeys(keys));
    const QPointF p = expectAtDrawnCaret(client, what);
    return drawnCaret(QRectF(p.x(), p.y() - 9, 0, 18), window).value_or(QRect());
  };
  const QRect lineOneAt2 = drawnAfter(QStringLiteral("ctrl+Home Right Right"), "first line, after 2");
  const QRect lineOneAt7 = drawnAfter(QStringLiteral("Right Right Right Right Right"), "first line, after 7");
  const QRect lineTwoAt7 = drawnAfter(QStringLiteral("Down"), "second line, after 7");
  const QRect lineTwoAt2 = drawnAfter(QStringLiteral("Left Left Left Left Left"), "second line, after 2");
  ASSERT_FALSE(lineOneAt2.isNull() || lineOneAt7.isNull() || lineTwoAt7.isNull() || lineTwoAt2.isNull());

  auto expectOn = [&](const QRect& caret, const char* what) {
    const auto p = settledPoint();
    ASSERT_TRUE(p) << what;
    EXPECT_LE(distanceToCaret(*p, caret), kTolerance)
        << what << ": point " << describe(p) << ", the caret's place drawn at x=" << caret.x() << " from y="
        << caret.y() << " to y=" << caret.y() + caret.height();
  };
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+Home Right Right shift+Right shift+Right shift+Right shift+Right "
                                       "shift+Right")));
  expectOn(lineOneAt7, "Shift+Right five times");
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+Home Right Right Right Right Right Right Right shift+Left shift+Left "
                                       "shift+Left shift+Left shift+Left")));
  expectOn(lineOneAt2, "Shift+Left five times");
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+Home Right Right Right Right Right Right Right shift+Down")));
  expectOn(lineTwoAt7, "Shift+Down");
  // A press inside a selection would drag its text away: none is left first.
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+Home")));
  ASSERT_TRUE(dragFrom(lineOneAt7.center(), lineTwoAt2.center()));
  expectOn(lineTwoAt2, "a drag from the first line into the second");
}

INSTANTIATE_TEST_SUITE_P(Toolkits, SelectionTest,
                         ::testing::Values(Toolkit::Gtk3, Toolkit::Gtk4, Toolkit::Qt5, Toolkit::Qt6),
                         toolkitParamName);

INSTANTIATE_TEST_SUITE_P(Toolkits, EmptyTextTest, ::testing::Values(Toolkit::Gtk3, Toolkit::Qt5, Toolkit::Qt6),
                         toolkitParamName);

INSTANTIATE_TEST_SUITE_P(Toolkits, CaretTrackingTest, ::testing::Values(Toolkit::Gtk3, Toolkit::Qt6),
                         toolkitParamName);

}  // namespace
}  // namespace zorbel::integration
