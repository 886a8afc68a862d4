// How the real program starts on a desktop that is not as it expects: no display it can
// open, a copy of its own already running, a settings path that is a FIFO, a full disk.
#include "support/AccessibilityProbe.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

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
    // A pid of 0 would signal this whole process group.
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAll().data();
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

// The second copy differs from the first where a lock file's place would: no
// XDG_RUNTIME_DIR, another temporary folder, another name of the same display.
TEST_F(ProgramStartTest, ASecondCopySaysOneIsRunningAndLeavesTheFirstAlone) {
  ASSERT_NO_FATAL_FAILURE(startAndWait(first_));
  QTemporaryDir otherTemp;
  ASSERT_NO_FATAL_FAILURE(start(second_, [&](QProcessEnvironment& environment) {
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), otherTemp.path());
    environment.insert(QStringLiteral("DISPLAY"), environment.value(QStringLiteral("DISPLAY")) + QStringLiteral(".0"));
  }));
  ASSERT_TRUE(second_.waitForFinished(10000)) << "the second copy ends by itself";
  EXPECT_EQ(second_.exitCode(), 0);
  EXPECT_TRUE(second_.readAll().contains("already running"));
  EXPECT_EQ(first_.state(), QProcess::Running);
  quit(first_);

  ASSERT_NO_FATAL_FAILURE(startAndWait(second_));
  EXPECT_EQ(second_.state(), QProcess::Running) << "once the first has gone, a new copy runs";
}

// Another user can create and lock any name in /tmp before the program starts, where a
// copy without XDG_RUNTIME_DIR would have kept its lock.
TEST_F(ProgramStartTest, AnotherUserCannotKeepTheProgramFromStarting) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  const QString planted =
      QStringLiteral("/tmp/zorbel-%1-%2.lock").arg(::getuid()).arg(qEnvironmentVariable("DISPLAY"));
  QFile::remove(planted);  // left by an earlier version of the program
  QProcess other;
  other.setProcessChannelMode(QProcess::MergedChannels);
  // One process that holds the lock and ends on TERM.
  other.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                          QStringLiteral("--clear-groups"), QStringLiteral("sh"), QStringLiteral("-c"),
                                          QStringLiteral("exec 9>\"$0\" && flock 9 && : >\"$0.held\" && exec sleep 60"), planted});
  ASSERT_TRUE(other.waitForStarted());
  const auto holder = static_cast<pid_t>(other.processId());
  ASSERT_TRUE(pollUntil([&] { return QFileInfo::exists(planted + QStringLiteral(".held")); }, 5s))
      << other.readAll().data();
  start(first_, [](QProcessEnvironment& environment) { environment.remove(QStringLiteral("XDG_RUNTIME_DIR")); });
  EXPECT_TRUE(pollUntil([&] { return isRegistered(first_.processId()); }, 10s));
  EXPECT_EQ(first_.state(), QProcess::Running) << first_.readAll().data();
  if (first_.state() == QProcess::Running) quit(first_);
  ::kill(holder, SIGTERM);
  other.waitForFinished();
  QFile::remove(planted);
  QFile::remove(planted + QStringLiteral(".held"));
}

// Opening a FIFO waits for a writer that never comes. Without a tray the settings window
// opens at start, and its launch-at-login badge reads the autostart entries at once; the
// input-method back end reads IBus's address file at start.
TEST_F(ProgramStartTest, FifosWhereFilesAreExpectedAreNeverOpened) {
  const QString autostart = config_.path() + QStringLiteral("/autostart");
  ASSERT_TRUE(QDir().mkpath(autostart));
  // IBus's address file, read while no IBUS_ADDRESS names the daemon.
  QString machine;
  for (const char* path : {"/var/lib/dbus/machine-id", "/etc/machine-id"}) {
    QFile id(QString::fromLatin1(path));
    if (machine.isEmpty() && id.open(QIODevice::ReadOnly)) machine = QString::fromLatin1(id.readAll().trimmed());
  }
  const QString display = qEnvironmentVariable("DISPLAY");
  const QString ibus = config_.path() + QStringLiteral("/ibus/bus");
  ASSERT_TRUE(QDir().mkpath(ibus));
  qunsetenv("IBUS_ADDRESS");
  for (const QString& path : {folder() + QStringLiteral("/quellan.brindot.ini"),
                              autostart + QStringLiteral("/quellan.Zorbel.desktop"),
                              autostart + QStringLiteral("/other.desktop"),
                              ibus + QStringLiteral("/%1-unix-%2").arg(machine, display.mid(display.lastIndexOf(':') + 1).section('.', 0, 0))})
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  ASSERT_NO_FATAL_FAILURE(startAndWait(first_));
  QByteArray said;
  EXPECT_TRUE(pollUntil([&] {
    said += first_.readAll();
    return said.contains("[AutoStartupManager] 最终结果");
  }, 10s)) << "the launch-at-login detection finishes";
  quit(first_);
  said += first_.readAll();
  EXPECT_TRUE(said.contains("cannot be read; defaults are used")) << said.toStdString();
}

