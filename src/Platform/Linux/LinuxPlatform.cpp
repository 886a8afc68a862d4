#include "Platform/Linux/LinuxPlatform.h"

#include "Platform/Services.h"

namespace zorbel::platform {

LinuxPlatform::LinuxPlatform(UserDefaultsProvider& defaults, LogSink& log, ConsoleSink& console)
{
    Services services;
    services.scheduler = &scheduler_;
    services.notifications = &notifications_;
    services.defaults = &defaults;
    services.log = &log;
    services.console = &console;
    services.shell = &shell_;
    installServices(services);

    accessibility_ = std::make_unique<AtspiAccessibilityService>();
    workspace_ = std::make_unique<LinuxWorkspace>();
    eventMonitor_ = std::make_unique<X11EventMonitor>();
    // A caret move the application may not tell (GTK 4's text view, back to
    // where it told the caret last) follows a key that types nothing or a click.
    const auto withoutEdit = [this](const GlobalEvent& event) {
        if (event.type == GlobalEventType::leftMouseDown || event.key == KeyKind::other)
            accessibility_->inputWithoutEdit();
    };
    keysWithoutEdit_ = eventMonitor_->addGlobalMonitor(GlobalEventType::keyDown, withoutEdit);
    clicks_ = eventMonitor_->addGlobalMonitor(GlobalEventType::leftMouseDown, withoutEdit);
    powerSource_ = std::make_unique<LinuxPowerSource>();
    keyboard_ = std::make_unique<X11Keyboard>();
    inputSources_ = std::make_unique<LinuxInputSources>(*keyboard_);
    userNotifications_ = std::make_unique<DBusNotifications>();
    http_ = std::make_unique<QtHttpService>();
    services.accessibility = accessibility_.get();
    services.workspace = workspace_.get();
    services.eventMonitor = eventMonitor_.get();
    services.powerSource = powerSource_.get();
    services.inputSources = inputSources_.get();
    services.keyboardState = keyboard_.get();
    services.userNotifications = userNotifications_.get();
    services.http = http_.get();
    installServices(services);
}

LinuxPlatform::~LinuxPlatform() { installServices({}); }

}  // namespace zorbel::platform
