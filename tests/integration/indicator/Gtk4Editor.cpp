#include "indicator/Gtk4Editor.h"

#include "support/AccessibilityProbe.h"
#include "support/Poll.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/prctl.h>

namespace zorbel::integration {

namespace {
void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(content);
}

// The first mapped window of the process, as xdotool finds it by _NET_WM_PID.
std::optional<quint64> visibleWindowOf(qint64 pid) {
  QProcess search;
  search.start(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--pid", QString::number(pid)});
  if (!search.waitForFinished(5000) || search.exitCode() != 0) return std::nullopt;
  bool ok = false;
  const quint64 window = QString::fromUtf8(search.readAllStandardOutput()).section('\n', 0, 0).toULongLong(&ok);
  return ok ? std::optional<quint64>(window) : std::nullopt;
}
}  // namespace

std::unique_ptr<Gtk4Editor> Gtk4Editor::start(QString* error) {
  std::unique_ptr<Gtk4Editor> editor(new Gtk4Editor);
  const QString home = editor->home_.path();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* dir : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
    env.insert(QString::fromLatin1(dir), home + QLatin1Char('/') + QString::fromLatin1(dir));
  // Quiet and quick under Xvfb, with a caret that never blinks.
  env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
  env.insert(QStringLiteral("GSK_RENDERER"), QStringLiteral("cairo"));
  QDir(home).mkpath(QStringLiteral("XDG_CONFIG_HOME/gtk-4.0"));
  writeFile(home + QStringLiteral("/XDG_CONFIG_HOME/gtk-4.0/settings.ini"), "[Settings]\ngtk-cursor-blink = false\n");
  writeFile(home + QStringLiteral("/notes.txt"), "xxxx xx\n");
  editor->process_.setProcessEnvironment(env);
  editor->process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  editor->process_.start(QStringLiteral("gnome-text-editor"),
                         {QStringLiteral("--standalone"), home + QStringLiteral("/notes.txt")});
  if (!editor->process_.waitForStarted()) {
    if (error) *error = QStringLiteral("gnome-text-editor did not start: ") + editor->process_.errorString();
    return nullptr;
  }
  std::optional<quint64> window;
  const bool ready = pollUntil(
      [&] { return (window = visibleWindowOf(editor->pid())) && isRegistered(editor->pid()); }, std::chrono::seconds(20));
  if (!ready) {
    if (error) *error = QStringLiteral("gnome-text-editor showed no window on the accessibility desktop");
    return nullptr;
  }
  editor->window_ = *window;
  return editor;
}

Gtk4Editor::~Gtk4Editor() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) process_.kill();
  process_.waitForFinished(1000);
}

}  // namespace zorbel::integration
