#pragma once

#include "Platform/Reactive/Publisher.h"

namespace zorbel {

// Ticks every `every` seconds on the main loop while subscribed: each
// subscription starts its own repeating timer, and cancelling it stops the
// timer. A tick carries the main loop's clock (platform::scheduler().now()).
rx::Publisher<double> makeTimerPublisher(double every);

}  // namespace zorbel
