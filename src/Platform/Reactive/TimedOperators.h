#pragma once

// Operators that run on the main loop's clock (platform::scheduler());
// included by Operators.h.

#include "Platform/Reactive/Publisher.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"

#include <algorithm>
#include <optional>

namespace zorbel::rx {

namespace detail {

// Throttling, latest wins. Values go out at once while the budget allows:
// it holds at most `burst` values and earns one back per interval. A value
// arriving while none is left is kept (a later one replaces it) until one is
// earned, and then goes out; a stream that has used its budget is quiet
// again once a value is earned and none is kept. So, with a burst of 1, the
// first value after a quiet spell goes out at once and values go out at least
// one interval apart; with more, that many may follow one another at once,
// and no more than `burst` + n go out in n intervals. The last value of a
// burst always goes out, at most one interval late.
// Completion adds nothing: with a value kept, the stream completes right
// after sending it; otherwise it completes at once.
template <class T>
struct ThrottleState : std::enable_shared_from_this<ThrottleState<T>> {
    ThrottleState(Subscriber<T> d, double i, int b) : down(std::move(d)), interval(i), burst(b), budget(b) {}

    Subscriber<T> down;
    double interval;
    int burst;
    double budget;
    double earnedAt = 0;
    bool earning = false;
    platform::TimerRef timer;
    std::optional<T> kept;
    bool upstreamDone = false;

    void receive(const T& value)
    {
        if (timer) {
            kept = value;
            return;
        }
        send(value);
    }
    void complete()
    {
        if (kept) {
            upstreamDone = true;
            return;
        }
        cancel();
        down.complete();
    }
    void cancel()
    {
        if (timer) timer->cancel();
        timer.reset();
        kept.reset();
    }

private:
    // Called only with a value in the budget: at once, or when the timer
    // that waited for one ends.
    void send(const T& value)
    {
        const double now = platform::scheduler().now();
        if (earning) budget = std::min<double>(burst, budget + (now - earnedAt) / interval);
        earning = true;
        earnedAt = now;
        budget = std::max(budget, 1.0) - 1;
        if (!upstreamDone && budget < 1) waitForBudget((1 - budget) * interval);
        down.receive(value);
    }
    void waitForBudget(double seconds)
    {
        std::weak_ptr<ThrottleState> weak = this->shared_from_this();
        timer = platform::scheduler().after(seconds, [weak] {
            if (auto self = weak.lock()) self->earned();
        });
    }
    void earned()
    {
        timer.reset();
        if (!kept) return;
        T value = std::move(*kept);
        kept.reset();
        send(value);
        if (upstreamDone) down.complete();
    }
};

}  // namespace detail

template <class T>
Publisher<T> Publisher<T>::throttleLatest(double seconds, int burst) const
{
    using State = detail::ThrottleState<T>;
    return Publisher<T>([upstream = *this, seconds, burst](Subscriber<T> down) {
        auto state = std::make_shared<State>(std::move(down), seconds, std::max(burst, 1));
        Cancellable handle = upstream.subscribe(Subscriber<T>{
            [state](const T& value) {
                auto s = state;
                s->receive(value);
            },
            [state] {
                auto s = state;
                s->complete();
            }});
        return Cancellable([state, handle]() mutable {
            handle.cancel();
            state->cancel();
        });
    });
}

template <class T>
Publisher<T> Publisher<T>::latestOnNextTurn() const
{
    struct State {
        std::optional<T> kept;
        bool completed = false;
        platform::TimerRef job;
    };
    return Publisher<T>([upstream = *this](Subscriber<T> down) {
        auto state = std::make_shared<State>();
        auto deliver = [state, down] {
            state->job.reset();
            if (state->kept) down.receive(*std::exchange(state->kept, std::nullopt));
            if (state->completed) down.complete();
        };
        Cancellable handle = upstream.subscribe(Subscriber<T>{
            [state, deliver](const T& value) {
                state->kept = value;
                if (!state->job) state->job = platform::scheduler().post(deliver);
            },
            [state, deliver] {
                state->completed = true;
                if (!state->job) state->job = platform::scheduler().post(deliver);
            }});
        return Cancellable([state, handle]() mutable {
            handle.cancel();
            if (state->job) state->job->cancel();
            state->job.reset();
            state->kept.reset();
        });
    });
}

template <class T>
Publisher<T> Publisher<T>::receiveOnMain() const
{
    return Publisher<T>([upstream = *this](Subscriber<T> down) {
        auto pending = std::make_shared<std::vector<platform::TimerRef>>();
        // Jobs posted to the main loop run in the order they were posted.
        auto later = [pending](std::function<void()> job) {
            std::erase_if(*pending, [](const platform::TimerRef& t) { return !t->isActive(); });
            pending->push_back(platform::scheduler().post(std::move(job)));
        };
        Cancellable handle = upstream.subscribe(Subscriber<T>{
            [later, receive = down.receive](const T& value) { later([receive, value] { receive(value); }); },
            [later, complete = down.complete] { later(complete); }});
        return Cancellable([pending, handle]() mutable {
            handle.cancel();
            for (const auto& job : std::exchange(*pending, {})) job->cancel();
        });
    });
}

}  // namespace zorbel::rx
