#pragma once

// Operator bodies of Publisher; included at the end of Publisher.h.
//
// Callbacks given to an upstream copy their shared state into a local before
// calling downstream: a downstream that cancels during delivery may destroy
// the very callback that is running.

#include "Platform/Reactive/Publisher.h"

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace zorbel::rx {

namespace detail {

// Sends the values at once, then completes.
template <class T>
Publisher<T> sequence(std::vector<T> values)
{
    return Publisher<T>([values = std::move(values)](Subscriber<T> down) {
        for (const auto& value : values) down.receive(value);
        down.complete();
        return Cancellable();
    });
}

template <class U>
struct FlatMapState {
    explicit FlatMapState(Subscriber<U> d) : down(std::move(d)) {}

    Subscriber<U> down;
    std::map<std::uint64_t, Cancellable> inners;
    std::uint64_t nextId = 0;
    bool outerDone = false;

    static void attach(const std::shared_ptr<FlatMapState>& self, const Publisher<U>& inner)
    {
        const auto id = self->nextId++;
        self->inners.emplace(id, Cancellable());
        Cancellable handle = inner.subscribe(Subscriber<U>{
            [self](const U& value) {
                auto s = self;
                s->down.receive(value);
            },
            [self, id] {
                auto s = self;
                s->inners.erase(id);
                s->completeIfDone();
            }});
        // Gone already when the inner stream completed, or everything was
        // cancelled, while subscribing; the handle then ends here.
        auto it = self->inners.find(id);
        if (it != self->inners.end()) it->second = std::move(handle);
    }
    void completeIfDone()
    {
        if (outerDone && inners.empty()) down.complete();
    }
    void cancel()
    {
        auto taken = std::move(inners);
        inners.clear();
        for (auto& entry : taken) entry.second.cancel();
    }
};

template <class U>
struct SwitchState {
    explicit SwitchState(Subscriber<U> d) : down(std::move(d)) {}

    Subscriber<U> down;
    Cancellable inner;
    std::uint64_t generation = 0;  // of the inner stream allowed to deliver
    bool innerActive = false;
    bool outerDone = false;

    static void attach(const std::shared_ptr<SwitchState>& self, const Publisher<U>& next)
    {
        const auto id = ++self->generation;
        std::exchange(self->inner, Cancellable()).cancel();
        self->innerActive = true;
        Cancellable handle = next.subscribe(Subscriber<U>{
            [self, id](const U& value) {
                auto s = self;
                if (s->generation == id) s->down.receive(value);
            },
            [self, id] {
                auto s = self;
                if (s->generation != id) return;
                s->innerActive = false;
                s->completeIfDone();
            }});
        // Completed, replaced or cancelled while subscribing: the handle ends here.
        if (self->generation == id && self->innerActive) self->inner = std::move(handle);
    }
    void completeIfDone()
    {
        if (outerDone && !innerActive) down.complete();
    }
    void cancel()
    {
        ++generation;
        innerActive = false;
        std::exchange(inner, Cancellable()).cancel();
    }
};

}  // namespace detail

template <class T>
template <class F>
auto Publisher<T>::map(F transform) const -> Publisher<std::decay_t<std::invoke_result_t<const F&, const T&>>>
{
    using U = std::decay_t<std::invoke_result_t<const F&, const T&>>;
    return Publisher<U>([upstream = *this, transform](Subscriber<U> down) {
        return upstream.subscribe(Subscriber<T>{
            [transform, receive = std::move(down.receive)](const T& value) { receive(transform(value)); },
            std::move(down.complete)});
    });
}

template <class T>
template <class F>
Publisher<T> Publisher<T>::filter(F isIncluded) const
{
    return Publisher<T>([upstream = *this, isIncluded](Subscriber<T> down) {
        return upstream.subscribe(Subscriber<T>{
            [isIncluded, receive = std::move(down.receive)](const T& value) {
                if (isIncluded(value)) receive(value);
            },
            std::move(down.complete)});
    });
}

template <class T>
Publisher<T> Publisher<T>::removeDuplicates() const
{
    return removeDuplicates([](const T& a, const T& b) { return a == b; });
}

template <class T>
Publisher<T> Publisher<T>::removeDuplicates(std::function<bool(const T&, const T&)> isDuplicate) const
{
    return Publisher<T>([upstream = *this, isDuplicate](Subscriber<T> down) {
        auto previous = std::make_shared<std::optional<T>>();
        return upstream.subscribe(Subscriber<T>{
            [isDuplicate, previous, receive = std::move(down.receive)](const T& value) {
                const bool duplicate = previous->has_value() && isDuplicate(**previous, value);
                *previous = value;
                if (!duplicate) receive(value);
            },
            std::move(down.complete)});
    });
}

template <class T>
Publisher<T> Publisher<T>::first() const
{
    return Publisher<T>([upstream = *this](Subscriber<T> down) {
        struct State {
            Subscriber<T> down;
            Cancellable upstream;
            bool done = false;
        };
        auto state = std::make_shared<State>(State{std::move(down), {}, false});
        Cancellable handle = upstream.subscribe(Subscriber<T>{
            [state](const T& value) {
                auto s = state;
                if (s->done) return;
                s->done = true;
                s->down.receive(value);
                s->down.complete();
                s->upstream.cancel();
            },
            [state] { state->down.complete(); }});
        // A value that came while subscribing ends the upstream right away.
        if (state->done) handle.cancel();
        state->upstream = std::move(handle);
        return Cancellable([state] {
            state->done = true;
            state->upstream.cancel();
        });
    });
}

namespace detail {

// Subscribes to the outer stream and hands each inner stream to the state,
// which keeps them all (flatMap) or only the latest (switchMap).
template <template <class> class State, class T, class F>
auto innerStreams(const Publisher<T>& upstream, F transform)
{
    using U = typename std::invoke_result_t<const F&, const T&>::Output;
    using S = State<U>;
    return Publisher<U>([upstream, transform](Subscriber<U> down) {
        auto state = std::make_shared<S>(std::move(down));
        Cancellable outer = upstream.subscribe(Subscriber<T>{
            [state, transform](const T& value) {
                auto s = state;
                S::attach(s, transform(value));
            },
            [state] {
                auto s = state;
                s->outerDone = true;
                s->completeIfDone();
            }});
        return Cancellable([state, outer]() mutable {
            outer.cancel();
            state->cancel();
        });
    });
}

}  // namespace detail

template <class T>
template <class F>
auto Publisher<T>::flatMap(F transform) const
    -> Publisher<typename std::invoke_result_t<const F&, const T&>::Output>
{
    return detail::innerStreams<detail::FlatMapState>(*this, std::move(transform));
}

template <class T>
template <class F>
auto Publisher<T>::switchMap(F transform) const
    -> Publisher<typename std::invoke_result_t<const F&, const T&>::Output>
{
    return detail::innerStreams<detail::SwitchState>(*this, std::move(transform));
}

template <class T>
Publisher<T> Publisher<T>::just(T value)
{
    return detail::sequence<T>({std::move(value)});
}

template <class T>
Publisher<T> Publisher<T>::empty()
{
    return detail::sequence<T>({});
}

template <class T>
Publisher<T> Publisher<T>::merge(std::vector<Publisher<T>> publishers)
{
    return detail::sequence(std::move(publishers)).flatMap([](const Publisher<T>& p) { return p; });
}

template <class T>
Publisher<T> Publisher<T>::mergeWith(const Publisher<T>& other) const
{
    return merge(*this, other);
}

}  // namespace zorbel::rx

#include "Platform/Reactive/TimedOperators.h"
