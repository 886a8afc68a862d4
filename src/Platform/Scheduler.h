#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace zorbel::platform {

// A scheduled job. Dropping the handle does not cancel the job (like a
// dispatched block or a scheduled timer); call cancel() to stop it.
class TimerHandle {
public:
    void cancel()
    {
        if (!std::exchange(active_, false)) return;
        if (auto stop = std::exchange(stop_, {})) stop();
    }
    bool isActive() const { return active_; }
    // How the scheduler drops the job at once when it is cancelled (a
    // stopped timer does not wake the loop once more to find it cancelled).
    void onCancel(std::function<void()> stop) { stop_ = std::move(stop); }

private:
    bool active_ = true;
    std::function<void()> stop_;
};
using TimerRef = std::shared_ptr<TimerHandle>;

// The main loop's clock and queue. Everything in the system runs on one
// thread; jobs run one at a time on that thread, never inside the call that
// scheduled them.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Seconds on a monotonic clock.
    virtual double now() const = 0;
    // Runs fn on a later turn of the loop.
    virtual TimerRef post(std::function<void()> fn) = 0;
    // Runs fn once, `seconds` from now.
    virtual TimerRef after(double seconds, std::function<void()> fn) = 0;
    // Runs fn every `seconds` until the handle is cancelled.
    virtual TimerRef every(double seconds, std::function<void()> fn) = 0;
};

}  // namespace zorbel::platform
