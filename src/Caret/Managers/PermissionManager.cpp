#include "Caret/Managers/PermissionManager.h"

#include "Caret/Core/Logger.h"
#include "Platform/Accessibility.h"
#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/Workspace.h"

namespace zorbel {

namespace {
const QString kPrefix = QStringLiteral("[PermissionManager] ");
}

PermissionManager& PermissionManager::shared() { return sharedInstance<PermissionManager>(); }

PermissionManager::PermissionManager()
{
    checkAccessibilityPermission();
    platform::scheduler().after(0.1, [self = self_]() {
        if (*self) (*self)->startMonitoring();
    });
}

PermissionManager::~PermissionManager()
{
    *self_ = nullptr;
    stopTimer();
}

void PermissionManager::checkAccessibilityPermission()
{
    const bool granted = platform::accessibility().isProcessTrusted(false);
    platform::scheduler().post([self = self_, granted]() {
        if (*self) (*self)->updatePermissionStatus(granted);
    });
}

void PermissionManager::updatePermissionStatus(bool granted)
{
    const bool old = hasAccessibilityPermission_.get();
    hasAccessibilityPermission_.set(granted);
    const bool first = !firstFindingPrinted_;
    firstFindingPrinted_ = true;
    if (granted == old) {
        // Checked every 2 s while the permission is missing: the terminal
        // hears the first finding and then only changes.
        const QString line = kPrefix + QStringLiteral("Accessibility permission: ") + text::boolean(granted);
        if (first)
            print(line);
        else
            debugPrint(line);
        return;
    }
    print(kPrefix + QStringLiteral("Accessibility permission changed from ") + text::boolean(old) +
          QStringLiteral(" to ") + text::boolean(granted));
    if (granted) {
        showPermissionAlert_.set(false);
        stopTimer();
    } else {
        scheduleTimer();
    }
}

void PermissionManager::startMonitoring()
{
    if (hasAccessibilityPermission_.get()) return;
    scheduleTimer();
}

void PermissionManager::requestPermission()
{
    platform::scheduler().post([self = self_]() {
        if (!*self) return;
        (*self)->checkAccessibilityPermission();
        if ((*self)->hasAccessibilityPermission_.get()) (*self)->stopTimer();
    });
}

bool PermissionManager::openAccessibilitySettings()
{
    const bool opened = platform::workspace().openURL(QString::fromLatin1(accessibilitySettingsURL));
    print(kPrefix + QStringLiteral("Opening System Settings Accessibility"));
    if (!opened) {
        Logger::shared().warning(
            QStringLiteral("This desktop has no accessibility settings to open. Turn on assistive technologies "
                           "(gsettings set org.gnome.desktop.interface toolkit-accessibility true) and make sure "
                           "the at-spi2-core accessibility bus is running."),
            ZHERE("openAccessibilitySettings()"));
        // The prompt stays, so it can say that nothing opened.
        return false;
    }
    showPermissionAlert_.set(false);
    return true;
}

void PermissionManager::stopTimer()
{
    if (permissionCheckTimer_) permissionCheckTimer_->cancel();
    permissionCheckTimer_.reset();
}

void PermissionManager::scheduleTimer()
{
    stopTimer();
    permissionCheckTimer_ = platform::scheduler().every(2.0, [self = self_]() {
        if (*self) (*self)->requestPermission();
    });
}

}  // namespace zorbel
