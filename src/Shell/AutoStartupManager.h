#pragma once

#include "Platform/Reactive/Published.h"
#include "Shell/AutostartEntries.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace zorbel {

// Detects whether the user has arranged for the program to start at login;
// it never arranges it itself. Three sources count: the systemd user unit,
// the entries of the user's autostart folder, and a desktop entry named
// after the program in any autostart folder. A run prints what it found when
// that differs from what the last run found.
class AutoStartupManager {
public:
    static AutoStartupManager& shared();
    AutoStartupManager();
    AutoStartupManager(AutostartLocations locations, QString applicationPath);
    AutoStartupManager(const AutoStartupManager&) = delete;
    AutoStartupManager& operator=(const AutoStartupManager&) = delete;

    static constexpr const char* unitName = "zorbel.service";

    bool isAutoStartupEnabled() const { return isAutoStartupEnabled_.get(); }
    rx::Publisher<bool> isAutoStartupEnabledPublisher() const { return isAutoStartupEnabled_.publisher(); }
    const QString& bundleIdentifier() const { return bundleIdentifier_; }
    // The user's autostart folder: what stands for the login-items list.
    const QString& loginItemsPlistPath() const { return locations_.userAutostartFolder; }

    void checkAutoStartupStatus();
    void showSetupGuide();
    void openLoginItemsSettings();

private:
    using Note = std::function<void(const QString&)>;
    bool checkLoginService(const Note& note) const;
    bool checkLoginItems(const Note& note) const;
    bool checkLaunchAgents(const Note& note) const;
    // The guide's line on copying the shipped desktop entry.
    QString copyHint() const;
    bool matches(const QString& name, const QString& path) const;

    rx::Published<bool> isAutoStartupEnabled_{false};
    QString bundleIdentifier_;
    AutostartLocations locations_;
    QString applicationPath_;
    QString applicationName_;
    QStringList lastReport_;
};

}  // namespace zorbel
