#include "Caret/Styles/BrindotStyleManager.h"

#include "Caret/Core/Logger.h"
#include "Caret/Styles/BrindotStyleJson.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

namespace zorbel {

namespace {
platform::UserDefaults& standardDefaults() { return platform::userDefaults().standard(); }
QString key() { return QString::fromLatin1(BrindotStyleManager::defaultsKey); }
}  // namespace

BrindotStyleManager& BrindotStyleManager::shared() { return sharedInstance<BrindotStyleManager>(); }

BrindotStyleManager::BrindotStyleManager() : currentStyle_(loadStyle()), logger_(Logger::shared())
{
    logger_.info(QStringLiteral("BrindotStyleManager initialized"), ZHERE("init()"));
    setupInputMethodStyleMonitoring();
}

BrindotStyleManager::~BrindotStyleManager() = default;

void BrindotStyleManager::setCurrentStyle(const BrindotStyle& style)
{
    currentStyle_.set(style);
    saveStyle();
    notifyStyleChanged();
}

void BrindotStyleManager::addStyleChangeCallback(StyleChangeCallback callback)
{
    styleChangeCallbacks_.push_back(std::move(callback));
}

void BrindotStyleManager::applyPresetStyle(const PresetStyle& preset)
{
    setCurrentStyle(preset.style);
    logger_.info(QStringLiteral("Applied preset style: ") + preset.name, ZHERE("applyPresetStyle(_:)"));
}

void BrindotStyleManager::resetToDefault()
{
    setCurrentStyle(BrindotStyle::defaultStyle());
    logger_.info(QStringLiteral("Reset to default style"), ZHERE("resetToDefault()"));
}

void BrindotStyleManager::notifyStyleChanged()
{
    // A callback may add another; iterate by index so that stays safe.
    for (std::size_t i = 0; i < styleChangeCallbacks_.size(); ++i) {
        const auto callback = styleChangeCallbacks_[i];
        callback(currentStyle());
    }
    platform::notificationCenter().post(QString::fromLatin1(styleChangedNotification),
                                        QVariant::fromValue(currentStyle()));
    logger_.debug(QStringLiteral("Style changed notification sent"), ZHERE("notifyStyleChanged()"));
}

void BrindotStyleManager::saveStyle()
{
    const auto encoded = encodeJson(currentStyle());
    if (!encoded.ok()) {
        logger_.error(QStringLiteral("Failed to save style: ") + encoded.error, ZHERE("saveStyle()"));
        return;
    }
    if (!standardDefaults().setData(key(), *encoded.value)) {
        logger_.error(QStringLiteral("Failed to save style: the settings store could not be written"),
                      ZHERE("saveStyle()"));
        return;
    }
    logger_.debug(QStringLiteral("Style saved"), ZHERE("saveStyle()"));
}

BrindotStyle BrindotStyleManager::loadStyle()
{
    const auto& defaults = standardDefaults();
    if (!defaults.contains(key())) return BrindotStyle::defaultStyle();
    // What cannot be read stays stored: only the next assignment replaces it.
    const auto data = defaults.dataForKey(key());
    const auto decoded = data ? decodeBrindotStyle(*data)
                              : json::Result<BrindotStyle>::failure(QStringLiteral("The stored value is not data"));
    if (decoded.ok()) return *decoded.value;
    Logger::shared().warning(QStringLiteral("Failed to load style: ") + decoded.error + QStringLiteral(", using default"),
                             ZHERE("loadStyle()"));
    return BrindotStyle::defaultStyle();
}

// Input-method styling attaches here once the input-source, preset-mapping and
// Caps Lock services exist:
// - setupInputMethodStyleMonitoring() observes the keyboard-selection change,
//   "capsLockStateChanged" and "inputMethodStyleConfigChanged" and routes them
//   to the handlers below (keeping the observations for the manager's life);
// - handleInputMethodChanged() builds the mapped preset's style over the
//   current one, remembers it as the input method's base style and applies it
//   through applyInputMethodStyle(), which lays the Caps Lock look on while
//   Caps Lock is on and the look is wanted;
// - handleCapsLockStateChanged() resets border and shadow and lays the Caps
//   Lock look on or takes it off;
// - enableInputMethodStyle() / disableInputMethodStyle() switch the feature;
//   disabling reassigns the stored style.
// Each of them assigns through setCurrentStyle(), so the write path above
// stays the only one.
void BrindotStyleManager::setupInputMethodStyleMonitoring() {}
void BrindotStyleManager::handleInputMethodChanged() {}
void BrindotStyleManager::handleCapsLockStateChanged(const platform::Notification&) {}
void BrindotStyleManager::handleInputMethodStyleConfigChanged() {}
void BrindotStyleManager::applyInputMethodStyle(const BrindotStyle&) {}
void BrindotStyleManager::enableInputMethodStyle() {}
void BrindotStyleManager::disableInputMethodStyle() {}

}  // namespace zorbel
