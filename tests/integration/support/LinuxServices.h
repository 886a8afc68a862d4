#pragma once

// The real services of the program (AT-SPI, the X11 workspace and global event monitor, the
// Qt main loop) with memory settings, log and console, installed while the object lives.
// Header only: its users link zorbel_linux.
#include "Platform/Console.h"
#include "Platform/Linux/AtspiAccessibility.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/X11EventMonitor.h"
#include "Platform/LogSink.h"
#include "Platform/NotificationCenter.h"
#include "Platform/QtScheduler.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

namespace zorbel::integration {

struct LinuxServices {
  LinuxServices() {
    platform::Services installed;
    installed.scheduler = &scheduler;
    installed.notifications = &notifications;
    installed.defaults = &defaults;
    installed.log = &log;
    installed.console = &console;
    installed.accessibility = &accessibility;
    installed.workspace = &workspace;
    installed.eventMonitor = &eventMonitor;
    platform::installServices(installed);
  }
  ~LinuxServices() { platform::installServices({}); }
  LinuxServices(const LinuxServices&) = delete;
  LinuxServices& operator=(const LinuxServices&) = delete;

  platform::QtScheduler scheduler;
  platform::NotificationCenter notifications;
  platform::MemoryUserDefaultsProvider defaults;
  platform::MemoryLogSink log;
  platform::MemoryConsole console;
  platform::AtspiAccessibilityService accessibility;
  platform::LinuxWorkspace workspace;
  platform::X11EventMonitor eventMonitor;
};

}  // namespace zorbel::integration
