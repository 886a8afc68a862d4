// The indicator on the real desktop, driven in-process through the Linux services: its
// window stands beside the caret GTK 3 and Qt 6 draw, as the stored style places it, and
// shows the style's colour there; switching it off unmaps it; typing and clicking keep
// going to the editor below it.
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "Platform/Services.h"
#include "indicator/IndicatorChecks.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TextClient.h"

#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace zorbel::integration {
namespace {

constexpr qint64 kQuiet = 400;  // ms
// Whole pixels placing a centre given in fractions.
constexpr double kRounding = 1.0;
// The caret point stands for the toolkit's caret box; Qt's sits 3 px above the ink.
constexpr double kToDrawnCaret = 5.0;

// The clients put the entry in the top row and let the view fill the middle.
QPoint entryPoint(const QRect& window) { return {window.center().x(), window.top() + 20}; }
QPoint viewPoint(const QRect& window) { return {window.center().x(), window.top() + window.height() / 2}; }

// A style, and where on the screen (y down) it puts the indicator's centre from the caret
// point: size / 2 + 10 towards the relative position, then the offsets (y up).
struct Placement {
  const char* name;
  BrindotStyle style;
  QPointF shift;
  int panelSide;  // size + 2 × (border / 2 + 2)
};

BrindotStyle styled(BrindotRelativePosition position, double size, double dx, double dy) {
  BrindotStyle style;
  style.size = size;
  style.position.relativePosition = position;
  style.position.horizontalOffset = dx;
  style.position.verticalOffset = dy;
  return style;
}

const Placement kDefault{"default (top right)", BrindotStyle::defaultStyle(), {12, -12}, 16};
const Placement kBottomLeft{"bottom left", styled(BrindotRelativePosition::bottomLeft, 16, 4, -2), {-14, 20}, 22};
const Placement kCenter{"center", styled(BrindotRelativePosition::center, 12, 0, 5), {0, -5}, 18};
// Right above the caret, one line up: d = 15, raised 8 more.
const Placement kAbove{"above", styled(BrindotRelativePosition::top, 10, 0, 8), {0, -23}, 16};

struct Shown {
  QRect window;           // as the X server has it
  QPointF managerCentre;  // the caret manager's position, on the screen
  QPointF caret;          // the caret point it was placed from, on the screen

  bool operator==(const Shown&) const = default;
};

class IndicatorTest : public ::testing::TestWithParam<Toolkit> {
 protected:
  void SetUp() override {
    services_ = std::make_unique<LinuxServices>();
    ASSERT_TRUE(services_->eventMonitor.isConnected());
    ASSERT_FALSE(manager().isEnabled()) << "the indicator starts switched off";
  }
  void TearDown() override {
    client_.reset();
    resetSharedInstances();
    services_.reset();
  }

  static BrindotManager& manager() { return BrindotManager::shared(); }
  static QWidget& panel() { return *manager().perfectCaretManager().windowController().window(); }
  static quint64 panelId() { return panel().winId(); }

  TextClient& launch(const QString& title) {
    QString error;
    client_ = TextClient::start(GetParam(), {title, QRect(100, 100, 480, 320)}, &error);
    if (!client_) throw std::runtime_error(error.toStdString());
    const qint64 pid = client_->pid();
    EXPECT_TRUE(pollUntil([&] { return isRegistered(pid); }, 10s)) << "pid " << pid << " registers";
    window_ = *windowGeometry(client_->windowId());
    return *client_;
  }

  void typeInto(QPoint field, const QString& typed) {
    ASSERT_TRUE(focusWindow(client_->windowId()));
    ASSERT_TRUE(clickAt(field));
    ASSERT_TRUE(typeText(typed));
  }

  static void switchIndicator(bool on) {
    platform::notificationCenter().post(QString::fromLatin1(BrindotManager::toggleNotification), QVariant(on));
  }

  static std::optional<QPointF> onScreen(const std::optional<QPointF>& cocoa) {
    if (!cocoa) return std::nullopt;
    const auto rect = platform::workspace().desktopRectFromCocoa(QRectF(*cocoa, QSizeF()));
    return rect ? std::optional<QPointF>(rect->topLeft()) : std::nullopt;
  }
  static std::optional<QPointF> managerCentre() {
    return manager().isVisible() ? onScreen(manager().currentPosition()) : std::nullopt;
  }
  static std::optional<QPointF> caretPoint() {
    return onScreen(manager().perfectCaretManager().caretTracker().currentCaretPosition());
  }

  // The indicator once its window has stood still, mapped, where the caret manager puts
  // it, for a moment after the call (what was just done takes a moment to be noticed).
  std::optional<Shown> settledIndicator() {
    QElapsedTimer sinceCall, sinceChange;
    sinceCall.start();
    sinceChange.start();
    std::optional<Shown> last;
    const bool settled = pollUntil(
        [&] {
          const auto centre = managerCentre();
          const auto caret = caretPoint();
          const auto geometry = windowGeometry(panelId());
          if (!centre || !caret || !geometry || isViewable(panelId()) != true) {
            last.reset();
            return false;
          }
          const Shown now{*geometry, *centre, *caret};
          if (last != now) {
            last = now;
            sinceChange.start();
          }
          return sinceCall.elapsed() >= kQuiet && sinceChange.elapsed() >= kQuiet;
        },
        8s, 50ms);
    return settled ? last : std::nullopt;
  }

