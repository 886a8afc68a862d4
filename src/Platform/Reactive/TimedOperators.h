#pragma once

// Operators that run on the main loop's clock (platform::scheduler());
// included by Operators.h.

#include "Platform/Reactive/Publisher.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"

#include <optional>

namespace zorbel::rx {

namespace detail {

// Throttling, latest wins. The first value after a quiet spell goes out at
// once and opens an interval. A value arriving during an interval replaces
// the one kept for its end. An interval that ends with a kept value sends it
// and opens the next interval; one that ends with none makes the stream quiet
// again. So values go out at least one interval apart, and the last value of
// a burst always goes out, at most one interval late.
// Completion adds nothing: with a value kept, the stream completes right
// after sending it at the end of the interval; otherwise it completes at once.
template <class T>
struct ThrottleState : std::enable_shared_from_this<ThrottleState<T>> {
    ThrottleState(Subscriber<T> d, double i) : down(std::move(d)), interval(i) {}

    Subscriber<T> down;
    double interval;
    platform::TimerRef timer;
    std::optional<T> kept;
    bool upstreamDone = false;

    void receive(const T& value)
    {
        if (timer) {
            kept = value;
            return;
        }
        openInterval();
        down.receive(value);
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
    void openInterval()
    {
        std::weak_ptr<ThrottleState> weak = this->shared_from_this();
        timer = platform::scheduler().after(interval, [weak] {
            if (auto self = weak.lock()) self->intervalEnded();
        });
    }
    void intervalEnded()
    {
        timer.reset();
        if (!kept) return;
        T value = std::move(*kept);
        kept.reset();
        if (!upstreamDone) openInterval();
        down.receive(value);
        if (upstreamDone) down.complete();
    }
};

}  // namespace detail

template <class T>
Publisher<T> Publisher<T>::throttleLatest(double seconds) const
{
    using State = detail::ThrottleState<T>;
    return Publisher<T>([upstream = *this, seconds](Subscriber<T> down) {
        auto state = std::make_shared<State>(std::move(down), seconds);
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
