// Every tab of the settings window in every theme on the real desktop, once with a compositor
// (that does not blur) and once without, over a GTK 3 editor full of text: each is kept as a
// screenshot, the window is never shown black where the glass would be translucent, nothing
// of the editor shows through the glass, and the liquid glass stops animating while the
// window is hidden.
#include "BrindotHUD/BrindotHUDManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PermissionManager.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"
#include "Settings/Themes/LiquidGlass/GlassClock.h"
#include "Settings/UnifiedTab.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/UIStyleManager.h"
#include "indicator/IndicatorChecks.h"
#include "support/DesktopTools.h"
#include "support/EditorWithIndicatorTest.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/Stacking.h"
#include "support/TextClient.h"

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace zorbel::integration {
namespace {

QString artifactsFolder()
{
    const bool compositor = qEnvironmentVariable("ZORBEL_DESKTOP_COMPOSITOR") == QStringLiteral("1");
    const QString folder = QStringLiteral(ZORBEL_ARTIFACTS_DIR) + QStringLiteral("/themes/") +
                           (compositor ? QStringLiteral("compositor") : QStringLiteral("no-compositor"));
    QDir().mkpath(folder);
    return folder;
}

// The share of a picture's pixels that are nearly black.
double blackShare(const QImage& image)
{
    qint64 black = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (qGray(image.pixel(x, y)) < 24) ++black;
    return double(black) / (double(image.width() / 2) * double(image.height() / 2));
}

class ThemeScreenshotsTest : public ::testing::Test {
 protected:
  void SetUp() override { services_ = std::make_unique<LinuxServices>(); }
  void TearDown() override {
    if (auto* c = SettingsWindowController::shared()) delete c;
    editor_.reset();
    resetSharedInstances();
    services_.reset();
  }
  // Waits until the window's picture stops changing: what it shows after a change is drawn.
  static void settle(QWidget* window) {
    ASSERT_TRUE(steadyShot(*windowGeometry(window->winId()))) << "the window's picture keeps changing";
  }
  void click(QWidget* window, const QString& name) {
    // A new theme builds the window's content afresh; the old widgets go a moment later.
    QWidget* w = nullptr;
    for (auto* candidate : window->findChildren<QWidget*>(name))
      if (candidate->isVisible()) w = candidate;
    ASSERT_NE(w, nullptr) << name.toStdString();
    ASSERT_TRUE(clickWidget(w)) << "the click reaches " << name.toStdString();
    settle(window);
  }
  QImage shot(QWidget* window) { return grabScreen().copy(*windowGeometry(window->winId())); }
  std::unique_ptr<LinuxServices> services_;
  std::unique_ptr<TextClient> editor_;
};

TEST_F(ThemeScreenshotsTest, EveryTabInEveryThemeIsDrawnReadablyOverABusyEditor) {
  QString error;
  const QRect screen(QPoint(0, 0), grabScreen().size());
  editor_ = TextClient::start(Toolkit::Gtk3, {QStringLiteral("Busy editor"), screen, false, {}, true}, &error);
  ASSERT_TRUE(editor_) << error.toStdString();
  BrindotManager::shared();
  SettingsWindowController::showSettings();
  QWidget* window = SettingsWindowController::shared()->window();
  ASSERT_TRUE(pollUntil([&] { return isViewable(window->winId()) == true; }, 5s));
  for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
    UIStyleManager::shared().setCurrentStyle(theme);
    settle(window);
    for (const auto& tab : UnifiedTab::all()) {
      click(window, QStringLiteral("tab.") + tab.id);
      const QImage picture = shot(window);
      const QString name = rawValue(theme) + QStringLiteral("-") + tab.id;
      EXPECT_TRUE(picture.save(artifactsFolder() + QStringLiteral("/") + name + QStringLiteral(".png")));
      EXPECT_LT(blackShare(picture), 0.02) << name.toStdString();
    }
    click(window, QStringLiteral("tab.basic"));
    // The live preview with the HUD off, far off to one side, and in a grid.
    auto& hud = BrindotHUDManager::shared();
    const BrindotHUDConfig kept = hud.config();
    const auto shoot = [&](const QString& what, const std::function<void(BrindotHUDConfig&)>& edit) {
      BrindotHUDConfig c = kept;
      edit(c);
      hud.setConfig(c);
      settle(window);
      grabScreen().copy(*windowGeometry(window->winId())).save(artifactsFolder() + QStringLiteral("/") + rawValue(theme) +
                                                               QStringLiteral("-preview-") + what + QStringLiteral(".png"));
    };
    shoot(QStringLiteral("hud-off"), [](BrindotHUDConfig& c) { c.isEnabled = false; });
    shoot(QStringLiteral("offset-100-left"), [](BrindotHUDConfig& c) { c.offset = 100; c.position = HUDPosition::left; });
    shoot(QStringLiteral("offset-100-top"), [](BrindotHUDConfig& c) { c.offset = 100; c.position = HUDPosition::top; });
    shoot(QStringLiteral("grid-bottom-right"), [](BrindotHUDConfig& c) {
      c.layout = HUDLayout::grid;
      c.position = HUDPosition::bottomRight;
      c.contentTypes = {HUDContentType::inputMethod, HUDContentType::time, HUDContentType::battery};
      c.style = HUDStyle::liquidGlass;
    });
    shoot(QStringLiteral("row-detailed"), [](BrindotHUDConfig& c) {
      c.layout = HUDLayout::horizontal;
      c.shape = HUDShape::roundedRectangle;
      c.opacity = 0.3;
    });
    hud.setConfig(kept);
  }
  // The prompt, over the liquid glass.
  PermissionManager::shared().setShowPermissionAlert(true);
  settle(window);
  grabScreen().copy(*windowGeometry(window->winId())).save(artifactsFolder() + QStringLiteral("/liquidGlass-prompt.png"));
  PermissionManager::shared().setShowPermissionAlert(false);

  // The same window with the editor gone from behind it looks the same: no text, no red
  // bar ran through the glass. The liquid glass is compared once it stands still, left alone.
  const auto stillGlass = [](UIStyle theme) {
    if (theme != UIStyle::liquidGlass) return;
    EXPECT_TRUE(pollUntil([] { return GlassClock::shared().isResting(); }, 15s)) << "the glass rests when left alone";
  };
  // Each theme is shot over the editor and then with the editor gone, one right after the
  // other: the resting glass stands at the same moment of its animation in both.
  for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
    UIStyleManager::shared().setCurrentStyle(theme);
    stillGlass(theme);
    settle(window);
    const QImage overEditor = shot(window);
    ASSERT_TRUE(moveWindow(editor_->windowId(), QPoint(screen.width() + 100, 0)));
    settle(window);
    const QImage alone = shot(window);
    alone.save(artifactsFolder() + QStringLiteral("/") + rawValue(theme) + QStringLiteral("-without-editor.png"));
    EXPECT_LT(changedShare(overEditor, alone), 0.003) << rawValue(theme).toStdString();
    if (theme == UIStyle::liquidGlass) {
      EXPECT_TRUE(GlassClock::shared().isResting()) << "moving the editor woke the glass";
    }
    ASSERT_TRUE(moveWindow(editor_->windowId(), QPoint(0, 0)));
  }
  ASSERT_TRUE(moveWindow(editor_->windowId(), QPoint(screen.width() + 100, 0)));

  // Wholly covered by the editor, and hidden, the glass costs nothing: its clock stops.
  GlassClock::shared().wake();
  EXPECT_TRUE(GlassClock::shared().isRunning());
  ASSERT_TRUE(moveWindow(editor_->windowId(), QPoint(0, 0)));
  ASSERT_TRUE(raiseWindow(editor_->windowId()));
  EXPECT_TRUE(pollUntil([] { return !GlassClock::shared().isRunning(); }, 3s)) << "covered";
  ASSERT_TRUE(raiseWindow(window->winId()));
  EXPECT_TRUE(pollUntil([] { return GlassClock::shared().isRunning(); }, 3s)) << "uncovered";
  window->hide();
  EXPECT_TRUE(pollUntil([] { return !GlassClock::shared().isRunning(); }, 3s)) << "hidden";
}

// Where the compositor announces blur-behind (as KWin's blur effect does on the root window),
// the window keeps its translucency and asks for the blur on itself.
TEST_F(ThemeScreenshotsTest, WindowAsksForBlurWhereTheCompositorOffersIt) {
  if (qEnvironmentVariable("ZORBEL_DESKTOP_COMPOSITOR") != QStringLiteral("1")) GTEST_SKIP() << "needs a compositor";
  const auto xprop = [](const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xprop"), arguments);
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput());
  };
  const QString blur = QStringLiteral("_KDE_NET_WM_BLUR_BEHIND_REGION");
  xprop({"-root", "-f", blur, "32c", "-set", blur, "0"});
  UIStyleManager::shared().setCurrentStyle(UIStyle::frostedGlass);
  SettingsWindowController::showSettings();
  QWidget* window = SettingsWindowController::shared()->window();
  ASSERT_TRUE(pollUntil([&] { return isViewable(window->winId()) == true; }, 5s));
  EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_TRUE(xprop({"-id", QString::number(window->winId()), blur}).startsWith(blur + QStringLiteral("(CARDINAL)")))
      << "the window asks for the blur";
  xprop({"-root", "-remove", blur});
}

}  // namespace
}  // namespace zorbel::integration
