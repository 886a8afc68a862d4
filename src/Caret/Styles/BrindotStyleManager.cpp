#include "Caret/Styles/BrindotStyleManager.h"

#include "Caret/Core/Logger.h"
#include "Caret/Styles/BrindotStyleJson.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"
#include "Features/InputMethodStyle/Utils/CapsLockDetector.h"
#include "Platform/InputSources.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/UserDefaults.h"

#include <QDateTime>

namespace zorbel {

namespace {
platform::UserDefaults& standardDefaults() { return platform::userDefaults().standard(); }
QString key() { return QString::fromLatin1(BrindotStyleManager::defaultsKey); }
QString userKey() { return QString::fromLatin1(BrindotStyleManager::userStyleKey); }

// A stored style record, or why it cannot be read.
json::Result<BrindotStyle> storedStyle(const QString& key)
{
    const auto data = standardDefaults().dataForKey(key);
    return data ? decodeBrindotStyle(*data)
                : json::Result<BrindotStyle>::failure(QStringLiteral("The stored value is not data"));
}

// The user's stored style; `current` where a file has no such record yet (it
// comes from before it) or the record cannot be read.
BrindotStyle storedUserStyleOr(const BrindotStyle& current)
{
    if (!standardDefaults().contains(userKey())) return current;
    const auto decoded = storedStyle(userKey());
    if (decoded.ok()) return *decoded.value;
    Logger::shared().warning(QStringLiteral("Failed to load the user's style: ") + decoded.error +
                                 QStringLiteral(", using the current one"),
                             ZHERE("loadStyle()"));
    return current;
}
}  // namespace

BrindotStyleManager& BrindotStyleManager::shared() { return sharedInstance<BrindotStyleManager>(); }

BrindotStyleManager::BrindotStyleManager()
    : currentStyle_(loadStyle()), drawnStyle_(currentStyle_.get()), logger_(Logger::shared()),
      userStyle_(storedUserStyleOr(currentStyle_.get()))
{
    logger_.info(QStringLiteral("BrindotStyleManager initialized"), ZHERE("init()"));
    setupInputMethodStyleMonitoring();
}

BrindotStyleManager::~BrindotStyleManager() { *self_ = nullptr; }

void BrindotStyleManager::setCurrentStyle(const BrindotStyle& style) { assign(style, false); }

void BrindotStyleManager::assign(const BrindotStyle& style, bool withUserStyle)
{
    currentStyle_.set(style);
    drawnStyle_.set(layered(style));
    storeStyles(withUserStyle);
    notifyStyleChanged();
}

void BrindotStyleManager::editUserStyle(const std::function<void(BrindotStyle&)>& change)
{
    BrindotStyle user = userStyle_;
    change(user);
    BrindotStyle current = currentStyle();
    change(current);
    userStyle_ = user;
    assign(current, true);
}

void BrindotStyleManager::setUserStyle(const BrindotStyle& style)
{
    editUserStyle([&style](BrindotStyle& s) { s = style; });
}

void BrindotStyleManager::addStyleChangeCallback(StyleChangeCallback callback)
{
    styleChangeCallbacks_.push_back(std::move(callback));
}

void BrindotStyleManager::applyPresetStyle(const PresetStyle& preset)
{
    setUserStyle(preset.style);
    logger_.info(QStringLiteral("Applied preset style: ") + preset.name, ZHERE("applyPresetStyle(_:)"));
}

void BrindotStyleManager::resetToDefault()
{
    setUserStyle(BrindotStyle::defaultStyle());
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
                                        QVariant::fromValue(drawnStyle()));
    logger_.debug(QStringLiteral("Style changed notification sent"), ZHERE("notifyStyleChanged()"));
}