// Its settings folder and its temporary folder on a file system of their own that is nearly
// full (a tmpfs in a private mount namespace): the writes at start cannot fit, and the file
// must keep every byte it had (a plain writer renames a truncated file over the good one);
// reading the settings needs no room at all.
TEST_F(ProgramStartTest, ASettingsWriteOnAFullDiskLeavesTheFileWholeAndSaysWhyOnce) {
  // Debug mode prints the unknown theme's warning: the settings were read although the
  // temporary folder is full too.
  QByteArray seed = "[General]\nBrindotDebugMode=true\nUIStyle=noSuchTheme\n";
  for (int i = 0; i < 200; ++i)
    seed += QStringLiteral("key%1=@ByteArray(%2)\n").arg(i, 3, 10, QLatin1Char('0')).arg(QString(80, QChar('a' + i % 26))).toUtf8();
  QFile seedFile(config_.path() + QStringLiteral("/seed.ini"));
  ASSERT_TRUE(seedFile.open(QIODevice::WriteOnly));
  seedFile.write(seed);
  seedFile.close();
  // 8 KB left free: less than the new file needs.
  const QString script = config_.path() + QStringLiteral("/run.sh");
  QFile runner(script);
  ASSERT_TRUE(runner.open(QIODevice::WriteOnly));
  runner.write(QStringLiteral(R"(#!/bin/sh
exec unshare -m --propagation private sh -c '
  mount -t tmpfs -o size=256k tmpfs "$XDG_CONFIG_HOME" || exit 77
  mkdir "$XDG_CONFIG_HOME/zorbel" && cp "%1" "$XDG_CONFIG_HOME/zorbel/defaults.ini" || exit 78
  mkdir "$XDG_CONFIG_HOME/tmp" && export TMPDIR="$XDG_CONFIG_HOME/tmp"
  dd if=/dev/zero of="$XDG_CONFIG_HOME/filler" bs=4k 2>/dev/null
  truncate -s -8K "$XDG_CONFIG_HOME/filler" || exit 78
  exec "%2"'
)").arg(seedFile.fileName(), QStringLiteral(ZORBEL_PROGRAM)).toUtf8());
  runner.close();
  runner.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  const QString mounted = config_.path() + QStringLiteral("/mounted");
  ASSERT_TRUE(QDir().mkpath(mounted));
  QProcess& program = first_;
  ASSERT_TRUE(launchProgram(program, script, mounted)) << program.errorString().toStdString();
  QByteArray said;
  const bool warned = pollUntil([&] {
    said += program.readAll();
    return said.contains("was not changed") || program.state() == QProcess::NotRunning;
  }, 15s);
  if (program.state() == QProcess::NotRunning && program.exitCode() == 77)
    GTEST_SKIP() << "no private tmpfs can be mounted here (needs root)";
  ASSERT_TRUE(warned) << said.toStdString();
  // The input-method job writes its mapping a second after start: it fails the same way.
  pollUntil([&] {
    said += program.readAll();
    return false;
  }, 2500ms);
  // The program's own view of its folder, inside its mount namespace.
  QFile kept(QStringLiteral("/proc/%1/root%2/zorbel/defaults.ini").arg(program.processId()).arg(mounted));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << kept.errorString().toStdString();
  EXPECT_EQ(kept.readAll(), seed) << "every key and byte survives";
  const QStringList lines = QString::fromUtf8(said).split(QLatin1Char('\n'));
  QStringList warnings;
  for (const QString& line : lines)
    if (line.startsWith(QStringLiteral("[WARNING]")) && line.contains(QStringLiteral("Settings file"))) warnings << line;
  ASSERT_EQ(warnings.size(), 1) << said.toStdString();
  EXPECT_TRUE(warnings[0].contains(mounted + QStringLiteral("/zorbel/defaults.ini"))) << warnings[0].toStdString();
  EXPECT_TRUE(warnings[0].contains(QStringLiteral("No space left on device"))) << warnings[0].toStdString();
  EXPECT_TRUE(said.contains("Stored theme \"noSuchTheme\" is unknown")) << said.toStdString();
  EXPECT_TRUE(QDir(QStringLiteral("/proc/%1/root%2/zorbel").arg(program.processId()).arg(mounted))
                  .entryList({QStringLiteral("defaults.ini.*")}, QDir::Files)
                  .isEmpty())
      << "no temporary file is left";
  quit(program);
}

}  // namespace
}  // namespace zorbel::integration
