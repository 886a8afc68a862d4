#include "Platform/VirtualScheduler.h"

#include <algorithm>

namespace zorbel::platform {

TimerRef VirtualScheduler::add(double delay, double interval, std::function<void()> fn)
{
    auto handle = std::make_shared<TimerHandle>();
    jobs_.push_back(Job{now_ + std::max(0.0, delay), nextOrder_++, interval, handle, std::move(fn)});
    return handle;
}

TimerRef VirtualScheduler::post(std::function<void()> fn) { return add(0, 0, std::move(fn)); }

TimerRef VirtualScheduler::after(double seconds, std::function<void()> fn)
{
    return add(seconds, 0, std::move(fn));
}

TimerRef VirtualScheduler::every(double seconds, std::function<void()> fn)
{
    const double interval = std::max(seconds, 1e-6);
    return add(interval, interval, std::move(fn));
}

bool VirtualScheduler::runNextDueBy(double limit)
{
    std::erase_if(jobs_, [](const Job& j) { return !j.handle->isActive(); });
    auto next = std::min_element(jobs_.begin(), jobs_.end(), [](const Job& a, const Job& b) {
        return a.due < b.due || (a.due == b.due && a.order < b.order);
    });
    // A nanosecond of slack keeps sums like 0.1 + 0.1 + 0.1 from missing their tick.
    if (next == jobs_.end() || next->due > limit + 1e-9) return false;
    now_ = std::max(now_, next->due);
    auto fn = next->fn;
    auto handle = next->handle;
    if (next->interval > 0) {
        next->due += next->interval;
        next->order = nextOrder_++;
    } else {
        handle->cancel();
        jobs_.erase(next);
    }
    fn();
    return true;
}

void VirtualScheduler::runPending()
{
    while (runNextDueBy(now_)) {
    }
}

void VirtualScheduler::advance(double seconds)
{
    const double target = now_ + std::max(0.0, seconds);
    while (runNextDueBy(target)) {
    }
    now_ = target;
}

std::size_t VirtualScheduler::activeJobs() const
{
    return static_cast<std::size_t>(
        std::count_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return j.handle->isActive(); }));
}

}  // namespace zorbel::platform
