// The real program with a tray host of the test's own: "设置" in the tray menu opens the
// one settings window as a normal 1100 × 680 window, a second "设置" opens no other, and
// the program quits from the menu with the window open. A screen reader, reading the
// window over AT-SPI in every theme and on every tab, finds a name for every control it
// can focus, the tabs as page tabs and the title-bar badges as buttons Tab reaches, and can
// press tab after tab while reading the tree without bringing the program down.
#include "support/TrayHost.h"
#include "support/AccessibilityProbe.h"
#include "indicator/IndicatorChecks.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <csignal>
#include <vector>

namespace zorbel::integration {
namespace {

const QString kTitle = QStringLiteral("Zorbel 设置");

class SettingsTrayTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished();
    }
  }

  void startProgram() {
    const QString folder = config_.path() + QStringLiteral("/zorbel");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile defaults(folder + QStringLiteral("/defaults.ini"));
    ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
    defaults.write("[General]\nUIStyle=system\n");
    defaults.close();
    ASSERT_TRUE(launchProgram(program_, QStringLiteral(ZORBEL_PROGRAM), config_.path()))
        << program_.errorString().toStdString();
    ASSERT_TRUE(pollUntil([&] { return !host_.items().empty(); }, 15s)) << "the item registers:\n" << output();
    item_ = host_.items().front();
    // The item may register before its properties answer.
    ASSERT_TRUE(pollUntil([&] { return host_.icon(item_).has_value(); }, 15s)) << output();
  }

  bool clickItem(const QString& label) {
    const auto menu = host_.menu(item_);
    const auto* node = menu ? menu->find(label) : nullptr;
    return node && host_.click(item_, node->id);
  }

  std::optional<quint64> shownWindow() {
    const auto id = windowNamed(kTitle);
    return id && isViewable(*id) == true ? id : std::nullopt;
  }

  std::string output() {
    output_ += program_.readAll();
    return output_.right(4000).toStdString();
  }

  TrayHost host_;
  TrayHost::Item item_;
  QTemporaryDir config_;
  QProcess program_;
  QByteArray output_;
};

TEST_F(SettingsTrayTest, TheMenuOpensOneSettingsWindow) {
  ASSERT_TRUE(host_.isRunning());
  ASSERT_NO_FATAL_FAILURE(startProgram());
  ASSERT_TRUE(pollUntil([&] { return clickItem(QStringLiteral("设置")); }, 5s)) << output();
  ASSERT_TRUE(pollUntil([&] { return shownWindow().has_value(); }, 10s)) << "the window shows:\n" << output();
  const quint64 window = *shownWindow();
  std::optional<QRect> geometry;
  EXPECT_TRUE(pollUntil([&] {
    geometry = windowGeometry(window);
    return geometry && geometry->size() == QSize(1100, 680) && inputFocusWindow() == std::optional<quint64>(window);
  }, 5s)) << "the window is 1100 x 680 and has the keyboard; it is " << (geometry ? describe(*geometry) : "gone");
  ASSERT_TRUE(geometry);
  const QString folder = QStringLiteral(ZORBEL_ARTIFACTS_DIR) + QStringLiteral("/settings");
  QDir().mkpath(folder);
  EXPECT_TRUE(grabScreen().copy(*geometry).save(folder + QStringLiteral("/from-tray.png")));

  ASSERT_TRUE(clickItem(QStringLiteral("设置")));
  // A second window would map within a moment of the click, as the first did.
  EXPECT_FALSE(pollUntil([] { return viewableWindowsNamed(kTitle) > 1; }, 1s)) << "a second settings window shows";
  EXPECT_EQ(shownWindow(), std::optional<quint64>(window)) << "the same window, brought forward";

  ASSERT_TRUE(clickItem(QStringLiteral("退出 Zorbel")));
  ASSERT_TRUE(program_.waitForFinished(10000)) << output();
  EXPECT_EQ(program_.exitCode(), 0) << output();
}

