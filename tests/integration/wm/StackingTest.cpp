// What comes in front of the editor the indicator marks, where the desktop lets a raised
// window cover windows that bypass the window manager (fluxbox, icewm, no window manager at
// all): the editor's own window raised again, a terminal without accessibility, and a
// compositor that starts or quits while the indicator shows. Run once per desktop:
// ZORBEL_DESKTOP_WM names the window manager, if any.
#include "BrindotHUD/BrindotHUDManager.h"
#include "BrindotHUD/HUDWindow.h"
#include "indicator/IndicatorChecks.h"
#include "support/EditorWithIndicatorTest.h"
#include "support/Stacking.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <iostream>
#include <sys/prctl.h>

namespace zorbel::integration {
namespace {

bool hasWindowManager() { return qEnvironmentVariable("ZORBEL_DESKTOP_WM", QStringLiteral("0")) != QLatin1String("0"); }

// Whether the X server clips the window to a shape (xwininfo -shape).
std::optional<bool> isShaped(quint64 window) {
  QProcess xwininfo;
  xwininfo.start(QStringLiteral("xwininfo"), {"-shape", "-id", QString::number(window)});
  if (!xwininfo.waitForFinished(5000) || xwininfo.exitCode() != 0) return std::nullopt;
  return !xwininfo.readAllStandardOutput().contains("No window shape defined");
}

class StackingTest : public EditorWithIndicatorTest {
 protected:
  quint64 indicator() const { return panel()->winId(); }
  bool indicatorAboveEditor() const { return stackedAbove(indicator(), client_->windowId()); }
};

// The editor it marks is raised (its frame, under a window manager) again and again while it
// is already in front, lowered and raised, and (without a window manager) circulated to the
// top from under the indicator: each time the indicator is back on top as the user types.
// Each raise names the same window below the editor, so a raise is not told by a change of
// that window alone.
TEST_F(StackingTest, TheIndicatorComesBackAboveItsEditorHoweverOftenTheEditorIsRaised) {
  ASSERT_NO_FATAL_FAILURE(startEditor());
  ASSERT_TRUE(pollUntil([&] { return indicatorAboveEditor(); }, 5s)) << "the indicator shows above the editor";
  const auto top = topLevelOf(client_->windowId());
  ASSERT_TRUE(top);
  const std::pair<const char*, std::function<bool()>> restacks[] = {
      {"raised", [&] { return raiseWindow(*top); }},
      {"raised again", [&] { return raiseWindow(*top); }},
      {"raised a third time", [&] { return raiseWindow(*top); }},
      {"lowered and raised", [&] { return lowerWindow(*top) && raiseWindow(*top); }},
      {"raised once more", [&] { return raiseWindow(*top); }},
      // The lowest window that another covers is the editor, under the indicator.
      {"circulated to the top", [&] { return hasWindowManager() || raiseLowestCovered(); }},
  };
  for (const auto& [what, restack] : restacks) {
    ASSERT_TRUE(restack()) << what;
    const auto before = windowGeometry(indicator());
    ASSERT_TRUE(before);
    ASSERT_TRUE(typeText(QStringLiteral("x")));
    EXPECT_TRUE(pollUntil([&] { return windowGeometry(indicator()) != before; }, 3s)) << "the indicator follows the x";
    EXPECT_TRUE(pollUntil([&] { return indicatorAboveEditor(); }, 2s)) << "the indicator is above the editor " << what;
  }
}

// Qt draws a window's contents itself, so a Qt window on a bare X server holds no window of its
// own (a GTK 3 one does): circulated to the top from under the indicator, it is an
// application's window all the same.
TEST_F(StackingTest, TheIndicatorComesBackAboveAQtEditorCirculatedToTheTop) {
  if (hasWindowManager()) GTEST_SKIP() << "circulation is what clients of a bare X server do";
  ASSERT_NO_FATAL_FAILURE(startEditor(nullptr, Toolkit::Qt6));
  ASSERT_TRUE(pollUntil([&] { return indicatorAboveEditor(); }, 5s)) << "the indicator shows above the editor";
  ASSERT_TRUE(raiseLowestCovered());
  EXPECT_TRUE(pollUntil([&] { return indicatorAboveEditor(); }, 2s)) << "the indicator is back above the Qt editor";
}

// A window that raises itself over and over (here every 50 ms) would take turns with the
// indicator for as long as both run, flickering and keeping both programs and the X server busy.
// After a few rounds the indicator stays under it, trying again only now and then; the editor
// raised over the indicator is still answered at once.
TEST_F(StackingTest, AWindowThatKeepsRaisingItselfIsLeftInFrontAfterAFewRounds) {
  if (hasWindowManager()) GTEST_SKIP() << "one desktop is enough";
  ASSERT_NO_FATAL_FAILURE(startEditor());
  SelfRaisingWindow front(600, 400, 160, 120, 50ms);
  ASSERT_TRUE(front.id());
  ASSERT_TRUE(pollUntil([&] { return front.timesCovered() > 0; }, 3s)) << "the indicator is raised over it";
  EXPECT_TRUE(pollUntil([&] { return front.sinceCovered() > 1500ms; }, 10s))
      << "the indicator stops taking turns with it: covered " << front.timesCovered() << " times";
  std::cout << "the indicator was raised over it " << front.timesCovered() << " times\n";
  EXPECT_LE(front.timesCovered(), 15);
  EXPECT_TRUE(stackedAbove(*front.id(), indicator()));
  if (qEnvironmentVariableIsSet("ZORBEL_STACKING_SHOTS"))
    grabScreen().save(qEnvironmentVariable("ZORBEL_STACKING_SHOTS") + QStringLiteral("/self-raising-window.png"));

  const auto top = topLevelOf(client_->windowId());
  ASSERT_TRUE(top);
  ASSERT_TRUE(raiseWindow(*top));
  EXPECT_TRUE(pollUntil([&] { return indicatorAboveEditor(); }, 2s)) << "the editor raised over it is answered";
  ASSERT_TRUE(typeText(QStringLiteral("x")));
  EXPECT_TRUE(pollUntil([&] { return indicatorAboveEditor(); }, 2s)) << "and it follows the caret";
}

// A terminal without accessibility comes to the front beside the editor: nothing there takes
// text the program can read, so the indicator and the HUD leave the editor, and one line of
// the log says why.
TEST_F(StackingTest, AnApplicationWithoutAccessibleTextInFrontHidesTheIndicatorAndTheHUD) {
  services_->defaults.standard().setBool(QStringLiteral("BrindotDebugMode"), true);
  ASSERT_NO_FATAL_FAILURE(startEditor());
  BrindotHUDManager& hud = BrindotHUDManager::shared();
  BrindotHUDConfig staying = hud.config();
  staying.isEnabled = true;
  staying.displayDuration = 0;
  hud.setConfig(staying);
  hud.showHUD(QPointF(200, 200));
  ASSERT_TRUE(hud.hudWindow());
  const quint64 hudWindow = hud.hudWindow()->winId();
  ASSERT_TRUE(pollUntil([&] { return isViewable(hudWindow) == true; }, 3s)) << "the HUD shows";

  // A window manager may give the new terminal the focus as it maps it, before it is raised
  // here: the reason is told once, whichever comes first.
  services_->log.clear();
  QProcess terminal;
  terminal.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  // xterm has no accessibility at all.
  terminal.start(QStringLiteral("xterm"), {"-T", "Terminal", "-geometry", "40x10+700+100"});
  ASSERT_TRUE(terminal.waitForStarted());
  std::optional<quint64> window;
  ASSERT_TRUE(pollUntil([&] { return (window = windowNamed(QStringLiteral("Terminal"))) && isViewable(*window) == true; }, 5s));
  QElapsedTimer sinceSwitch;
  sinceSwitch.start();
  ASSERT_TRUE(hasWindowManager() ? activateWindow(*window) : focusWindow(*window));
  EXPECT_TRUE(pollUntil([&] { return isViewable(indicator()) == false && isOnScreen(hudWindow) != true; }, 3s))
      << "the indicator and the HUD hide";
  std::cout << "hidden " << sinceSwitch.elapsed() << " ms after the terminal was brought to the front\n";
  const auto said = [&] {
    return services_->log.linesContaining(QStringLiteral("XTerm is in front and offers no accessible text"));
  };
  EXPECT_TRUE(pollUntil([&] { return !said().isEmpty(); }, 3s)) << "the reason is told";
  // The window manager's focus and the raise each reach the program within a moment.
  EXPECT_FALSE(pollUntil([&] { return said().size() > 1; }, 500ms)) << said().join(QLatin1Char('\n')).toStdString();
  ::kill(static_cast<pid_t>(terminal.processId()), SIGTERM);
  terminal.waitForFinished(3000);
}

// Without a compositor the clear pixels around the shape would show black: the indicator is
// cut to its shape. A compositor that starts gets the whole window (soft edges); one that
// quits leaves no black box, also while the indicator stands still.
TEST_F(StackingTest, TheIndicatorsEdgesFollowACompositorThatStartsAndQuits) {
  if (hasWindowManager()) GTEST_SKIP() << "one desktop is enough";
  ASSERT_NO_FATAL_FAILURE(startEditor());
  std::optional<quint64> id = indicator();
  const auto shown = settledWindow(QStringLiteral("Zorbel indicator"), 400ms, id);
  ASSERT_TRUE(shown);
  ASSERT_EQ(isShaped(indicator()), true) << "without a compositor the indicator is cut to its shape";
  // What lies under the indicator, for its corners to show once the compositor has gone.
  panel()->hide();
  ASSERT_TRUE(pollUntil([&] { return isViewable(indicator()) == false; }, 2s));
  // The editor repaints what the indicator covered: its fill is gone and the picture settles.
  ASSERT_TRUE(pollUntil([&] {
    const QImage screen = grabScreen();
    return indicatorPixelsProblem(screen, screen, *shown).has_value();
  }, 3s)) << "the editor repaints under the hidden indicator";
  ASSERT_TRUE(steadyShot(*shown));
  const QImage under = grabScreen();
  panel()->show();

  QProcess compositor;
  compositor.start(QStringLiteral("xcompmgr"), {});
  ASSERT_TRUE(compositor.waitForStarted());
  EXPECT_TRUE(pollUntil([&] { return isShaped(indicator()) == false; }, 3s))
      << "with a compositor the whole window shows, soft edges and all";
  if (qEnvironmentVariableIsSet("ZORBEL_STACKING_SHOTS"))
    grabScreen().save(qEnvironmentVariable("ZORBEL_STACKING_SHOTS") + QStringLiteral("/with-compositor.png"));

  ::kill(static_cast<pid_t>(compositor.processId()), SIGTERM);
  ASSERT_TRUE(compositor.waitForFinished(5000));
  EXPECT_TRUE(pollUntil([&] { return isShaped(indicator()) == true; }, 3s)) << "its shape is cut again at once";
  const auto problem = awaitIndicatorPixels(under, *shown);
  EXPECT_FALSE(problem) << "once the compositor has quit: " << *problem;
  if (qEnvironmentVariableIsSet("ZORBEL_STACKING_SHOTS"))
    grabScreen().save(qEnvironmentVariable("ZORBEL_STACKING_SHOTS") + QStringLiteral("/compositor-gone.png"));
}

}  // namespace
}  // namespace zorbel::integration
