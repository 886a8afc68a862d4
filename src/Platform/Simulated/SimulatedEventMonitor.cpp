#include "Platform/Simulated/SimulatedEventMonitor.h"

#include "Platform/Scheduler.h"
#include "Platform/Services.h"

#include <algorithm>

namespace zorbel::platform {

EventMonitorToken SimulatedEventMonitor::addGlobalMonitor(GlobalEventType type,
                                                          std::function<void(const GlobalEvent&)> handler)
{
    auto entry = std::make_shared<Entry>(Entry{type, std::move(handler)});
    entries_->push_back(entry);
    std::weak_ptr<Entries> list = entries_;
    return EventMonitorToken([list, entry]() {
        entry->active = false;
        if (auto l = list.lock()) std::erase(*l, entry);
    });
}

void SimulatedEventMonitor::click(QPointF location)
{
    GlobalEvent e;
    e.type = GlobalEventType::leftMouseDown;
    e.location = location;
    send(e);
}

void SimulatedEventMonitor::changeFlags(const ModifierFlags& flags)
{
    GlobalEvent e;
    e.type = GlobalEventType::flagsChanged;
    e.modifiers = flags;
    send(e);
}

void SimulatedEventMonitor::send(const GlobalEvent& event)
{
    GlobalEvent stamped = event;
    if (auto* s = services().scheduler) stamped.timestamp = s->now();
    const auto snapshot = *entries_;
    for (const auto& entry : snapshot)
        if (entry->active && entry->type == event.type) entry->handler(stamped);
}

int SimulatedEventMonitor::monitorCount(GlobalEventType type) const
{
    return static_cast<int>(
        std::count_if(entries_->begin(), entries_->end(), [&](const auto& e) { return e->active && e->type == type; }));
}

}  // namespace zorbel::platform
