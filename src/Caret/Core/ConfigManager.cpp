#include "Caret/Core/ConfigManager.h"

#include "Caret/Core/Logger.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

namespace zorbel {

namespace {
const QString kEnabled = QStringLiteral("isBrindotEnabled");
const QString kDebug = QStringLiteral("BrindotDebugMode");
const QString kColor = QStringLiteral("BrindotColor");
const QString kSize = QStringLiteral("BrindotSize");
const QString kMouseDriven = QStringLiteral("BrindotMouseDrivenMode");
const QString kBlinking = QStringLiteral("BrindotBlinking");
}  // namespace

ConfigManager& ConfigManager::shared() { return sharedInstance<ConfigManager>(); }

platform::UserDefaults& ConfigManager::store()
{
    auto& provider = platform::userDefaults();
    if (auto* suite = provider.suite(QString::fromLatin1(suiteName))) return *suite;
    return provider.standard();
}

ConfigManager::ConfigManager()
{
    auto& s = store();
    isBrindotEnabled_.set(s.contains(kEnabled) ? s.boolForKey(kEnabled) : false);
    debugMode_.set(s.contains(kDebug) ? s.boolForKey(kDebug) : false);
    brindotColor_.set(s.contains(kColor) ? s.stringForKey(kColor).value_or(QStringLiteral("blue"))
                                         : QStringLiteral("blue"));
    brindotSize_.set(s.contains(kSize) ? s.doubleForKey(kSize) : 12.0);
    enableMouseDrivenMode_.set(s.contains(kMouseDriven) ? s.boolForKey(kMouseDriven) : true);
    enableBlinking_.set(s.contains(kBlinking) ? s.boolForKey(kBlinking) : false);
}

void ConfigManager::setIsBrindotEnabled(bool value)
{
    isBrindotEnabled_.set(value);
    if (!store().setBool(kEnabled, value))
        Logger::shared().error(QStringLiteral("Failed to save ") + kEnabled, ZHERE("isBrindotEnabled"));
}

void ConfigManager::setEnableBlinking(bool value)
{
    enableBlinking_.set(value);
    if (!store().setBool(kBlinking, value))
        Logger::shared().error(QStringLiteral("Failed to save ") + kBlinking, ZHERE("enableBlinking"));
    platform::notificationCenter().post(QString::fromLatin1(configChangedNotification));
}

}  // namespace zorbel
