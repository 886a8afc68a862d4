#pragma once

#include "Platform/Reactive/Publisher.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <utility>

namespace zorbel {

// What a CreatePublisher's closure sends into: any number of values, then at
// most one completion.
template <class Output>
using AnySubscriber = rx::Subscriber<Output>;

// How many values a subscriber asks for.
struct Demand {
    static constexpr Demand unlimited() { return Demand{std::numeric_limits<std::size_t>::max()}; }
    static constexpr Demand max(std::size_t count) { return Demand{count}; }
    std::size_t amount = 0;
};

// One subscriber's connection to a CreatePublisher: idle until the first
// request starts the source, active while it holds the source's handle,
// finished after cancel(). Releasing it releases the handle, and a released
// handle cancels itself, so the source's cleanup runs either way.
template <class Output>
class CreateSubscription {
public:
    using Upstream = std::function<rx::Cancellable(AnySubscriber<Output>)>;

    CreateSubscription(Upstream upstream, AnySubscriber<Output> subscriber)
        : upstream_(std::move(upstream))
        , alive_(std::make_shared<bool>(true))
        , subscriber_(rx::guardedSubscriber(std::move(subscriber), alive_))
    {
    }
    CreateSubscription(const CreateSubscription&) = delete;
    CreateSubscription& operator=(const CreateSubscription&) = delete;

    // The first call starts the source; later calls do nothing. The amount is
    // not counted: the source sends whatever it has.
    void request(Demand)
    {
        if (requested_ || cancelled_) return;
        requested_ = true;
        rx::Cancellable handle = upstream_(subscriber_);
        // Cancelled by the subscriber while the source was starting.
        if (cancelled_) handle.cancel();
        cancellable_ = std::move(handle);
    }

    // Ends the source if it runs; nothing reaches the subscriber afterwards.
    // A cancelled subscription never starts its source.
    void cancel()
    {
        cancelled_ = true;
        *alive_ = false;
        std::exchange(cancellable_, rx::Cancellable()).cancel();
    }

private:
    Upstream upstream_;
    std::shared_ptr<bool> alive_;
    AnySubscriber<Output> subscriber_;
    rx::Cancellable cancellable_;
    bool requested_ = false;
    bool cancelled_ = false;
};

// A stream made from a closure that starts a callback-style source for one
// subscriber and returns the handle that stops it. Each subscriber gets its
// own subscription and its own call of the closure.
template <class Output>
class CreatePublisher {
public:
    using Upstream = typename CreateSubscription<Output>::Upstream;

    explicit CreatePublisher(Upstream body) : upstream(std::move(body)) {}

    // An idle subscription; nothing runs until the subscriber requests.
    std::shared_ptr<CreateSubscription<Output>> receive(AnySubscriber<Output> subscriber) const
    {
        return std::make_shared<CreateSubscription<Output>>(upstream, std::move(subscriber));
    }

    // As a stream of the reactive library: subscribing requests unlimited
    // values at once.
    rx::Publisher<Output> eraseToAnyPublisher() const
    {
        return rx::Publisher<Output>([body = upstream](rx::Subscriber<Output> down) {
            auto subscription = std::make_shared<CreateSubscription<Output>>(body, std::move(down));
            subscription->request(Demand::unlimited());
            return rx::Cancellable([subscription] { subscription->cancel(); });
        });
    }
    operator rx::Publisher<Output>() const { return eraseToAnyPublisher(); }

    Upstream upstream;
};

}  // namespace zorbel
