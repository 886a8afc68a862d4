#include "Settings/MasterSwitch.h"

#include "Shell/StatusBarManager.h"

namespace zorbel::masterSwitch {

bool get() { return StatusBarManager::shared().isBrindotEnabled(); }
void set(bool enabled) { StatusBarManager::shared().setIsBrindotEnabled(enabled); }
rx::Publisher<bool> publisher() { return StatusBarManager::shared().isBrindotEnabledPublisher(); }

}  // namespace zorbel::masterSwitch
