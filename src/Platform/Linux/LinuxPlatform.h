#pragma once

#include "Platform/Linux/AtspiAccessibility.h"
#include "Platform/Linux/LinuxPowerSource.h"
#include "Platform/Linux/DBusNotifications.h"
#include "Platform/Linux/QtHttp.h"
#include "Platform/Linux/QtShell.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/X11EventMonitor.h"
#include "Platform/Linux/LinuxInputSources.h"
#include "Platform/Linux/X11Keyboard.h"
#include "Platform/NotificationCenter.h"
#include "Platform/QtScheduler.h"

#include <memory>

namespace zorbel::platform {

class UserDefaultsProvider;
class LogSink;
class ConsoleSink;

// The real services on the Qt main loop, AT-SPI and X11, with the given
// settings, log and console; installed while the object lives. The Qt
// application must exist first.
class LinuxPlatform {
public:
    LinuxPlatform(UserDefaultsProvider& defaults, LogSink& log, ConsoleSink& console);
    ~LinuxPlatform();
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    NotificationCenter& notifications() { return notifications_; }
    X11EventMonitor& eventMonitor() { return *eventMonitor_; }

private:
    QtScheduler scheduler_;
    NotificationCenter notifications_;
    QtShellService shell_;
    std::unique_ptr<DBusNotifications> userNotifications_;
    std::unique_ptr<QtHttpService> http_;
    // Made once the services above are installed, so what they report on
    // start reaches the log.
    std::unique_ptr<AtspiAccessibilityService> accessibility_;
    std::unique_ptr<LinuxWorkspace> workspace_;
    std::unique_ptr<X11EventMonitor> eventMonitor_;
    std::unique_ptr<LinuxPowerSource> powerSource_;
    std::unique_ptr<X11Keyboard> keyboard_;
    std::unique_ptr<LinuxInputSources> inputSources_;
    EventMonitorToken keysWithoutEdit_;
    EventMonitorToken clicks_;
};

}  // namespace zorbel::platform