bool BrindotStyleManager::keepUnreadableStoredStyle(const QString& key, bool& kept)
{
    if (kept) return true;
    auto& defaults = standardDefaults();
    const auto stored = defaults.object(key);
    const auto data = defaults.dataForKey(key);
    if (!stored || (data && decodeBrindotStyle(*data).ok())) {
        kept = true;
        return true;
    }
    // A huge record is no style anybody set: copying it would double the settings file, past
    // what the next start reads back, and every setting would read as its default.
    const qsizetype size = data ? data->size() : stored->toString().size();
    if (size > maximumKeptRecordBytes) {
        logger_.warning(QStringLiteral("The unreadable stored style (%1 bytes) is larger than %2 bytes and is not kept")
                            .arg(size)
                            .arg(maximumKeptRecordBytes),
                        ZHERE("saveStyle()"));
        kept = true;
        return true;
    }
    const QString base =
        key + QStringLiteral(".damaged-") + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = base;
    for (int n = 2; defaults.contains(copy); ++n) copy = base + QStringLiteral("-%1").arg(n);
    if (!defaults.setObject(copy, *stored)) {
        logger_.error(QStringLiteral("Failed to save style: the unreadable stored style could not be kept, so it is not "
                                     "replaced"),
                      ZHERE("saveStyle()"));
        return false;
    }
    logger_.warning(QStringLiteral("The unreadable stored style was kept as \"") + copy + QStringLiteral("\""),
                    ZHERE("saveStyle()"));
    kept = true;
    return true;
}

void BrindotStyleManager::saveStyle() { storeStyles(false); }

std::optional<QByteArray> BrindotStyleManager::encodedForStore(const BrindotStyle& style, const QString& key,
                                                               bool& kept, const QString& failure)
{
    const auto encoded = encodeJson(style);
    if (!encoded.ok()) {
        logger_.error(failure + encoded.error, ZHERE("saveStyle()"));
        return std::nullopt;
    }
    // What could not be read is still the user's: it is kept before anything replaces it.
    if (!keepUnreadableStoredStyle(key, kept)) return std::nullopt;
    return *encoded.value;
}

// Both records go in one write: a style page edit replaces the settings file
// once, and the two are never found apart.
void BrindotStyleManager::storeStyles(bool withUserStyle)
{
    std::map<QString, QVariant> records;
    if (withUserStyle) {
        if (auto user = encodedForStore(userStyle_, userKey(), storedUserStyleKept_,
                                        QStringLiteral("Failed to save the user's style: ")))
            records[userKey()] = *user;
    }
    const auto current = encodedForStore(currentStyle(), key(), storedStyleKept_, QStringLiteral("Failed to save style: "));
    if (current) records[key()] = *current;
    if (records.empty()) return;
    if (!standardDefaults().setObjects(records)) {
        logger_.error(QStringLiteral("Failed to save style: the settings store could not be written"),
                      ZHERE("saveStyle()"));
        return;
    }
    if (current) logger_.debug(QStringLiteral("Style saved"), ZHERE("saveStyle()"));
}

BrindotStyle BrindotStyleManager::loadStyle()
{
    const auto& defaults = standardDefaults();
    if (!defaults.contains(key())) return BrindotStyle::defaultStyle();
    // What cannot be read stays stored: only the next assignment replaces it.
    const auto decoded = storedStyle(key());
    if (decoded.ok()) return *decoded.value;
    Logger::shared().warning(QStringLiteral("Failed to load style: ") + decoded.error + QStringLiteral(", using default"),
                             ZHERE("loadStyle()"));
    return BrindotStyle::defaultStyle();
}

void BrindotStyleManager::setupInputMethodStyleMonitoring()
{
    // Each handler runs on a later turn of the main loop, so a change made
    // while handling one (a first mapping being stored) is handled after it.
    auto later = [self = self_](void (BrindotStyleManager::*handler)()) {
        platform::scheduler().post([self, handler]() {
            if (*self) ((*self)->*handler)();
        });
    };
    if (auto* sources = platform::services().inputSources)
        cancellables_.push_back(sources->observeSelectionChanges(
            [later]() { later(&BrindotStyleManager::handleInputMethodChanged); }));
    auto& center = platform::notificationCenter();
    observations_.push_back(center.addObserver(QString::fromLatin1(CapsLockDetector::stateChangedNotification),
                                               [self = self_](const platform::Notification& n) {
                                                   platform::scheduler().post([self, n]() {
                                                       if (*self) (*self)->handleCapsLockStateChanged(n);
                                                   });
                                               }));
    observations_.push_back(center.addObserver(
        QString::fromLatin1(InputMethodStyleMapper::configChangedNotification),
        [later](const platform::Notification&) { later(&BrindotStyleManager::handleInputMethodStyleConfigChanged); }));
    logger_.debug(QStringLiteral("Input method style monitoring setup completed"),
                  ZHERE("setupInputMethodStyleMonitoring()"));
}

