// The settings window on a window-managed desktop, in-process through the Linux services and
// driven with the pointer and the wheel as a user would: it opens as a normal window that
// takes the keyboard, every tab is shown (a screenshot of each is kept), size and shape edits
// restyle the indicator standing beside a GTK 3 editor's caret, closing and opening again
// builds a fresh window while the program keeps running, and while the window is in front
// the indicator stays away and comes back at the editor's caret when the editor does.
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/Managers/PerfectCaretTracker.h"
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
#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

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
    ASSERT_TRUE(clickWidget(w)) << "the click reaches " << name.toStdString();
  }

  std::optional<QRect> indicator() { return windowGeometry(panel()->winId()); }

  // The settings window keeps clear of the editor's text field, so a click can bring the
  // editor back to the front.
  void keepClearOfTheEditor(QWidget* window) {
    const QRect editor = *windowGeometry(client_->windowId());
    ASSERT_TRUE(moveWindow(window->winId(), {editor.right() + 40, 60}));
    ASSERT_TRUE(pollUntil([&] { return !windowGeometry(window->winId())->contains(entry_); }, 3s));
  }

  // The indicator is shown at the editor's caret as the editor draws it.
  void expectAtTheEditorsCaret() {
    auto& manager = BrindotManager::shared().perfectCaretManager();
    const QRect frame = *windowGeometry(client_->windowId());
    std::optional<QPointF> atCaret, drawn;
    const bool marked = pollUntil([&] {
      const auto caret = manager.caretTracker().currentCaretPosition();
      if (!caret || isViewable(panel()->winId()) != true) return false;
      atCaret = platform::workspace().desktopPointFromCocoa(*caret);
      drawn = atCaret ? drawnCaretPoint(*atCaret, frame) : std::nullopt;
      return drawn && std::abs(drawn->x() - atCaret->x()) <= 3 && std::abs(drawn->y() - atCaret->y()) <= 3;
    }, 5s);
    ASSERT_TRUE(marked) << "the indicator shows for a caret at " << describe(atCaret)
                        << ", drawn at " << describe(drawn);
    // The stored default style (size 10, top right, offsets -3 and -3) centres the indicator
    // 10 / 2 + 10 - 3 = 12 px right of the caret and 12 px above it.
    ASSERT_EQ(BrindotStyleManager::shared().currentStyle(), BrindotStyle::defaultStyle());
    const QPointF centre = *drawn + QPointF(12, -12);
    EXPECT_TRUE(pollUntil([&] { return (centreOf(*indicator()) - centre).manhattanLength() <= 4; }, 3s))
        << "the window stands at " << describe(*indicator()) << ", not around " << describe(centre);
  }
};

