#include "Platform/Services.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zorbel::platform {

namespace {
Services g_services;

template <class T>
T& require(T* service, const char* name)
{
    if (!service) {
        std::fprintf(stderr, "zorbel: the %s service is not installed\n", name);
        std::abort();
    }
    return *service;
}
}  // namespace

Services& services() { return g_services; }
void installServices(const Services& installed) { g_services = installed; }

Scheduler& scheduler() { return require(g_services.scheduler, "scheduler"); }
NotificationCenter& notificationCenter() { return require(g_services.notifications, "notification"); }
UserDefaultsProvider& userDefaults() { return require(g_services.defaults, "user defaults"); }
AccessibilityService& accessibility() { return require(g_services.accessibility, "accessibility"); }
WorkspaceService& workspace() { return require(g_services.workspace, "workspace"); }
EventMonitorService& eventMonitor() { return require(g_services.eventMonitor, "event monitor"); }
PowerSourceService* powerSource() { return g_services.powerSource; }
ShellService& shell() { return require(g_services.shell, "shell"); }
UserNotificationService& userNotifications() { return require(g_services.userNotifications, "user notification"); }
HttpService& http() { return require(g_services.http, "HTTP"); }
InputSourceService& inputSources() { return require(g_services.inputSources, "input source"); }
KeyboardStateService& keyboardState() { return require(g_services.keyboardState, "keyboard state"); }

}  // namespace zorbel::platform

namespace zorbel {

namespace {
std::vector<std::function<void()>>& resets()
{
    static std::vector<std::function<void()>> list;
    return list;
}
}  // namespace

void registerSharedInstanceReset(std::function<void()> reset) { resets().push_back(std::move(reset)); }

void resetSharedInstances()
{
    // A destructor may touch another shared instance and so re-create it;
    // a few rounds clear those too.
    for (int round = 0; round < 8 && !resets().empty(); ++round) {
        auto list = std::move(resets());
        resets().clear();
        for (auto it = list.rbegin(); it != list.rend(); ++it) (*it)();
    }
}

}  // namespace zorbel
