#pragma once

#include "Platform/Reactive/Publisher.h"

namespace zorbel::masterSwitch {

// The indicator's master switch as the settings pages see it: the value the
// tray menu shows and changes. Setting it stores it; it posts nothing.
bool get();
void set(bool enabled);
rx::Publisher<bool> publisher();

}  // namespace zorbel::masterSwitch