  // The indicator stands where the style puts it beside the drawn caret and shows there;
  // off it is unmapped, and on again it comes back to the same place.
  void expectPlaced(const Placement& placement) {
    SCOPED_TRACE(placement.name);
    const auto shown = settledIndicator();
    ASSERT_TRUE(shown) << "the indicator is shown and settles";
    EXPECT_EQ(shown->window.size(), QSize(placement.panelSide, placement.panelSide));
    const QPointF centre = centreOf(shown->window);
    EXPECT_NEAR(centre.x(), shown->managerCentre.x(), kRounding) << describe(shown->window);
    EXPECT_NEAR(centre.y(), shown->managerCentre.y(), kRounding) << describe(shown->window);
    const QPointF placed = shown->caret + placement.shift;
    EXPECT_NEAR(centre.x(), placed.x(), kRounding) << "caret point " << describe(shown->caret);
    EXPECT_NEAR(centre.y(), placed.y(), kRounding) << "caret point " << describe(shown->caret);

    switchIndicator(false);
    EXPECT_TRUE(pollUntil([] { return isViewable(panelId()) == false; }, 3s)) << "switched off, it is unmapped";
    EXPECT_FALSE(manager().isVisible());
    const auto caret = drawnCaretPoint(shown->caret, window_);
    ASSERT_TRUE(caret) << "a caret is drawn where the indicator's position says";
    const QImage before = grabScreen();

    switchIndicator(true);
    const auto again = settledIndicator();
    ASSERT_TRUE(again) << "switched on again, it is shown";
    EXPECT_EQ(again->window, shown->window) << "at the same place: " << describe(again->window);
    const QPointF expected = *caret + placement.shift;
    EXPECT_NEAR(centreOf(again->window).x(), expected.x(), kToDrawnCaret) << "caret drawn at " << describe(*caret);
    EXPECT_NEAR(centreOf(again->window).y(), expected.y(), kToDrawnCaret) << "caret drawn at " << describe(*caret);
    const auto problem = awaitIndicatorPixels(before, again->window);
    EXPECT_FALSE(problem) << *problem;
  }

  // The X input focus and the accessible focus are the client's text field.
  void expectEditorFocused(const char* when) {
    EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(client_->windowId())) << when;
    const auto focused = focusedElement(client_->pid());
    EXPECT_TRUE(focused && focused->role == QLatin1String("text")) << when << ": " << (focused ? focused->role.toStdString() : "nothing");
  }

  std::unique_ptr<LinuxServices> services_;
  std::unique_ptr<TextClient> client_;
  QRect window_;
};

TEST_P(IndicatorTest, StandsBesideTheCaretAsTheStyleSaysAndSwitchesOffAndOn) {
  launch(QStringLiteral("Placement"));
  ASSERT_NO_FATAL_FAILURE(typeInto(entryPoint(window_), QStringLiteral("xx")));
  switchIndicator(true);
  expectPlaced(kDefault);
  for (const Placement* placement : {&kBottomLeft, &kCenter}) {
    BrindotStyleManager::shared().setCurrentStyle(placement->style);
    ASSERT_TRUE(typeText(QStringLiteral("x")));  // the next caret move takes the new style
    expectPlaced(*placement);
  }
}

TEST_P(IndicatorTest, TypingMovesTheIndicatorButNeverTheFocus) {
  launch(QStringLiteral("Focus"));
  ASSERT_NO_FATAL_FAILURE(typeInto(entryPoint(window_), QStringLiteral("x")));
  switchIndicator(true);
  const auto shown = settledIndicator();
  ASSERT_TRUE(shown);
  expectEditorFocused("after the indicator appeared");
  int left = shown->window.x();
  for (int typed = 0; typed < 8; ++typed) {
    ASSERT_TRUE(typeText(QStringLiteral("x")));
    EXPECT_TRUE(pollUntil([&] { return windowGeometry(panelId()).value_or(QRect()).x() > left; }, 3s))
        << "keystroke " << typed << " moves the indicator right";
    left = windowGeometry(panelId()).value_or(QRect()).x();
    EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(client_->windowId())) << "keystroke " << typed;
  }
  expectEditorFocused("after typing");
  const auto texts = editableTexts(client_->pid());
  ASSERT_TRUE(texts && !texts->isEmpty());
  EXPECT_EQ(texts->first(), QStringLiteral("xxxxxxxxx")) << "every keystroke reached the editor";
}

TEST_P(IndicatorTest, AClickOnTheIndicatorReachesTheEditorBelow) {
  launch(QStringLiteral("Click"));
  BrindotStyleManager::shared().setCurrentStyle(kAbove.style);
  // Two lines in the view; the indicator stands over the first, above the caret at the
  // end of the second.
  ASSERT_NO_FATAL_FAILURE(typeInto(viewPoint(window_), QStringLiteral("xxxxxxxxxxxx")));
  ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
  ASSERT_TRUE(typeText(QStringLiteral("xxx")));
  switchIndicator(true);
  const auto shown = settledIndicator();
  ASSERT_TRUE(shown);

  ASSERT_TRUE(clickAt(centreOf(shown->window).toPoint()));
  const auto after = settledIndicator();
  ASSERT_TRUE(after);
  EXPECT_LT(after->managerCentre.y(), shown->managerCentre.y() - 12)
      << "the caret went up to the clicked line, and the indicator with it: from " << describe(shown->managerCentre)
      << " to " << describe(after->managerCentre);
  EXPECT_NEAR(after->managerCentre.x(), shown->managerCentre.x(), 12) << "near the clicked column";
  EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(client_->windowId()));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, IndicatorTest, ::testing::Values(Toolkit::Gtk3, Toolkit::Qt6),
                         toolkitParamName);

}  // namespace
}  // namespace zorbel::integration
