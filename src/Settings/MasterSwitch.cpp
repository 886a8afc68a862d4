#include "Settings/MasterSwitch.h"

#include "Caret/Core/ConfigManager.h"

namespace zorbel::masterSwitch {

bool get() { return ConfigManager::shared().isBrindotEnabled(); }
void set(bool enabled) { ConfigManager::shared().setIsBrindotEnabled(enabled); }
rx::Publisher<bool> publisher() { return ConfigManager::shared().isBrindotEnabledPublisher(); }

}  // namespace zorbel::masterSwitch
