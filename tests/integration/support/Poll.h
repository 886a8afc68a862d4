#pragma once

#include <chrono>
#include <functional>

namespace zorbel::integration {

using namespace std::chrono_literals;

// Checks `done` until it holds or `timeout` passes, running the Qt event loop in between
// so signals of QProcess and D-Bus replies keep flowing. Returns whether it held.
bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = 20ms);

// Lets `period` of real time pass with the main loop running, where time itself is what is
// measured or what the program under test waits out on its own clock, which a separate process
// does not let anyone drive (CPU while idle, a pause between measured steps). Never a wait for
// something to happen: that is pollUntil's, with the condition named.
void runFor(std::chrono::milliseconds period);

}  // namespace zorbel::integration
