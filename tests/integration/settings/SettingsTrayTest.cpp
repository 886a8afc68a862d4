// The real program with a tray host of the test's own: "设置" in the tray menu opens the
// one settings window as a normal 1100 × 680 window, a second "设置" opens no other, and
// the program quits from the menu with the window open.
#include "support/TrayHost.h"
#include "indicator/IndicatorChecks.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

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
  pollUntil([] { return false; }, 500ms);
  const auto geometry = windowGeometry(window);
  ASSERT_TRUE(geometry);
  EXPECT_EQ(geometry->size(), QSize(1100, 680));
  EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(window)) << "the window has the keyboard";
  const QString folder = QStringLiteral(ZORBEL_ARTIFACTS_DIR) + QStringLiteral("/settings");
  QDir().mkpath(folder);
  EXPECT_TRUE(grabScreen().copy(*geometry).save(folder + QStringLiteral("/from-tray.png")));

  ASSERT_TRUE(clickItem(QStringLiteral("设置")));
  pollUntil([] { return false; }, 500ms);
  EXPECT_EQ(shownWindow(), std::optional<quint64>(window)) << "the same window, brought forward";

  ASSERT_TRUE(clickItem(QStringLiteral("退出 Zorbel")));
  ASSERT_TRUE(program_.waitForFinished(10000)) << output();
  EXPECT_EQ(program_.exitCode(), 0) << output();
}

}  // namespace
}  // namespace zorbel::integration
