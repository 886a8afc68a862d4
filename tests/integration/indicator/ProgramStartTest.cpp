// How the real program starts on a desktop that is not as it expects: no display it can
// open, a copy of its own already running, a settings path that is a FIFO.
#include "support/AccessibilityProbe.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace zorbel::integration {
namespace {

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }
  void TearDown() override {
    for (auto* program : {&first_, &second_}) {
      if (program->state() == QProcess::NotRunning) continue;
      program->kill();
      program->waitForFinished();
    }
  }
  QString folder() const { return config_.path() + QStringLiteral("/zorbel"); }

  void start(QProcess& program, const std::function<void(QProcessEnvironment&)>& adjust = {}) {
    ASSERT_TRUE(launchProgram(program, QStringLiteral(ZORBEL_PROGRAM), config_.path(), {}, adjust))
        << program.errorString().toStdString();
  }
  // Running with its services set up once it appears on the accessibility desktop.
  void startAndWait(QProcess& program) {
    ASSERT_NO_FATAL_FAILURE(start(program));
    EXPECT_TRUE(pollUntil([&] { return isRegistered(program.processId()); }, 10s)) << program.readAll().data();
  }
  void quit(QProcess& program) {
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(5000)) << "the program quits on TERM";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
  }

  QTemporaryDir config_;
  QProcess first_;
  QProcess second_;
};

TEST_F(ProgramStartTest, WithoutAUsableDisplayItSaysSoInOneLineAndEndsWithStatusOne) {
  const std::vector<std::optional<QString>> displays{std::nullopt, QString(), QStringLiteral(":4711")};
  for (const auto& display : displays) {
    SCOPED_TRACE(display ? ("DISPLAY=\"" + display->toStdString() + "\"") : std::string("DISPLAY unset"));
    QProcess program;
    ASSERT_NO_FATAL_FAILURE(start(program, [&](QProcessEnvironment& environment) {
      if (display) {
        environment.insert(QStringLiteral("DISPLAY"), *display);
      } else {
        environment.remove(QStringLiteral("DISPLAY"));
      }
    }));
    ASSERT_TRUE(program.waitForFinished(10000));
    const QString said = QString::fromUtf8(program.readAll());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "no abort";
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(said.startsWith(QStringLiteral("zorbel: "))) << said.toStdString();
    EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << said.toStdString();
  }
}

TEST_F(ProgramStartTest, ASecondCopySaysOneIsRunningAndLeavesTheFirstAlone) {
  ASSERT_NO_FATAL_FAILURE(startAndWait(first_));
  ASSERT_NO_FATAL_FAILURE(start(second_));
  ASSERT_TRUE(second_.waitForFinished(10000)) << "the second copy ends by itself";
  EXPECT_EQ(second_.exitCode(), 0);
  EXPECT_TRUE(second_.readAll().contains("already running"));
  EXPECT_EQ(first_.state(), QProcess::Running);
  quit(first_);

  ASSERT_NO_FATAL_FAILURE(startAndWait(second_));
  EXPECT_EQ(second_.state(), QProcess::Running) << "once the first has gone, a new copy runs";
}

TEST_F(ProgramStartTest, ASettingsPathThatIsAFifoIsNotOpened) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(folder() + QStringLiteral("/quellan.brindot.ini")).constData(), 0600), 0);
  ASSERT_NO_FATAL_FAILURE(startAndWait(first_));
  quit(first_);
  EXPECT_TRUE(first_.readAll().contains("cannot be read; defaults are used"));
}

}  // namespace
}  // namespace zorbel::integration
