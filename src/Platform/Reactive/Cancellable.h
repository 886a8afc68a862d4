#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace zorbel::rx {

// Owns one subscription. cancel() runs the cleanup once; destroying the
// handle cancels too. Copies share the subscription (like a reference-counted
// handle): the last copy to go away cancels it.
class Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cleanup)
        : state_(std::make_shared<State>(std::move(cleanup)))
    {
    }

    void cancel()
    {
        if (state_) state_->cancel();
    }
    bool isCancelled() const { return !state_ || state_->cancelled; }
    // Stores a copy in a set of subscriptions owned by the caller.
    void store(std::vector<Cancellable>& set) const { set.push_back(*this); }

private:
    struct State {
        explicit State(std::function<void()> c) : cleanup(std::move(c)) {}
        ~State() { cancel(); }
        State(const State&) = delete;
        State& operator=(const State&) = delete;
        void cancel()
        {
            if (cancelled) return;
            cancelled = true;
            auto c = std::move(cleanup);
            cleanup = nullptr;
            if (c) c();
        }
        std::function<void()> cleanup;
        bool cancelled = false;
    };
    std::shared_ptr<State> state_;
};

// "A set of subscriptions" owned by a manager; cancelling it cancels each.
using CancellableSet = std::vector<Cancellable>;
inline void cancelAll(CancellableSet& set)
{
    auto taken = std::move(set);
    set.clear();
    for (auto& c : taken) c.cancel();
}

}  // namespace zorbel::rx
