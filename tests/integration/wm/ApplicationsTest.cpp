// Real applications from Debian's packages under a window manager: a GTK 4 editor (its text
// view never says SHOWING and sends no focus event) and a Qt 6 writing application (a page
// tab and the text edit both say FOCUSED). The tracker finds the caret in both; it lets the
// point go when the application quits, and the workspace reports a switch of virtual desktop.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <iostream>
#include <memory>

#include "Platform/Linux/X11Desktop.h"
#include "Platform/Services.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/DebianApplication.h"
#include "support/DrawnCaret.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TrackedCaret.h"

namespace zorbel::integration {
namespace {

constexpr qint64 kQuiet = 600;  // ms

struct Program {
  const char* name;
  QString executable;
  QStringList arguments;
};

class ApplicationsTest : public ::testing::TestWithParam<Program> {
 protected:
  void SetUp() override {
    services_ = std::make_unique<LinuxServices>();
    ASSERT_TRUE(dir_.isValid());
  }
  void TearDown() override {
    tracked_.reset();
    program_.reset();
    resetSharedInstances();
    services_.reset();
  }

  // Opens a file of text without vertical strokes in the program and activates its window.
  quint64 open() {
    QFile file(dir_.filePath(QStringLiteral("notes.txt")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("xxxx xx\n");
    file.close();
    program_ = std::make_unique<DebianApplication>(GetParam().executable, GetParam().arguments);
    program_->start({file.fileName()});
    const quint64 window = program_->waitForWindow();
    EXPECT_TRUE(window) << GetParam().name << " shows a window on the accessibility desktop";
    if (window) {
      EXPECT_TRUE(activateWindow(window));
    }
    return window;
  }

  std::unique_ptr<LinuxServices> services_;
  QTemporaryDir dir_;
  std::unique_ptr<DebianApplication> program_;
  std::unique_ptr<TrackedCaret> tracked_;
};

TEST_P(ApplicationsTest, ThePointMarksTheCaretAndGoesWhenTheApplicationQuits) {
  const quint64 window = open();
  ASSERT_TRUE(window);
  tracked_ = std::make_unique<TrackedCaret>();
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+End")));
  ASSERT_TRUE(typeText(QStringLiteral("xx")));
  const auto p = tracked_->settledPoint(kQuiet);
  const auto frame = windowGeometry(window);
  ASSERT_TRUE(p && frame) << GetParam().name << ": a point is published";
  const auto drawn = drawnCaret(QRectF(p->x(), p->y() - 9, 0, 18), *frame);
  ASSERT_TRUE(drawn) << GetParam().name << ": no caret drawn near (" << p->x() << ", " << p->y() << ")";
  EXPECT_LE(std::abs(drawn->x() - p->x()), 3.0) << GetParam().name << ": caret drawn at x=" << drawn->x();
  EXPECT_NEAR(p->y(), drawn->center().y(), 4.0) << GetParam().name << ": caret drawn at y=" << drawn->y();

  bool terminated = false;
  const auto token = platform::workspace().notificationCenter().addObserver(
      QString::fromLatin1(platform::WorkspaceService::didTerminateApplicationNotification),
      [&](const platform::Notification&) { terminated = true; });
  QElapsedTimer sinceQuit;
  sinceQuit.start();
  program_->stop();
  EXPECT_TRUE(pollUntil([&] { return !tracked_->latest().has_value(); }, 3s)) << GetParam().name << ": the point goes";
  EXPECT_TRUE(pollUntil([&] { return terminated; }, 3s)) << GetParam().name << ": the workspace says it ended";
  std::cout << GetParam().name << ": point gone " << sinceQuit.elapsed() << " ms after the quit\n";
}

INSTANTIATE_TEST_SUITE_P(Programs, ApplicationsTest,
                         ::testing::Values(Program{"gtk4_editor", QStringLiteral("gnome-text-editor"),
                                                   {QStringLiteral("--standalone")}},
                                           Program{"qt6_writer", QStringLiteral("retext"), {}}),
                         [](const ::testing::TestParamInfo<Program>& param) { return std::string(param.param.name); });

TEST(WorkspaceTest, SwitchingVirtualDesktopsIsAnnounced) {
  LinuxServices services;
  int changes = 0;
  const auto token = platform::workspace().notificationCenter().addObserver(
      QString::fromLatin1(platform::WorkspaceService::activeSpaceDidChangeNotification),
      [&](const platform::Notification&) { ++changes; });
  QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")});
  QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")});
  EXPECT_TRUE(pollUntil([&] { return changes >= 2; }, 3s)) << changes << " changes announced";
  resetSharedInstances();
}

}  // namespace
}  // namespace zorbel::integration
