// Every tab of the settings window in every theme on the real desktop, once with a compositor
// and once without: each is kept as a screenshot, the window is never shown black where the
// glass would be translucent, and the liquid glass stops animating while the window is hidden.
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
#include "support/LinuxServices.h"
#include "support/Poll.h"

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

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
    resetSharedInstances();
    services_.reset();
  }
  void settle() { pollUntil([] { return false; }, 400ms); }
  void click(QWidget* window, const QString& name) {
    auto* w = window->findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name.toStdString();
    ASSERT_TRUE(clickAt(w->mapToGlobal(w->rect().center())));
    settle();
  }
  std::unique_ptr<LinuxServices> services_;
};

TEST_F(ThemeScreenshotsTest, EveryTabInEveryThemeIsDrawnWithoutBlackGlass) {
  BrindotManager::shared();
  SettingsWindowController::showSettings();
  QWidget* window = SettingsWindowController::shared()->window();
  ASSERT_TRUE(pollUntil([&] { return isViewable(window->winId()) == true; }, 5s));
  for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
    UIStyleManager::shared().setCurrentStyle(theme);
    settle();
    for (const auto& tab : UnifiedTab::all()) {
      click(window, QStringLiteral("tab.") + tab.id);
      const QImage shot = grabScreen().copy(*windowGeometry(window->winId()));
      const QString name = rawValue(theme) + QStringLiteral("-") + tab.id;
      EXPECT_TRUE(shot.save(artifactsFolder() + QStringLiteral("/") + name + QStringLiteral(".png")));
      EXPECT_LT(blackShare(shot), 0.02) << name.toStdString();
    }
    // The live preview with the HUD off, far off to one side, and in a grid.
    auto& hud = BrindotHUDManager::shared();
    const BrindotHUDConfig kept = hud.config();
    const auto shoot = [&](const QString& what, const std::function<void(BrindotHUDConfig&)>& edit) {
      BrindotHUDConfig c = kept;
      edit(c);
      hud.setConfig(c);
      settle();
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
  settle();
  grabScreen().copy(*windowGeometry(window->winId())).save(artifactsFolder() + QStringLiteral("/liquidGlass-prompt.png"));
  PermissionManager::shared().setShowPermissionAlert(false);

  // Hidden, the glass costs nothing: its clock stops.
  EXPECT_TRUE(GlassClock::shared().isRunning());
  window->hide();
  EXPECT_TRUE(pollUntil([] { return !GlassClock::shared().isRunning(); }, 3s)) << "hidden";
}

}  // namespace
}  // namespace zorbel::integration
