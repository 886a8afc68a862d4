#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "BrindotHUD/CapsLockDoubleTap.h"
#include "BrindotHUD/TypingCounter.h"
#include "Platform/EventMonitor.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Reactive/Published.h"
#include "Platform/Reactive/TimedOperators.h"
#include "Platform/Scheduler.h"

#include <QImage>
#include <QPointF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel {

class HUDWindow;

// Decides when the HUD is shown, where, and when it goes: it follows the
// indicator's position and visibility, shows its panel beside it on every
// "functionKeyEvent" (input-source switches and Caps Lock changes it reports
// itself, clicks and application switches from the caret tracker), and owns
// the stored HUD settings. A Caps Lock double tap switches the HUD on and off.
class BrindotHUDManager {
public:
    static BrindotHUDManager& shared();
    BrindotHUDManager();
    ~BrindotHUDManager();
    BrindotHUDManager(const BrindotHUDManager&) = delete;
    BrindotHUDManager& operator=(const BrindotHUDManager&) = delete;

    static constexpr const char* defaultsKey = "BrindotHUDConfig";
    static constexpr const char* functionKeyEventNotification = "functionKeyEvent";

    // The settings. Every assignment stores the record, calls the callbacks
    // and, while a panel is up, rebuilds it with the new settings where the
    // indicator is (or takes it away when the HUD was switched off).
    const BrindotHUDConfig& config() const { return config_.get(); }
    void setConfig(const BrindotHUDConfig& config);
    rx::Publisher<BrindotHUDConfig> configPublisher() const { return config_.publisher(); }
    void addConfigChangeCallback(std::function<void(const BrindotHUDConfig&)> callback);

    void showHUD(const QPointF& anchor);
    void hideHUD();
    void refreshContent();
    void updateHUDPosition(const QPointF& anchor);
    void handleFlagsChanged(const platform::GlobalEvent& event);
    // A key pressed elsewhere: counted for today, and with "hide while
    // typing" on, any key but a modifier takes a shown HUD away.
    void handleKeyDown(const platform::GlobalEvent& event);
    TypingCounter& typingCounter() { return typing_; }
    QPointF bestDisplayPosition();

    std::vector<HUDContentItem> makeContentItems();
    QString typingCountItem();
    QString batteryItem();

    struct InputMethod {
        QString displayName;
        std::optional<QImage> icon;
        bool capsLockOn = false;
    };
    // Nothing when no input-method system answers.
    std::optional<InputMethod> getCurrentInputMethod();

    void saveConfig();
    static BrindotHUDConfig loadConfig();
    struct TypingCounts {
        int characters = 0, keystrokes = 0, backspaces = 0;
    };
    static TypingCounts loadTodayTypingStatistics();

    // The panel while it is shown (or being shown); nothing once hidden.
    HUDWindow* hudWindow() const { return hudWindow_; }
    const std::optional<QString>& lastInputMethodName() const { return lastInputMethodName_; }
    bool lastCapsLockState() const { return capsLock_.lastState(); }

private:
    void setupMonitors();
    void setupBrindotObservers();
    void notifyConfigChangeCallbacks();
    void handleFunctionKeyEvent(const platform::Notification& notification);
    void handleInputSourceChange();
    void handlePositionUpdate(const QPointF& point);
    void handleVisibilityUpdate(bool visible);
    HUDContentItem inputMethodItem(bool detailed);
    // The reading a switch made, else a fresh one (kept while changes of it are observed).
    const std::optional<InputMethod>& currentInputMethod();
    void post(const QVariantMap& userInfo);

    rx::Published<BrindotHUDConfig> config_;
    // Made at the first show and kept: hidden, it is only off screen.
    std::unique_ptr<HUDWindow> panel_;
    HUDWindow* hudWindow_ = nullptr;
    platform::TimerRef hideTimer_;
    std::optional<QPointF> anchor_;
    std::vector<std::function<void(const BrindotHUDConfig&)>> configChangeCallbacks_;
    rx::CancellableSet cancellables_;
    platform::NotificationToken functionKeyObserver_;
    platform::EventMonitorToken keyboardMonitor_;
    platform::EventMonitorToken keyDownMonitor_;
    platform::NotificationToken terminateObserver_;
    TypingCounter typing_;
    std::optional<QString> lastInputMethodName_;
    // The input method as last read, until the input source or Caps Lock changes: a
    // switch reads it once, for its own filter and for the panel it brings up.
    std::optional<InputMethod> inputMethod_;
    bool inputMethodRead_ = false;
    bool keepsInputMethod_ = false;
    CapsLockDoubleTap capsLock_;
    rx::PassthroughSubject<int> inputSourceChanges_;
    std::shared_ptr<BrindotHUDManager*> self_ = std::make_shared<BrindotHUDManager*>(this);
};

}  // namespace zorbel
