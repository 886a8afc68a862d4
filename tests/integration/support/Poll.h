#pragma once

#include <chrono>
#include <functional>

namespace zorbel::integration {

using namespace std::chrono_literals;

// Checks `done` until it holds or `timeout` passes, running the Qt event loop in between
// so signals of QProcess and D-Bus replies keep flowing. Returns whether it held.
bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = 20ms);

}  // namespace zorbel::integration
