#pragma once

#include "Platform/Reactive/Publisher.h"

#include <cstdint>
#include <vector>

namespace zorbel::rx {

// A published property: a value plus its subscribers. Subscribing delivers
// the current value at once; every assignment is delivered, also an unchanged
// one; subscribers are told before the stored value changes, so a subscriber
// that reads the property during delivery still sees the old value.
template <class T>
class Published {
public:
    Published() : state_(std::make_shared<State>()) {}
    explicit Published(T initial) : state_(std::make_shared<State>())
    {
        state_->value = std::move(initial);
    }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return state_->value; }
    operator const T&() const { return state_->value; }

    void set(const T& value)
    {
        const auto snapshot = state_->subscribers;
        for (const auto& sub : snapshot)
            if (sub->active) sub->receive(value);
        state_->value = value;
    }
    Published& operator=(const T& value)
    {
        set(value);
        return *this;
    }

    Publisher<T> publisher() const
    {
        std::weak_ptr<State> weak = state_;
        return Publisher<T>([weak](Subscriber<T> downstream) {
            auto state = weak.lock();
            if (!state) return Cancellable();
            auto sub = std::make_shared<Sub>();
            sub->receive = downstream.receive;
            state->subscribers.push_back(sub);
            downstream.receive(state->value);
            return Cancellable([weak, sub]() {
                sub->active = false;
                if (auto s = weak.lock()) std::erase(s->subscribers, sub);
            });
        });
    }

private:
    struct Sub {
        std::function<void(const T&)> receive;
        bool active = true;
    };
    struct State {
        T value{};
        std::vector<std::shared_ptr<Sub>> subscribers;
    };
    std::shared_ptr<State> state_;
};

// A stream that others send values into.
template <class T>
class PassthroughSubject {
public:
    PassthroughSubject() : state_(std::make_shared<State>()) {}

    void send(const T& value)
    {
        const auto snapshot = state_->subscribers;
        for (const auto& sub : snapshot)
            if (sub->active && sub->downstream.receive) sub->downstream.receive(value);
    }
    void complete()
    {
        state_->completed = true;
        const auto snapshot = std::move(state_->subscribers);
        state_->subscribers.clear();
        for (const auto& sub : snapshot)
            if (sub->active && sub->downstream.complete) sub->downstream.complete();
    }
    std::size_t subscriberCount() const { return state_->subscribers.size(); }

    Publisher<T> publisher() const
    {
        std::weak_ptr<State> weak = state_;
        return Publisher<T>([weak](Subscriber<T> downstream) {
            auto state = weak.lock();
            if (!state || state->completed) {
                if (downstream.complete) downstream.complete();
                return Cancellable();
            }
            auto sub = std::make_shared<Sub>();
            sub->downstream = std::move(downstream);
            state->subscribers.push_back(sub);
            return Cancellable([weak, sub]() {
                sub->active = false;
                if (auto s = weak.lock()) std::erase(s->subscribers, sub);
            });
        });
    }

private:
    struct Sub {
        Subscriber<T> downstream;
        bool active = true;
    };
    struct State {
        std::vector<std::shared_ptr<Sub>> subscribers;
        bool completed = false;
    };
    std::shared_ptr<State> state_;
};

}  // namespace zorbel::rx
