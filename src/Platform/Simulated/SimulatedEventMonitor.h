#pragma once

#include "Platform/EventMonitor.h"

namespace zorbel::platform {

// Global events that a test makes happen; each is delivered at once to the
// monitors of its type, in the order they were added.
class SimulatedEventMonitor final : public EventMonitorService {
public:
    EventMonitorToken addGlobalMonitor(GlobalEventType type, std::function<void(const GlobalEvent&)> handler) override
    {
        return monitors_.add(type, std::move(handler));
    }

    // A left click somewhere in another application.
    void click(QPointF location = {});
    // Modifier keys changed (Caps Lock pressed, Shift held...).
    void changeFlags(const ModifierFlags& flags);
    // A key pressed in another application.
    void pressKey(KeyKind kind);
    void send(const GlobalEvent& event) { monitors_.deliver(event); }

    int monitorCount(GlobalEventType type) const { return monitors_.count(type); }

private:
    GlobalMonitorRegistry monitors_;
};

}  // namespace zorbel::platform