TEST_F(SettingsWindowTest, EveryTabShowsAndEditsRestyleTheIndicator) {
  ASSERT_NO_FATAL_FAILURE(startEditor());
  const QSize before = indicator()->size();
  QWidget* window = openSettings();
  EXPECT_EQ(window->size(), QSize(1100, 680));
  EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(window->winId())) << "the window takes the keyboard";

  // Each tab, clicked, lights its own row alone and shows its page under its header; no two
  // pages look alike.
  struct Page {
    const char* id;
    const char* title;
    const char* description;
  };
  const Page pages[] = {
      {"basic", "基础设置", "配置Brindot的基本功能和状态"},
      {"style", "样式设置", "自定义Brindot的外观和形状"},
      {"inputMethodStyle", "输入法样式", "为不同输入法设置不同的Brindot样式"},
      {"hud", "HUD设置", "配置抬头显示功能和样式"},
      {"advanced", "问题反馈", "高级功能和系统配置"},
  };
  ASSERT_EQ(UnifiedTab::all().size(), std::size(pages));
  const auto shows = [&](const QString& text) {
    for (auto* label : window->findChild<QWidget*>(QStringLiteral("pageScroll"))->findChildren<QLabel*>())
      if (label->text() == text && label->isVisible()) return true;
    return false;
  };
  std::vector<QImage> shots;
  for (const auto& page : pages) {
    const QString id = QString::fromLatin1(page.id);
    click(QStringLiteral("tab.") + id);
    EXPECT_TRUE(pollUntil([&] { return shows(QString::fromUtf8(page.title)) && shows(QString::fromUtf8(page.description)); },
                          3s)) << page.id << ": the page's header";
    const auto shot = steadyShot(*windowGeometry(window->winId()));
    ASSERT_TRUE(shot) << page.id;
    const QString file = artifactsFolder() + QStringLiteral("/tab-") + id + QStringLiteral(".png");
    EXPECT_TRUE(shot->save(file)) << file.toStdString();
    // The lit row: its left end, beside the icon, in the tab's fill; the other rows unlit.
    const auto rowPixel = [&](const QString& tab) {
      auto* row = window->findChild<QWidget*>(QStringLiteral("tab.") + tab);
      return shot->pixelColor(row->mapTo(window, QPoint(5, row->height() / 2)));
    };
    const QColor lit = rowPixel(id);
    for (const auto& other : UnifiedTab::all()) {
      if (other.id == id) continue;
      const QColor unlit = rowPixel(other.id);
      EXPECT_GT(std::max({std::abs(lit.red() - unlit.red()), std::abs(lit.green() - unlit.green()),
                          std::abs(lit.blue() - unlit.blue())}), 60)
          << page.id << " is lit like " << other.id.toStdString();
    }
    auto* scroll = window->findChild<QWidget*>(QStringLiteral("pageScroll"));
    shots.push_back(shot->copy(QRect(scroll->mapTo(window, QPoint()), scroll->size())));
    for (std::size_t earlier = 0; earlier + 1 < shots.size(); ++earlier)
      EXPECT_GT(changedShare(shots[earlier], shots.back()), 0.02) << page.id << " shows the page of " << pages[earlier].id;
  }

  click(QStringLiteral("tab.style"));
  click(QStringLiteral("shape.rectangle"));
  auto* size = window->findChild<QSlider*>(QStringLiteral("sizeSlider"));
  ASSERT_NE(size, nullptr);
  // A click picks the slider (the wheel scrolls the page past sliders not picked); the wheel
  // turned up over it then takes it to the largest size, 50.
  const QPoint slider = size->mapToGlobal(size->rect().center());
  ASSERT_TRUE(clickAt(slider));
  ASSERT_TRUE(scrollAt(slider, 20));
  EXPECT_TRUE(pollUntil([] { return BrindotStyleManager::shared().currentStyle().size == 50; }, 3s))
      << BrindotStyleManager::shared().currentStyle().size;
  EXPECT_EQ(BrindotStyleManager::shared().currentStyle().shape, BrindotShape::rectangle);
  EXPECT_TRUE(window->grab().save(artifactsFolder() + QStringLiteral("/style-edited.png")));

  // The indicator stands beside the editor's caret: back there it has the new size.
  ASSERT_NO_FATAL_FAILURE(keepClearOfTheEditor(window));
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

TEST_F(SettingsWindowTest, WhileTheWindowIsInFrontTheIndicatorWaitsForTheEditorAndReturnsToItsCaret) {
  ASSERT_NO_FATAL_FAILURE(startEditor());
  int switches = 0;
  const auto token = platform::notificationCenter().addObserver(
      QString::fromLatin1(PerfectCaretTracker::functionKeyEventNotification), [&](const platform::Notification& n) {
        if (n.userInfo.value(QStringLiteral("source")) == QStringLiteral("applicationSwitch")) ++switches;
      });
  QWidget* window = openSettings();
  ASSERT_NO_FATAL_FAILURE(keepClearOfTheEditor(window));
  EXPECT_TRUE(pollUntil([] { return isViewable(panel()->winId()) != true; }, 3s))
      << "no indicator of the editor's caret over the program's own window";

  // Off and on again with the switch of the basic page, the window staying in front.
  click(QStringLiteral("tab.basic"));
  click(QStringLiteral("masterSwitch"));
  ASSERT_TRUE(pollUntil([] { return !BrindotManager::shared().isEnabled(); }, 3s));
  click(QStringLiteral("masterSwitch"));
  ASSERT_TRUE(pollUntil([] { return BrindotManager::shared().isEnabled(); }, 3s));
  // The indicator would come back within a moment of the switch turning on.
  EXPECT_FALSE(pollUntil([] { return isViewable(panel()->winId()) == true; }, 1s))
      << "the indicator waits while the window is in front";

  // Back in the editor with one click: a switch, announced, and the indicator at its caret.
  switches = 0;
  ASSERT_TRUE(clickAt(entry_));
  EXPECT_TRUE(pollUntil([&] { return switches > 0; }, 3s)) << "the return to the editor is a switch";
  ASSERT_NO_FATAL_FAILURE(expectAtTheEditorsCaret());
  ASSERT_TRUE(typeText(QStringLiteral("yy")));
  ASSERT_TRUE(pollUntil([&] { return editableTexts(client_->pid()).value_or(QStringList()).value(0) == "xxyy"; }, 3s));
  ASSERT_NO_FATAL_FAILURE(expectAtTheEditorsCaret());
  grabScreen().save(artifactsFolder() + QStringLiteral("/indicator-back-in-editor.png"));

  // The program's own process was never asked: a question to it waits on the thread that
  // would answer it until it times out.
  const QStringList unanswered = services_->log.linesContaining(QStringLiteral("does not answer"));
  EXPECT_TRUE(unanswered.isEmpty()) << unanswered.join('\n').toStdString();
}

}  // namespace
}  // namespace zorbel::integration
