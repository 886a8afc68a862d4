#pragma once

#include "Platform/NotificationCenter.h"
#include "Platform/Reactive/Published.h"
#include "Platform/StatusItem.h"
#include "Shell/UIStyle.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel {

// The tray item and its menu: switches the indicator on and off, picks the
// settings window's theme, checks for updates (with a badge on the icon and
// the menu row when one was found), opens the settings window and the About
// box, and quits. Owns the master switch `isBrindotEnabled`, which it mirrors
// into the settings store; the menu's first row follows every assignment of
// the switch, wherever it comes from.
class StatusBarManager {
public:
    static StatusBarManager& shared();
    StatusBarManager();
    ~StatusBarManager();
    StatusBarManager(const StatusBarManager&) = delete;
    StatusBarManager& operator=(const StatusBarManager&) = delete;

    static constexpr const char* toggleNotification = "brindotToggleChanged";
    static constexpr const char* functionKeyEventNotification = "functionKeyEvent";
    static constexpr int checkForUpdatesTag = 999;
    static constexpr double squareLength = -2;

    bool isBrindotEnabled() const { return isBrindotEnabled_.get(); }
    // Stores the switch in the settings store; posts nothing (the caller
    // posts "brindotToggleChanged" when it means to switch the indicator).
    void setIsBrindotEnabled(bool enabled);
    rx::Publisher<bool> isBrindotEnabledPublisher() const { return isBrindotEnabled_.publisher(); }

    // Opens the settings window: makes its one controller on first demand and
    // brings the window to the front. Installed by the settings window code;
    // without it "设置" only says that there is no settings window.
    using SettingsWindowOpener = std::function<void()>;
    void setSettingsWindowOpener(SettingsWindowOpener opener) { settingsWindowOpener_ = std::move(opener); }
    bool hasSettingsWindow() const { return static_cast<bool>(settingsWindowOpener_); }

    void setupStatusBar();
    // The menu as shown; nothing before the status item was set up or when
    // none could be made.
    const std::optional<platform::Menu>& menu() const { return menu_; }
    bool hasStatusItem() const { return statusBarItem_ != nullptr; }
    // The image the status button shows now (empty without a button).
    const QImage& statusImage() const { return statusImage_; }

    // Menu actions, by the name a menu row carries.
    void perform(const QString& action);
    void statusBarButtonClicked() {}
    void toggleBrindot();
    void showSettings();
    // One About box at a time: asking again while it is up does nothing.
    void showAbout();
    bool isShowingAbout() const { return showingAbout_; }
    void quitApp();
    void setSystemStyle() { setUIStyle(UIStyle::system); }
    void setFrostedGlassStyle() { setUIStyle(UIStyle::frostedGlass); }
    void setLiquidGlassStyle() { setUIStyle(UIStyle::liquidGlass); }
    void checkForUpdates();
    void setUIStyle(UIStyle style);

    void updateStyleMenuState();
    void updateToggleMenuTitle() { updateToggleMenuTitle(isBrindotEnabled()); }
    void setupUpdateNotificationObserver();
    void applyUpdateBadge(bool hasUpdate);
    void updateStatusIcon(bool hasUpdate);
    void updateCheckForUpdatesItem(bool hasUpdate, const std::optional<QString>& version);

private:
    platform::Menu buildMenu() const;
    void reportMissingStatusArea();
    void updateToggleMenuTitle(bool enabled);
    void showMenu();
    platform::MenuItem* itemWithTag(int tag);

    rx::Published<bool> isBrindotEnabled_{false};
    std::unique_ptr<platform::StatusItem> statusBarItem_;
    std::optional<platform::Menu> menu_;
    QImage statusImage_;
    bool showingAbout_ = false;
    SettingsWindowOpener settingsWindowOpener_;
    rx::CancellableSet cancellables_;
    std::vector<platform::NotificationToken> observers_;
    std::shared_ptr<StatusBarManager*> self_ = std::make_shared<StatusBarManager*>(this);
};

}  // namespace zorbel
