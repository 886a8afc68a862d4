// The settings window on the real desktop, in-process through the Linux services: it opens
// as a normal window that takes the keyboard, every tab is shown (a screenshot of each is
// kept), size and shape edits restyle the indicator standing beside a GTK 3 editor's caret,
// and closing and opening again builds a fresh window while the program keeps running.
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "Platform/Services.h"
#include "Settings/UnifiedTab.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/StatusBarManager.h"
#include "indicator/IndicatorChecks.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/EditorWithIndicatorTest.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TextClient.h"

#include <QAbstractButton>
#include <QDir>
#include <QPointer>
#include <QSlider>
#include <QWidget>

#include <gtest/gtest.h>

namespace zorbel::integration {
namespace {

const QString kTitle = QStringLiteral("Zorbel 设置");

QString artifactsFolder()
{
    const QString folder = QStringLiteral(ZORBEL_ARTIFACTS_DIR) + QStringLiteral("/settings");
    QDir().mkpath(folder);
    return folder;
}

class SettingsWindowTest : public EditorWithIndicatorTest {
 protected:
  QWidget* openSettings() {
    SettingsWindowController::showSettings();
    QWidget* w = SettingsWindowController::shared()->window();
    EXPECT_TRUE(pollUntil([&] { return isViewable(w->winId()) == true && w->isActiveWindow(); }, 5s))
        << "the window is shown and active";
    return w;
  }

  // Clicks a control of the open window where it is on the screen, as a user would.
  void click(const QString& name) {
    QWidget* w = SettingsWindowController::shared()->window()->findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name.toStdString();
    ASSERT_TRUE(clickAt(w->mapToGlobal(w->rect().center())));
    pollUntil([] { return false; }, 150ms);
  }

  std::optional<QRect> indicator() { return windowGeometry(panel()->winId()); }
};

TEST_F(SettingsWindowTest, EveryTabShowsAndEditsRestyleTheIndicator) {
  ASSERT_NO_FATAL_FAILURE(startEditor());
  const QSize before = indicator()->size();
  QWidget* window = openSettings();
  EXPECT_EQ(window->size(), QSize(1100, 680));
  EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(window->winId())) << "the window takes the keyboard";

  for (const auto& tab : UnifiedTab::all()) {
    click(QStringLiteral("tab.") + tab.id);
    pollUntil([] { return false; }, 300ms);
    const QImage shot = grabScreen();
    const QString file = artifactsFolder() + QStringLiteral("/tab-") + tab.id + QStringLiteral(".png");
    EXPECT_TRUE(shot.copy(*windowGeometry(window->winId())).save(file)) << file.toStdString();
  }

  click(QStringLiteral("tab.style"));
  click(QStringLiteral("shape.rectangle"));
  auto* size = window->findChild<QSlider*>(QStringLiteral("sizeSlider"));
  ASSERT_NE(size, nullptr);
  // A click gives the slider the keyboard; End takes it to the largest size, 50.
  ASSERT_TRUE(clickAt(size->mapToGlobal(QPoint(size->width() - 3, size->height() / 2))));
  ASSERT_TRUE(pressKeys(QStringLiteral("End")));
  EXPECT_TRUE(pollUntil([] { return BrindotStyleManager::shared().currentStyle().size == 50; }, 3s));
  EXPECT_EQ(BrindotStyleManager::shared().currentStyle().shape, BrindotShape::rectangle);
  pollUntil([] { return false; }, 400ms);
  EXPECT_TRUE(window->grab().save(artifactsFolder() + QStringLiteral("/style-edited.png")));

  // The indicator stands beside the editor's caret: back there it has the new size.
  ASSERT_TRUE(focusWindow(client_->windowId()));
  ASSERT_TRUE(clickAt(entry_));
  ASSERT_TRUE(typeText(QStringLiteral("x")));
  EXPECT_TRUE(pollUntil([&] { return isViewable(panel()->winId()) == true && indicator()->width() >= 50; }, 5s))
      << "the indicator is " << indicator()->width() << " px wide, was " << before.width();
  grabScreen().save(artifactsFolder() + QStringLiteral("/indicator-restyled.png"));

  QPointer<QWidget> first = window;
  SettingsWindowController::shared()->close();
  EXPECT_TRUE(pollUntil([&] { return first.isNull(); }, 3s)) << "the closed window is released";
  EXPECT_FALSE(windowNamed(kTitle).has_value() && isViewable(*windowNamed(kTitle)) == true);
  EXPECT_TRUE(BrindotManager::shared().isEnabled()) << "closing keeps the indicator running";
  QWidget* again = openSettings();
  EXPECT_NE(again, nullptr);
  click(QStringLiteral("tab.style"));
  auto* sizeAgain = again->findChild<QSlider*>(QStringLiteral("sizeSlider"));
  ASSERT_NE(sizeAgain, nullptr);
  EXPECT_EQ(sizeAgain->value(), 25) << "the fresh window shows the stored size";
}

}  // namespace
}  // namespace zorbel::integration