void BrindotStyleManager::handleInputMethodStyleConfigChanged()
{
    logger_.debug(QStringLiteral("Input method style config changed"), ZHERE("handleInputMethodStyleConfigChanged()"));
    handleInputMethodChanged();
    // The Caps Lock switch of the configuration may have changed.
    showCapsLockLook(capsLockLookWanted(CapsLockDetector::shared().isCapsLockOn()));
}

void BrindotStyleManager::handleInputMethodChanged()
{
    auto& mapper = InputMethodStyleMapper::shared();
    if (!mapper.config().enabled) {
        logger_.debug(QStringLiteral("Input method style feature disabled"), ZHERE("handleInputMethodChanged()"));
        return;
    }
    const auto source = mapper.inputSourceManager().currentInputSource();
    if (!source) {
        logger_.debug(QStringLiteral("No current input source"), ZHERE("handleInputMethodChanged()"));
        return;
    }
    logger_.info(QStringLiteral("Input method changed to: ") + source->name, ZHERE("handleInputMethodChanged()"));
    const int index = mapper.getStyleIndex(source->id);
    // The preset recolours the user's own style, never a preset laid before.
    const BrindotStyle style = StylePresetProvider::shared().style(index, userStyle_);
    baseStyle_ = style;
    applyInputMethodStyle(style);
    logger_.info(QStringLiteral("Applied style ") + QString::number(index) + QStringLiteral(" for input method: ") +
                     source->name,
                 ZHERE("handleInputMethodChanged()"));
}

bool BrindotStyleManager::capsLockLookWanted(bool capsLockOn) const
{
    const auto& detector = CapsLockDetector::shared();
    return detector.isEnabled() && InputMethodStyleMapper::shared().config().capsLockIndicatorEnabled && capsLockOn;
}

BrindotStyle BrindotStyleManager::layered(const BrindotStyle& style) const
{
    return capsLockLook_ ? CapsLockDetector::shared().applyCapsLockIndicator(style) : style;
}

void BrindotStyleManager::applyInputMethodStyle(const BrindotStyle& style)
{
    // The user's colours are about to leave "BrindotStyle": a file from before
    // the user's record gets it now, so they survive a restart.
    const bool userStyleUnstored = !standardDefaults().contains(userKey());
    capsLockLook_ = capsLockLookWanted(CapsLockDetector::shared().isCapsLockOn());
    assign(style, userStyleUnstored);
}

void BrindotStyleManager::showCapsLockLook(bool shown)
{
    if (shown == capsLockLook_) return;
    capsLockLook_ = shown;
    drawnStyle_.set(layered(currentStyle()));
    platform::notificationCenter().post(QString::fromLatin1(styleChangedNotification), QVariant::fromValue(drawnStyle()));
}

void BrindotStyleManager::handleCapsLockStateChanged(const platform::Notification& notification)
{
    const QVariant isOn = notification.userInfo.value(QStringLiteral("isOn"));
    if (isOn.typeId() != QMetaType::Bool) return;
    const bool on = isOn.toBool();
    logger_.debug(QStringLiteral("Caps Lock state changed: ") + text::boolean(on), ZHERE("handleCapsLockStateChanged(_:)"));
    showCapsLockLook(capsLockLookWanted(on));
    logger_.debug(capsLockLook_ ? QStringLiteral("Applied Caps Lock indicator") : QStringLiteral("Removed Caps Lock indicator"),
                  ZHERE("handleCapsLockStateChanged(_:)"));
}

void BrindotStyleManager::enableInputMethodStyle()
{
    inputMethodStyleEnabled_ = true;
    handleInputMethodChanged();
    logger_.info(QStringLiteral("Input method style feature enabled"), ZHERE("enableInputMethodStyle()"));
}

void BrindotStyleManager::disableInputMethodStyle()
{
    inputMethodStyleEnabled_ = false;
    // Read again: another session of the settings may have changed it.
    if (standardDefaults().contains(userKey())) {
        if (const auto stored = storedStyle(userKey()); stored.ok()) userStyle_ = *stored.value;
    }
    setCurrentStyle(userStyle_);
    logger_.info(QStringLiteral("Input method style feature disabled"), ZHERE("disableInputMethodStyle()"));
}

}  // namespace zorbel
