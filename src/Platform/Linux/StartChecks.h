#pragma once

#include <optional>

namespace zorbel::platform {

// What must hold before the program builds anything: a display it can open
// (Qt would otherwise abort with advice to reinstall) and no copy of its own
// already running on that display (two indicators would follow one caret).
// Answers the exit status when the program must not go on, after printing one
// line that says why.
std::optional<int> checkBeforeStart();

}  // namespace zorbel::platform
