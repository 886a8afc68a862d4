#pragma once

// The real services of the program (AT-SPI, the X11 workspace and global event monitor, the
// Qt main loop) with memory settings, log and console, installed while the object lives.
// Header only: its users link zorbel_linux.
#include "Platform/Console.h"
#include "Platform/Linux/LinuxPlatform.h"
#include "Platform/LogSink.h"
#include "Platform/UserDefaults.h"

namespace zorbel::integration {

struct LinuxServices {
  platform::MemoryUserDefaultsProvider defaults;
  platform::MemoryLogSink log;
  platform::MemoryConsole console;
  platform::LinuxPlatform platform{defaults, log, console};
  platform::X11EventMonitor& eventMonitor = platform.eventMonitor();
};

}  // namespace zorbel::integration
