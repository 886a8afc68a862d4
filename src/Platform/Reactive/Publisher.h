#pragma once

#include "Platform/Reactive/Cancellable.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace zorbel::rx {

// The receiving end of a stream: values, then at most one completion.
// Streams here never fail.
template <class T>
struct Subscriber {
    std::function<void(const T&)> receive;
    std::function<void()> complete;
};

// A subscriber that stays silent once `alive` is false. Completing clears
// `alive`, so a completion arrives at most once and nothing follows it.
template <class T>
Subscriber<T> guardedSubscriber(Subscriber<T> downstream, std::shared_ptr<bool> alive)
{
    Subscriber<T> guarded;
    guarded.receive = [alive, receive = std::move(downstream.receive)](const T& value) {
        if (*alive && receive) receive(value);
    };
    guarded.complete = [alive, complete = std::move(downstream.complete)]() {
        if (!*alive) return;
        *alive = false;
        if (complete) complete();
    };
    return guarded;
}

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
        // Held here so the source outlives a subscriber that drops this publisher.
        const auto source = subscribe_;
        auto upstream = std::make_shared<Cancellable>((*source)(guardedSubscriber(std::move(downstream), alive)));
        return Cancellable([alive, upstream]() {
            *alive = false;
            upstream->cancel();
        });
    }

    Cancellable sink(std::function<void(const T&)> onValue, std::function<void()> onComplete = {}) const
    {
        return subscribe(Subscriber<T>{std::move(onValue), std::move(onComplete)});
    }

    // Operators (Operators.h). Each returns a new stream; each subscription to
    // it makes its own subscription to this one.
    template <class F>
    auto map(F transform) const -> Publisher<std::decay_t<std::invoke_result_t<const F&, const T&>>>;
    template <class F>
    Publisher<T> filter(F isIncluded) const;
    // Drops a value equal to the one received just before it.
    Publisher<T> removeDuplicates() const;
    Publisher<T> removeDuplicates(std::function<bool(const T&, const T&)> isDuplicate) const;
    // The first value, then completion; the upstream subscription ends there.
    Publisher<T> first() const;
    // Values and completion on a later turn of the main loop, in order.
    Publisher<T> receiveOnMain() const;
    // At most one value per `seconds`, after up to `burst` at once; latest
    // wins (timing in TimedOperators.h).
    Publisher<T> throttleLatest(double seconds, int burst = 1) const;
    // The values that arrive before the main loop's next turn, as one: the
    // latest, on that turn. Completion follows it.
    Publisher<T> latestOnNextTurn() const;
    // Subscribes to transform(value) for every value, all at once, without
    // limit; completes when this stream and every inner stream completed.
    template <class F>
    auto flatMap(F transform) const -> Publisher<typename std::invoke_result_t<const F&, const T&>::Output>;
    // As flatMap, but only the latest inner stream stays subscribed: each new
    // value ends the inner stream of the one before it.
    template <class F>
    auto switchMap(F transform) const -> Publisher<typename std::invoke_result_t<const F&, const T&>::Output>;
    Publisher<T> mergeWith(const Publisher<T>& other) const;

    static Publisher<T> just(T value);
    static Publisher<T> empty();
    // Values of all streams as they come; completes when all completed.
    static Publisher<T> merge(std::vector<Publisher<T>> publishers);
    template <class... More>
    static Publisher<T> merge(const Publisher<T>& first, const More&... more)
    {
        return merge(std::vector<Publisher<T>>{first, more...});
    }

private:
    std::shared_ptr<const SubscribeFn> subscribe_;
};

}  // namespace zorbel::rx

#include "Platform/Reactive/Operators.h"
