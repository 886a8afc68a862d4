#pragma once

#include "Platform/EventMonitor.h"

#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace zorbel::platform {

// What pressing a key with this keysym (of the keyboard's first level) does
// while these modifiers are held.
KeyKind keyKindOf(unsigned long keysym, const ModifierFlags& held);

// Global mouse-down, key-down and modifier events from the X server: XInput2
// raw button and key events on the root window (they arrive without grabbing
// anything) and XKB state changes. A key press is reported only by its kind. The server is asked for events only while a
// monitor of that kind is installed, so an idle program gets no wake-ups.
class X11EventMonitor final : public EventMonitorService {
public:
    X11EventMonitor();
    ~X11EventMonitor() override;
    X11EventMonitor(const X11EventMonitor&) = delete;
    X11EventMonitor& operator=(const X11EventMonitor&) = delete;

    EventMonitorToken addGlobalMonitor(GlobalEventType type, std::function<void(const GlobalEvent&)> handler) override;

    bool isConnected() const { return display_ != nullptr; }

private:
    void updateSelections();
    void drain();
    bool pointerIsOverOwnWindow(unsigned long child) const;
    ModifierFlags currentModifiers() const;

    _XDisplay* display_ = nullptr;
    int xiOpcode_ = -1;
    int xkbEventBase_ = -1;
    bool buttonsSelected_ = false;
    bool keysSelected_ = false;
    bool flagsSelected_ = false;
    ModifierFlags lastFlags_;
    QSocketNotifier* notifier_ = nullptr;
    std::shared_ptr<X11EventMonitor*> self_ = std::make_shared<X11EventMonitor*>(this);
    GlobalMonitorRegistry monitors_{[self = self_]() {
        if (*self) (*self)->updateSelections();
    }};
};

}  // namespace zorbel::platform
