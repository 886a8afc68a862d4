#pragma once

#include "Platform/Reactive/Cancellable.h"

#include <functional>
#include <memory>
#include <utility>

namespace zorbel::rx {

// The receiving end of a stream: values, then at most one completion.
// Streams here never fail.
template <class T>
struct Subscriber {
    std::function<void(const T&)> receive;
    std::function<void()> complete;
};

// A stream of values, on the main loop. Subscribing starts the source anew
// for that subscriber; the returned handle ends it. Once cancel() returns, or
// once the stream completed, the subscriber is never called again.
template <class T>
class Publisher {
public:
    using Output = T;
    using SubscribeFn = std::function<Cancellable(Subscriber<T>)>;

    // A stream that never sends anything.
    Publisher() : Publisher([](Subscriber<T>) { return Cancellable(); }) {}
    explicit Publisher(SubscribeFn subscribe) : subscribe_(std::make_shared<SubscribeFn>(std::move(subscribe))) {}

    Cancellable subscribe(Subscriber<T> downstream) const
    {
        auto alive = std::make_shared<bool>(true);
        Subscriber<T> guarded;
        guarded.receive = [alive, receive = std::move(downstream.receive)](const T& value) {
            if (*alive && receive) receive(value);
        };
        guarded.complete = [alive, complete = std::move(downstream.complete)]() {
            if (!*alive) return;
            *alive = false;
            if (complete) complete();
        };
        auto upstream = std::make_shared<Cancellable>((*subscribe_)(std::move(guarded)));
        return Cancellable([alive, upstream]() {
            *alive = false;
            upstream->cancel();
        });
    }

    Cancellable sink(std::function<void(const T&)> onValue, std::function<void()> onComplete = {}) const
    {
        return subscribe(Subscriber<T>{std::move(onValue), std::move(onComplete)});
    }

private:
    std::shared_ptr<const SubscribeFn> subscribe_;
};

}  // namespace zorbel::rx
