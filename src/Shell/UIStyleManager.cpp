#include "Shell/UIStyleManager.h"

#include "Caret/Core/Logger.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

namespace zorbel {

namespace {
QString key() { return QString::fromLatin1(UIStyleManager::styleKey); }
}  // namespace

UIStyleManager& UIStyleManager::shared() { return sharedInstance<UIStyleManager>(); }

UIStyleManager::UIStyleManager()
{
    loadStyle();
    applyStyle();
}

void UIStyleManager::setCurrentStyle(UIStyle style)
{
    currentStyle_.set(style);
    saveStyle();
    applyStyle();
}

void UIStyleManager::loadStyle()
{
    const auto stored = platform::userDefaults().standard().stringForKey(key());
    if (!stored) return;
    if (const auto style = fromRawValue<UIStyle>(*stored)) {
        setCurrentStyle(*style);
        return;
    }
    // Kept as it is: a newer version may know the name.
    Logger::shared().warning(QStringLiteral("Stored theme \"%1\" is unknown; the %2 theme is used")
                                 .arg(*stored, rawValue(currentStyle())),
                             ZHERE("loadStyle()"));
}

void UIStyleManager::saveStyle()
{
    if (!platform::userDefaults().standard().setString(key(), rawValue(currentStyle())))
        Logger::shared().error(QStringLiteral("Failed to save the theme: the settings store could not be written"),
                               ZHERE("saveStyle()"));
}

void UIStyleManager::applyStyle()
{
    currentConfig_.set(UIStyleConfig::config(currentStyle()));
    platform::notificationCenter().post(QString::fromLatin1(uiStyleChangedNotification),
                                        QVariant::fromValue(currentStyle()));
}

}  // namespace zorbel
