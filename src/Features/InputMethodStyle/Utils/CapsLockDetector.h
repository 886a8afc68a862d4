#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/Reactive/Cancellable.h"
#include "Platform/Reactive/Published.h"

namespace zorbel {

class Logger;

// Watches Caps Lock, announces each change with "capsLockStateChanged"
// (user info "isOn", "timestamp"), and gives the indicator its Caps Lock look.
class CapsLockDetector {
public:
    static CapsLockDetector& shared();
    CapsLockDetector();
    CapsLockDetector(const CapsLockDetector&) = delete;
    CapsLockDetector& operator=(const CapsLockDetector&) = delete;

    static constexpr const char* stateChangedNotification = "capsLockStateChanged";

    bool isCapsLockOn() const { return isCapsLockOn_.get(); }
    rx::Publisher<bool> isCapsLockOnPublisher() const { return isCapsLockOn_.publisher(); }
    bool isEnabled() const { return isEnabled_.get(); }
    // Turning it on re-reads Caps Lock at once.
    void setEnabled(bool enabled);
    rx::Publisher<bool> isEnabledPublisher() const { return isEnabled_.publisher(); }
    BrindotColor indicatorColor() const { return {0, 1, 0, 1}; }
    bool isMonitoring() const { return isMonitoring_; }

    void startMonitoring();
    void handleFlagsChanged();
    void updateCapsLockState();
    void publishStateChangeNotification();
    // Green border and glow over the style; the style itself while switched off.
    BrindotStyle applyCapsLockIndicator(const BrindotStyle& style) const;

private:
    static bool readCapsLock();

    rx::Published<bool> isCapsLockOn_{false};
    rx::Published<bool> isEnabled_{true};
    bool isMonitoring_ = false;
    rx::Cancellable eventMonitor_;
    const Logger& logger_;
    std::shared_ptr<CapsLockDetector*> self_ = std::make_shared<CapsLockDetector*>(this);
};

}  // namespace zorbel
