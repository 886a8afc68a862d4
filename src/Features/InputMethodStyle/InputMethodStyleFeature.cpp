#include "Features/InputMethodStyle/InputMethodStyleFeature.h"

#include "Caret/Styles/BrindotStyleManager.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Utils/CapsLockDetector.h"
#include "Platform/Console.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"

namespace zorbel {

namespace {
// Lives with the shared instances, so tests start each case uninitialized.
struct FeatureState {
    bool initialized = false;
};
FeatureState& state() { return sharedInstance<FeatureState>(); }

void onMainLoop(std::function<void()> job) { platform::scheduler().post(std::move(job)); }

// Stores the switch, then switches the style manager's handling to match.
void switchTo(bool enabled)
{
    auto& mapper = InputMethodStyleMapper::shared();
    InputMethodStyleConfig c = mapper.config();
    c.enabled = enabled;
    mapper.setConfig(c);
    auto& styles = BrindotStyleManager::shared();
    if (enabled) styles.enableInputMethodStyle();
    else styles.disableInputMethodStyle();
}
}  // namespace

bool InputMethodStyleFeature::isInitialized() { return state().initialized; }

void InputMethodStyleFeature::initialize()
{
    if (state().initialized) {
        print(QStringLiteral("[InputMethodStyleFeature] Already initialized"));
        return;
    }
    print(QStringLiteral("[InputMethodStyleFeature] Initializing v1.2.0..."));
    onMainLoop([] { CapsLockDetector::shared().startMonitoring(); });
    onMainLoop([] { InputMethodStyleMapper::shared().refreshMappings(); });
    onMainLoop([] {
        if (InputMethodStyleMapper::shared().config().enabled) BrindotStyleManager::shared().enableInputMethodStyle();
    });
    state().initialized = true;
    print(QStringLiteral("[InputMethodStyleFeature] Initialization completed"));
}

void InputMethodStyleFeature::enable() { onMainLoop([] { switchTo(true); }); }

void InputMethodStyleFeature::disable() { onMainLoop([] { switchTo(false); }); }

std::pair<bool, bool> InputMethodStyleFeature::currentStatus()
{
    const auto& c = InputMethodStyleMapper::shared().config();
    return {c.enabled, c.capsLockIndicatorEnabled};
}

void InputMethodStyleFeature::initializeAtLaunch()
{
    print(QStringLiteral("[INFO] v1.2.0: 初始化输入法样式功能..."));
    CapsLockDetector::shared().startMonitoring();
    InputMethodStyleMapper::shared().refreshMappings();
    if (InputMethodStyleMapper::shared().config().enabled) {
        BrindotStyleManager::shared().enableInputMethodStyle();
        print(QStringLiteral("[INFO] v1.2.0: 输入法样式功能已启用"));
    } else {
        print(QStringLiteral("[INFO] v1.2.0: 输入法样式功能未启用"));
    }
    print(QStringLiteral("[INFO] v1.2.0: 输入法样式功能初始化完成"));
}

void InputMethodStyleFeature::scheduleAtLaunch(double delaySeconds)
{
    platform::scheduler().after(delaySeconds, [] { onMainLoop(&InputMethodStyleFeature::initializeAtLaunch); });
}

}  // namespace zorbel
