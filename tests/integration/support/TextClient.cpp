#include "support/TextClient.h"

#include "support/Poll.h"

#include <csignal>
#include <sys/prctl.h>

namespace zorbel::integration {
namespace {

QStringList clientArguments(const ClientOptions& options) {
  const QRect& g = options.geometry;
  QStringList arguments{"--title", options.title,
                        "--x", QString::number(g.x()), "--y", QString::number(g.y()),
                        "--width", QString::number(g.width()), "--height", QString::number(g.height()),
                        "--focus", options.focusView ? "view" : "entry"};
  if (options.busy) arguments << QStringLiteral("--fill");
  return arguments;
}

}  // namespace

QString toolkitName(Toolkit toolkit) {
  switch (toolkit) {
    case Toolkit::Gtk3: return QStringLiteral("GTK3");
    case Toolkit::Qt6: return QStringLiteral("Qt6");
    case Toolkit::Qt5: return QStringLiteral("Qt5");
    case Toolkit::Gtk4: return QStringLiteral("GTK4");
  }
  return {};
}

std::unique_ptr<TextClient> TextClient::start(Toolkit toolkit, const ClientOptions& options,
                                              QString* error, std::chrono::milliseconds readyTimeout) {
  if (toolkit == Toolkit::Gtk4) {
    return startProgram(QStringLiteral(ZORBEL_SYSTEM_PYTHON),
                        {QStringLiteral(ZORBEL_GTK4_TEXT_CLIENT), QStringLiteral("--title"), options.title}, error,
                        readyTimeout, options.environment);
  }
  QStringList arguments = clientArguments(options);
  if (toolkit != Toolkit::Qt6) {
    arguments.prepend(toolkit == Toolkit::Gtk3 ? QStringLiteral(ZORBEL_GTK3_TEXT_CLIENT)
                                               : QStringLiteral(ZORBEL_QT5_TEXT_CLIENT));
    return startProgram(QStringLiteral(ZORBEL_SYSTEM_PYTHON), arguments, error, readyTimeout, options.environment);
  }
  return startProgram(QStringLiteral(ZORBEL_QT6_TEXT_CLIENT), arguments, error, readyTimeout, options.environment);
}

std::unique_ptr<TextClient> TextClient::startProgram(const QString& program, const QStringList& arguments,
                                                     QString* error, std::chrono::milliseconds readyTimeout,
                                                     const QStringList& environment) {
  std::unique_ptr<TextClient> client(new TextClient);
  QProcess& process = client->process_;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const QString& entry : environment) env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
  process.setProcessEnvironment(env);
  // A test killed outright must not leave its clients behind.
  process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  process.start(program, arguments);
  if (!process.waitForStarted()) {
    if (error) *error = program + QStringLiteral(" did not start: ") + process.errorString();
    return nullptr;
  }
  client->pid_ = process.processId();

  QByteArray line;
  const bool ready = pollUntil(
      [&] {
        while (process.canReadLine()) {
          line = process.readLine().trimmed();
          if (line.startsWith("READY ")) return true;
        }
        return process.state() == QProcess::NotRunning;
      },
      readyTimeout);
  bool parsed = false;
  client->windowId_ = line.startsWith("READY ") ? line.mid(6).toULongLong(&parsed) : 0;
  if (!ready || !parsed) {
    if (error) {
      *error = QStringLiteral("%1 %2 never said READY; stderr:\n%3")
                   .arg(program, arguments.join(' '), client->diagnostics());
    }
    return nullptr;
  }
  return client;
}

TextClient::~TextClient() { stop(); }

QString TextClient::diagnostics() {
  errors_ += process_.readAllStandardError();
  return QString::fromUtf8(errors_);
}

void TextClient::stop() {
  if (process_.state() == QProcess::NotRunning) return;
  ::kill(static_cast<pid_t>(pid_), SIGTERM);
  if (!process_.waitForFinished(2000)) {
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
    process_.waitForFinished(2000);
  }
}

}  // namespace zorbel::integration
