#pragma once

#include "Platform/Reactive/Published.h"

#include <QString>

namespace zorbel {

namespace platform {
class UserDefaults;
}

// The basic switches, loaded once from the "quellan.brindot" settings suite.
// The master switch and the blinking switch are written back on every
// assignment; blinking also announces itself with "configChanged".
class ConfigManager {
public:
    static ConfigManager& shared();
    ConfigManager();

    static constexpr const char* suiteName = "quellan.brindot";
    static constexpr const char* configChangedNotification = "configChanged";

    bool isBrindotEnabled() const { return isBrindotEnabled_.get(); }
    void setIsBrindotEnabled(bool value);
    rx::Publisher<bool> isBrindotEnabledPublisher() const { return isBrindotEnabled_.publisher(); }

    bool enableBlinking() const { return enableBlinking_.get(); }
    void setEnableBlinking(bool value);
    rx::Publisher<bool> enableBlinkingPublisher() const { return enableBlinking_.publisher(); }

    bool debugMode() const { return debugMode_.get(); }
    QString brindotColor() const { return brindotColor_.get(); }
    double brindotSize() const { return brindotSize_.get(); }
    bool enableMouseDrivenMode() const { return enableMouseDrivenMode_.get(); }

private:
    // The suite, or the standard domain when the suite cannot be opened;
    // chosen afresh each time, as the store may appear later.
    static platform::UserDefaults& store();

    rx::Published<bool> isBrindotEnabled_;
    rx::Published<bool> debugMode_;
    rx::Published<QString> brindotColor_;
    rx::Published<double> brindotSize_;
    rx::Published<bool> enableMouseDrivenMode_;
    rx::Published<bool> enableBlinking_;
};

}  // namespace zorbel
