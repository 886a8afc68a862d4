#include "Shell/BrindotApp.h"

#include "Caret/Core/ConfigManager.h"
#include "BrindotHUD/BrindotHUDManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Features/InputMethodStyle/InputMethodStyleFeature.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Utils/CapsLockDetector.h"
#include "Platform/Console.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/StatusBarManager.h"
#include "Shell/UpdateManager.h"

#include <QWidget>  // completes the settings window controller's header

namespace zorbel {

namespace {
// A job's body runs on a later turn of the main loop than its timer; nobody
// waits for it.
void startMainActorTask(void (*body)())
{
    platform::scheduler().post(body);
}
}  // namespace

BrindotApp::BrindotApp()
{
    print(QStringLiteral("[INFO] Brindot app starting..."));
    print(QStringLiteral("[DEBUG] Managers will be initialized automatically via @StateObject"));
    print(QStringLiteral("[DEBUG] HUD Manager initialized at app startup"));
    auto& scheduler = platform::scheduler();
    scheduler.after(updateFeatureDelay, [] { startMainActorTask(&BrindotApp::initializeUpdateFeature); });
    scheduler.after(inputMethodStyleDelay, [] { startMainActorTask(&BrindotApp::initializeInputMethodStyleAtLaunch); });
    createStateObjects();
}

void BrindotApp::createStateObjects()
{
    StatusBarManager::shared().setSettingsWindowOpener(&SettingsWindowController::showSettings);
    ConfigManager::shared();
    BrindotManager::shared();
    BrindotHUDManager::shared();
    UpdateManager::shared();
    InputMethodStyleMapper::shared();
    CapsLockDetector::shared();
}

void BrindotApp::initializeInputMethodStyleAtLaunch()
{
    InputMethodStyleFeature::initializeAtLaunch();
}

void BrindotApp::initializeUpdateFeature()
{
    print(QStringLiteral("[INFO] 初始化版本更新功能..."));
    auto& updates = UpdateManager::shared();
    // The success line only when the checker really runs; its failure was
    // printed when it was set up.
    if (updates.isUpdaterStarted()) print(QStringLiteral("[UpdateManager] ✅ Sparkle已初始化"));
    platform::scheduler().after(backgroundCheckDelay,
                                [] { startMainActorTask(&BrindotApp::checkForUpdatesInBackgroundTask); });
}

void BrindotApp::checkForUpdatesInBackgroundTask()
{
    print(QStringLiteral("[UpdateManager] 🔍 后台检查更新..."));
    auto& updates = UpdateManager::shared();
    if (!updates.isUpdaterStarted()) {
        print(QStringLiteral("[UpdateManager] ❌ 检查更新失败: 更新检查未能启动"));
        return;
    }
    updates.updater().checkForUpdatesInBackground();
}

}  // namespace zorbel
