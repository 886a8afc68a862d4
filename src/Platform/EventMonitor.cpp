#include "Platform/EventMonitor.h"

#include "Platform/Scheduler.h"
#include "Platform/Services.h"

#include <algorithm>

namespace zorbel::platform {

GlobalMonitorRegistry::GlobalMonitorRegistry(std::function<void()> changed) : state_(std::make_shared<State>())
{
    state_->changed = std::move(changed);
}

EventMonitorToken GlobalMonitorRegistry::add(GlobalEventType type, std::function<void(const GlobalEvent&)> handler)
{
    auto entry = std::make_shared<Entry>(Entry{type, std::move(handler)});
    state_->entries.push_back(entry);
    if (state_->changed) state_->changed();
    std::weak_ptr<State> weak = state_;
    return EventMonitorToken([weak, entry]() {
        entry->active = false;
        auto state = weak.lock();
        if (!state) return;
        std::erase(state->entries, entry);
        if (state->changed) state->changed();
    });
}

void GlobalMonitorRegistry::deliver(const GlobalEvent& event) const
{
    GlobalEvent stamped = event;
    if (auto* s = services().scheduler) stamped.timestamp = s->now();
    const auto snapshot = state_->entries;
    for (const auto& entry : snapshot)
        if (entry->active && entry->type == event.type) entry->handler(stamped);
}

int GlobalMonitorRegistry::count(GlobalEventType type) const
{
    return static_cast<int>(std::count_if(state_->entries.begin(), state_->entries.end(),
                                          [type](const auto& e) { return e->active && e->type == type; }));
}

}  // namespace zorbel::platform
