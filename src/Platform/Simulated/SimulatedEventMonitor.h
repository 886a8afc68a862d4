#pragma once

#include "Platform/EventMonitor.h"

#include <vector>

namespace zorbel::platform {

// Global events that a test makes happen; each is delivered at once to the
// monitors of its type, in the order they were added.
class SimulatedEventMonitor final : public EventMonitorService {
public:
    EventMonitorToken addGlobalMonitor(GlobalEventType type, std::function<void(const GlobalEvent&)> handler) override;

    // A left click somewhere in another application.
    void click(QPointF location = {});
    // Modifier keys changed (Caps Lock pressed, Shift held...).
    void changeFlags(const ModifierFlags& flags);
    void send(const GlobalEvent& event);

    int monitorCount(GlobalEventType type) const;

private:
    struct Entry {
        GlobalEventType type;
        std::function<void(const GlobalEvent&)> handler;
        bool active = true;
    };
    using Entries = std::vector<std::shared_ptr<Entry>>;
    // Shared so a token that outlives the monitor can still remove itself safely.
    std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
};

}  // namespace zorbel::platform
