#pragma once

// A real application from Debian's packages, started with a private home and temporary
// folder, so runs never share settings, sessions or single-instance locks. Header only:
// its users link zorbel_linux.
#include "Platform/Linux/X11Desktop.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <optional>
#include <sys/prctl.h>

namespace zorbel::integration {

class DebianApplication {
 public:
  // Started by start(); NAME=value pairs of `environment` are added to the test's own.
  DebianApplication(const QString& executable, const QStringList& arguments, const QStringList& environment = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home_.path());
    env.insert(QStringLiteral("TMPDIR"), home_.path());
    for (const char* dir : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
      env.insert(QString::fromLatin1(dir), home_.path() + QLatin1Char('/') + QString::fromLatin1(dir));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
    // A caret that never blinks is on every screenshot.
    write(QStringLiteral("XDG_CONFIG_HOME/gtk-4.0/settings.ini"), "[Settings]\ngtk-cursor-blink = false\n");
    env.insert(QStringLiteral("GSK_RENDERER"), QStringLiteral("cairo"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    for (const QString& assignment : environment)
      env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
    process_.setProcessEnvironment(env);
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    executable_ = executable;
    arguments_ = arguments;
  }
  ~DebianApplication() { stop(); }
  DebianApplication(const DebianApplication&) = delete;
  DebianApplication& operator=(const DebianApplication&) = delete;

  QString home() const { return home_.path(); }
  // A file under the private home, with its folders, before the start.
  void write(const QString& relativePath, const QByteArray& content) const {
    const QString path = home_.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
  }
  // `restartCode`: an exit status by which the application asks to be started once more (as
  // its launcher would); waitForWindow() does so.
  void start(const QStringList& moreArguments = {}, std::optional<int> restartCode = std::nullopt) {
    started_ = arguments_ + moreArguments;
    restartCode_ = restartCode;
    process_.start(executable_, started_);
  }

  qint64 pid() const { return process_.processId(); }
  // A client window of its own that is shown (and whose title holds `title`), once it is
  // registered on the accessibility desktop.
  quint64 waitForWindow(std::chrono::milliseconds timeout = std::chrono::seconds(20), const QString& title = {}) {
    quint64 window = 0;
    pollUntil(
        [&] {
          if (restartCode_ && process_.state() == QProcess::NotRunning &&
              process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == *restartCode_) {
            restartCode_.reset();
            process_.start(executable_, started_);
          }
          for (const auto& client : platform::X11Desktop::instance().clientWindows())
            if (client.pid == pid() && pid() > 0 && client.title.contains(title) &&
                isViewable(client.id).value_or(false))
              window = client.id;
          return window && isRegistered(pid());
        },
        timeout);
    return window;
  }
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished(1000);
  }

 private:
  QTemporaryDir home_;
  QProcess process_;
  QString executable_;
  QStringList arguments_;
  QStringList started_;
  std::optional<int> restartCode_;
};

}  // namespace zorbel::integration
