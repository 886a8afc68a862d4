#pragma once

// A test text application (tests/integration/clients/) running as a child process: an
// entry above a multi-line view, placed where the test asks.
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

namespace zorbel::integration {

// GTK 4's client is a view alone (no entry, no button), placed by the window manager.
enum class Toolkit { Gtk3, Qt6, Qt5, Gtk4 };

QString toolkitName(Toolkit toolkit);
// Lets test frameworks print a toolkit by name.
inline void PrintTo(Toolkit toolkit, std::ostream* out) { *out << toolkitName(toolkit).toStdString(); }
// Names each case of a test run for several toolkits after its toolkit.
inline constexpr auto toolkitParamName = [](const auto& info) { return toolkitName(info.param).toStdString(); };

struct ClientOptions {
  QString title;
  QRect geometry{100, 100, 480, 320};
  bool focusView = false;  // else the entry has the keyboard focus at start
  QStringList environment{};  // NAME=value, added to the test's own (GDK_SCALE=2)
  bool busy = false;  // GTK 3 only: a red warning bar and a view full of text
};

class TextClient {
 public:
  // Starts the client and waits for its READY line. On failure returns null and says why.
  static std::unique_ptr<TextClient> start(Toolkit toolkit, const ClientOptions& options,
                                           QString* error,
                                           std::chrono::milliseconds readyTimeout = std::chrono::seconds(10));
  // Any program that prints "READY <xid>" once its window is mapped.
  static std::unique_ptr<TextClient> startProgram(const QString& program, const QStringList& arguments,
                                                  QString* error,
                                                  std::chrono::milliseconds readyTimeout,
                                                  const QStringList& environment = {});

  ~TextClient();
  TextClient(const TextClient&) = delete;
  TextClient& operator=(const TextClient&) = delete;

  qint64 pid() const { return pid_; }
  quint64 windowId() const { return windowId_; }
  // What the client wrote to stderr so far, for failure messages.
  QString diagnostics();
  // TERM, then KILL if it has not exited within a short grace period.
  void stop();

 private:
  TextClient() = default;

  QProcess process_;
  QByteArray errors_;
  qint64 pid_ = 0;
  quint64 windowId_ = 0;
};

}  // namespace zorbel::integration
