#pragma once

#include <functional>

namespace zorbel::platform {

class Scheduler;
class NotificationCenter;
class UserDefaultsProvider;
class LogSink;
class ConsoleSink;
class AccessibilityService;
class WorkspaceService;
class EventMonitorService;
class PowerSourceService;
class ShellService;
class UserNotificationService;
class HttpService;
class InputSourceService;
class KeyboardStateService;

// The platform services the process runs on. The program installs the Linux
// ones at start; tests install a simulated world. Nothing here is owned: the
// installer keeps each service alive while it is installed.
struct Services {
    Scheduler* scheduler = nullptr;
    NotificationCenter* notifications = nullptr;
    UserDefaultsProvider* defaults = nullptr;
    LogSink* log = nullptr;
    ConsoleSink* console = nullptr;
    AccessibilityService* accessibility = nullptr;
    WorkspaceService* workspace = nullptr;
    EventMonitorService* eventMonitor = nullptr;
    // Optional: without it the machine reports no power sources.
    PowerSourceService* powerSource = nullptr;
    ShellService* shell = nullptr;
    UserNotificationService* userNotifications = nullptr;
    HttpService* http = nullptr;
    InputSourceService* inputSources = nullptr;
    KeyboardStateService* keyboardState = nullptr;
};

Services& services();
void installServices(const Services& installed);

// Checked accessors: a missing service is a programming error.
Scheduler& scheduler();
NotificationCenter& notificationCenter();
UserDefaultsProvider& userDefaults();
AccessibilityService& accessibility();
WorkspaceService& workspace();
EventMonitorService& eventMonitor();
// Nothing when no power-source service is installed.
PowerSourceService* powerSource();
ShellService& shell();
UserNotificationService& userNotifications();
HttpService& http();
InputSourceService& inputSources();
KeyboardStateService& keyboardState();

}  // namespace zorbel::platform

namespace zorbel {

// Shared instances ("X.shared") are created on first use and live until the
// process ends. Tests reset them between cases, newest first, so each case
// starts from a fresh world.
void registerSharedInstanceReset(std::function<void()> reset);
void resetSharedInstances();

template <class T>
T& sharedInstance()
{
    static T* instance = nullptr;
    if (!instance) {
        instance = new T();
        registerSharedInstanceReset([] {
            T* old = instance;
            instance = nullptr;
            delete old;
        });
    }
    return *instance;
}

}  // namespace zorbel
