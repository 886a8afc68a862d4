#pragma once

#include "Platform/Scheduler.h"

#include <QElapsedTimer>

namespace zorbel::platform {

// Scheduler on the Qt event loop of the thread that created it.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    double now() const override;
    TimerRef post(std::function<void()> fn) override;
    TimerRef after(double seconds, std::function<void()> fn) override;
    TimerRef every(double seconds, std::function<void()> fn) override;

private:
    QElapsedTimer clock_;
};

}  // namespace zorbel::platform