struct TabMark {
  const char* title;
  const char* shownBy;  // a text every theme's page of the tab shows
  std::vector<std::pair<const char*, const char*>> controls;  // name and role, in every theme
};
const TabMark kTabs[] = {
    {"基础设置", "启用 Brindot", {{"启用 Brindot", "check box"}}},
    {"样式设置", "形状选择",
     {{"圆形", "radio button"}, {"大小", "slider"}, {"填充颜色", "push button"}, {"边框颜色", "push button"},
      {"启用填充", "check box"}}},
    {"输入法样式", "输入法列表", {{"启用输入法样式区分", "check box"}, {"启用大写锁定指示", "check box"}}},
    {"HUD设置", "HUD控制", {{"持续时间", "slider"}}},
    {"问题反馈", "权限管理", {{"导出日志", "push button"}}}};

bool hasNode(const std::vector<AccessibleNode>& tree, const QString& name, const QString& role = {}) {
  return std::any_of(tree.begin(), tree.end(), [&](const AccessibleNode& n) {
    return n.name == name && (role.isEmpty() || n.role == role);
  });
}

std::string dump(const std::vector<AccessibleNode>& tree) {
  QStringList lines;
  for (const auto& n : tree)
    lines << QStringLiteral("%1 [%2]%3").arg(n.path, n.role, n.focusable ? QStringLiteral(" focusable") : QString());
  return lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(SettingsTrayTest, AScreenReaderCanNameEveryControlInEveryThemeAndTab) {
  ASSERT_TRUE(host_.isRunning());
  ASSERT_NO_FATAL_FAILURE(startProgram());
  const qint64 pid = program_.processId();
  ASSERT_TRUE(pollUntil([&] { return clickItem(QStringLiteral("设置")); }, 5s)) << output();
  ASSERT_TRUE(pollUntil([&] { return shownWindow().has_value(); }, 10s)) << "the window shows:\n" << output();
  ASSERT_TRUE(pollUntil([&] { return isRegistered(pid); }, 10s))
      << "on the accessibility desktop: " << registeredApplications().join(QStringLiteral(", ")).toStdString();

  // Tab, from wherever the window put the focus, reaches both title-bar badges as buttons.
  ASSERT_TRUE(focusWindow(*shownWindow()));
  QStringList reached;
  const auto reachedBadge = [&](const char* prefix) {
    return std::any_of(reached.begin(), reached.end(),
                       [prefix](const QString& r) { return r.startsWith(QString::fromUtf8(prefix)); });
  };
  for (int presses = 0; presses < 80 && !(reachedBadge("辅助功能权限") && reachedBadge("开机自启动")); ++presses) {
    const auto before = focusedElement(pid);
    ASSERT_TRUE(pressKeys(QStringLiteral("Tab")));
    std::optional<FocusedElement> now;
    pollUntil([&] {
      now = focusedElement(pid);
      return now && (!before || now->name != before->name || now->role != before->role);
    }, 1s);
    if (now) reached << now->name + QStringLiteral(" [") + now->role + QLatin1Char(']');
  }
  EXPECT_TRUE(reachedBadge("辅助功能权限") && reachedBadge("开机自启动"))
      << "Tab went through:\n" << reached.join(QLatin1Char('\n')).toStdString();
  for (const QString& r : reached) {
    const bool badge = r.startsWith(QStringLiteral("辅助功能权限")) || r.startsWith(QStringLiteral("开机自启动"));
    EXPECT_TRUE(!badge || r.endsWith(QStringLiteral("[push button]"))) << r.toStdString();
  }

  // Ending with the system theme, whose advanced page sends feedback.
  const std::pair<const char*, const char*> themes[] = {
      {"液态玻璃", "液态玻璃"}, {"磨砂玻璃", "磨砂玻璃风格"}, {"操作系统", "系统风格"}};
  for (const auto& [menuRow, caption] : themes) {
    SCOPED_TRACE(menuRow);
    ASSERT_TRUE(clickItem(QString::fromUtf8(menuRow)));
    for (const auto& tab : kTabs) {
      SCOPED_TRACE(tab.title);
      std::vector<AccessibleNode> tree;
      const bool shown = pollUntil([&] {
        tree = accessibleTree(pid).value_or(std::vector<AccessibleNode>{});
        if (!hasNode(tree, QString::fromUtf8(caption))) return false;
        if (hasNode(tree, QString::fromUtf8(tab.shownBy))) return true;
        pressNode(pid, QStringLiteral("page tab"), QString::fromUtf8(tab.title));
        return false;
      }, 10s);
      ASSERT_TRUE(shown) << dump(tree);
      QStringList unnamed;
      for (const auto& n : tree)
        if (n.focusable && n.name.trimmed().isEmpty()) unnamed << n.path + QStringLiteral(" [") + n.role + QLatin1Char(']');
      EXPECT_TRUE(unnamed.isEmpty()) << "focusable without a name:\n" << unnamed.join(QLatin1Char('\n')).toStdString()
                                     << "\n\nthe tree:\n" << dump(tree);
      for (const auto& t : kTabs)
        EXPECT_TRUE(hasNode(tree, QString::fromUtf8(t.title), QStringLiteral("page tab"))) << t.title;
      for (const auto& [name, role] : tab.controls)
        EXPECT_TRUE(hasNode(tree, QString::fromUtf8(name), QString::fromUtf8(role))) << name << " as " << role;
    }
    // A screen reader pressing tab after tab and reading the whole tree at once meets pages
    // while they are replaced, and those it read a moment ago already gone.
    for (int round = 0; round < 3; ++round) {
      for (const auto& tab : kTabs) {
        pressNode(pid, QStringLiteral("page tab"), QString::fromUtf8(tab.title));
        accessibleTree(pid);
      }
      ASSERT_FALSE(program_.waitForFinished(0))
          << "the program ended (" << (program_.exitStatus() == QProcess::CrashExit ? "crashed" : "exited")
          << ") while a screen reader pressed its tabs, round " << round << ":\n" << output();
    }
  }

  // The sheets the pages open: the preset chooser of an input method and the feedback sheet.
  const auto sheetShows = [&](const char* tab, const std::function<QString(const std::vector<AccessibleNode>&)>& button,
                              const char* title, std::vector<AccessibleNode>& tree) {
    return pollUntil([&] {
      tree = accessibleTree(pid).value_or(std::vector<AccessibleNode>{});
      if (hasNode(tree, QString::fromUtf8(title))) return true;
      const bool onTab = std::any_of(tree.begin(), tree.end(), [&](const AccessibleNode& n) {
        return n.role == QLatin1String("page tab") && n.name == QString::fromUtf8(tab) && n.selected;
      });
      if (!onTab) {
        pressNode(pid, QStringLiteral("page tab"), QString::fromUtf8(tab));
        return false;
      }
      const QString name = button(tree);
      if (!name.isEmpty()) pressNode(pid, QStringLiteral("push button"), name);
      return false;
    }, 10s);
  };
  const auto named = [](const char* text) {
    return [text](const std::vector<AccessibleNode>&) { return QString::fromUtf8(text); };
  };
  const auto firstChange = [](const std::vector<AccessibleNode>& tree) {
    for (const auto& n : tree)
      if (n.role == QLatin1String("push button") && n.name.startsWith(QStringLiteral("更改 "))) return n.name;
    return QString();
  };
  for (const auto& [tab, button, title, close] :
       {std::tuple{"输入法样式", std::function(firstChange), "选择样式", "取消"},
        std::tuple{"问题反馈", std::function(named("发送反馈")), "发送问题反馈", "关闭"}}) {
    SCOPED_TRACE(title);
    std::vector<AccessibleNode> tree;
    ASSERT_TRUE(sheetShows(tab, button, title, tree)) << dump(tree);
    QStringList unnamed;
    for (const auto& n : tree)
      if (n.focusable && n.name.trimmed().isEmpty()) unnamed << n.path + QStringLiteral(" [") + n.role + QLatin1Char(']');
    EXPECT_TRUE(unnamed.isEmpty()) << "focusable without a name:\n" << unnamed.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(pressNode(pid, QStringLiteral("push button"), QString::fromUtf8(close))) << dump(tree);
    ASSERT_TRUE(pollUntil([&] { return !hasNode(accessibleTree(pid).value_or(tree), QString::fromUtf8(title)); }, 5s));
  }
  std::vector<AccessibleNode> tree;
  ASSERT_TRUE(sheetShows("输入法样式", firstChange, "选择样式", tree));
  EXPECT_TRUE(std::any_of(tree.begin(), tree.end(), [](const AccessibleNode& n) {
    return n.role == QLatin1String("radio button") && n.checked;
  })) << "the preset in force is the checked one";
}

}  // namespace
}  // namespace zorbel::integration
