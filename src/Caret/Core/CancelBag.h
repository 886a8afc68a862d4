#pragma once

#include "Platform/Reactive/Cancellable.h"

#include <vector>

namespace zorbel {

// Subscription handles kept together by their owner, which cancels them all
// at once. Dropping the bag cancels what it still holds.
class CancelBag {
public:
    void store(rx::Cancellable cancellable) { cancellables.push_back(std::move(cancellable)); }

    // Cancels every handle in the order stored and empties the bag.
    void cancel() { rx::cancelAll(cancellables); }

    std::vector<rx::Cancellable> cancellables;
};

}  // namespace zorbel
