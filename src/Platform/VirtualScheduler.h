#pragma once

#include "Platform/Scheduler.h"

#include <cstdint>
#include <vector>

namespace zorbel::platform {

// A scheduler whose clock only moves when a test says so. Jobs due at the
// same time run in the order they were scheduled; next-turn jobs are due now.
class VirtualScheduler final : public Scheduler {
public:
    double now() const override { return now_; }
    TimerRef post(std::function<void()> fn) override;
    TimerRef after(double seconds, std::function<void()> fn) override;
    TimerRef every(double seconds, std::function<void()> fn) override;

    // Runs every job due now, including jobs they schedule for now.
    void runPending();
    // Moves the clock forward, running each job at its due time.
    void advance(double seconds);
    // Number of scheduled jobs that are still active.
    std::size_t activeJobs() const;

private:
    struct Job {
        double due;
        std::uint64_t order;
        double interval;  // 0 for one-shot jobs
        TimerRef handle;
        std::function<void()> fn;
    };
    TimerRef add(double delay, double interval, std::function<void()> fn);
    bool runNextDueBy(double limit);

    double now_ = 1000.0;
    std::uint64_t nextOrder_ = 0;
    std::vector<Job> jobs_;
};

}  // namespace zorbel::platform
