#pragma once

// Debian's GTK 4 text editor (gnome-text-editor) with a private home and a file of its
// own, for figures on a desktop without a window manager.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace zorbel::integration {

class Gtk4Editor {
 public:
  // Starts it and waits until its window is mapped and it is on the accessibility desktop.
  // On failure returns null and says why.
  static std::unique_ptr<Gtk4Editor> start(QString* error);
  ~Gtk4Editor();

  qint64 pid() const { return process_.processId(); }
  quint64 windowId() const { return window_; }

 private:
  Gtk4Editor() = default;

  QTemporaryDir home_;
  QProcess process_;
  quint64 window_ = 0;
};

}  // namespace zorbel::integration
