#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Caret/Styles/StylePreset.h"
#include "Platform/Reactive/Published.h"

#include <functional>
#include <vector>

namespace zorbel {

class Logger;

namespace platform {
struct Notification;
}

// Owns the indicator's current style. Every assignment of the current style,
// from inside or outside, tells the subscribers, stores the style as JSON under
// "BrindotStyle" in the standard settings, and announces it with
// "BrindotStyleChanged" (object: the style) — once per assignment, also when
// the value is unchanged. The style loaded at creation is neither stored nor
// announced.
class BrindotStyleManager {
public:
    static BrindotStyleManager& shared();
    BrindotStyleManager();
    ~BrindotStyleManager();
    BrindotStyleManager(const BrindotStyleManager&) = delete;
    BrindotStyleManager& operator=(const BrindotStyleManager&) = delete;

    static constexpr const char* styleChangedNotification = "BrindotStyleChanged";
    static constexpr const char* defaultsKey = "BrindotStyle";

    const BrindotStyle& currentStyle() const { return currentStyle_.get(); }
    void setCurrentStyle(const BrindotStyle& style);
    // Delivers the current style at once, then every assignment.
    rx::Publisher<BrindotStyle> currentStylePublisher() const { return currentStyle_.publisher(); }

    using StyleChangeCallback = std::function<void(const BrindotStyle&)>;
    // Called on every change, in the order added, before the notification.
    void addStyleChangeCallback(StyleChangeCallback callback);

    void applyPresetStyle(const PresetStyle& preset);
    void resetToDefault();
    void notifyStyleChanged();
    void saveStyle();
    // The stored style, or the default one when nothing readable is stored.
    static BrindotStyle loadStyle();

    // Input-method styling switch; see the note in the source file.
    void enableInputMethodStyle();
    void disableInputMethodStyle();

private:
    // Input-method and Caps Lock handling; see the note in the source file.
    void setupInputMethodStyleMonitoring();
    void handleInputMethodChanged();
    void handleCapsLockStateChanged(const platform::Notification& notification);
    void handleInputMethodStyleConfigChanged();
    void applyInputMethodStyle(const BrindotStyle& style);

    rx::Published<BrindotStyle> currentStyle_;
    const Logger& logger_;
    std::vector<StyleChangeCallback> styleChangeCallbacks_;
};

}  // namespace zorbel
