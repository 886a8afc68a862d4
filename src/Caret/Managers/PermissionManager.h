#pragma once

#include "Platform/Reactive/Published.h"
#include "Platform/Scheduler.h"

namespace zorbel {

// Knows whether the program may read other applications' accessibility
// data, re-checks every 2 s while it may not, and opens the desktop's
// accessibility settings on request. It never prompts on its own.
class PermissionManager {
public:
    static PermissionManager& shared();
    PermissionManager();
    ~PermissionManager();
    PermissionManager(const PermissionManager&) = delete;
    PermissionManager& operator=(const PermissionManager&) = delete;

    bool showPermissionAlert() const { return showPermissionAlert_.get(); }
    void setShowPermissionAlert(bool value) { showPermissionAlert_.set(value); }
    rx::Publisher<bool> showPermissionAlertPublisher() const { return showPermissionAlert_.publisher(); }

    bool hasAccessibilityPermission() const { return hasAccessibilityPermission_.get(); }
    rx::Publisher<bool> hasAccessibilityPermissionPublisher() const { return hasAccessibilityPermission_.publisher(); }

    void checkAccessibilityPermission();
    void updatePermissionStatus(bool granted);
    void startMonitoring();
    void requestPermission();
    // False when this desktop has no accessibility settings to open.
    bool openAccessibilitySettings();

    bool isMonitoring() const { return permissionCheckTimer_ && permissionCheckTimer_->isActive(); }

    static constexpr const char* accessibilitySettingsURL =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

private:
    void stopTimer();
    void scheduleTimer();

    rx::Published<bool> showPermissionAlert_{false};
    rx::Published<bool> hasAccessibilityPermission_{false};
    bool firstFindingPrinted_ = false;
    platform::TimerRef permissionCheckTimer_;
    // Jobs queued on the main loop must not outlive the manager.
    std::shared_ptr<PermissionManager*> self_ = std::make_shared<PermissionManager*>(this);
};

}  // namespace zorbel
