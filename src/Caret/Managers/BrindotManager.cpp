#include "Caret/Managers/BrindotManager.h"

#include "Caret/Core/ConfigManager.h"
#include "Caret/Core/Logger.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/Styles/PerfectCaretStyle.h"
#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

namespace zorbel {

BrindotManager& BrindotManager::shared() { return sharedInstance<BrindotManager>(); }

BrindotManager::BrindotManager() : perfectCaretManager_(std::make_unique<PerfectCaretManager>())
{
    auto& config = ConfigManager::shared();
    BrindotStyleManager::shared();
    print(QStringLiteral("[DEBUG] BrindotManager init() - starting initialization"));
    print(QStringLiteral("[DEBUG] ConfigManager.isBrindotEnabled: ") + text::boolean(config.isBrindotEnabled()));
    print(QStringLiteral("[DEBUG] BrindotManager.isEnabled initial value: ") + text::boolean(isEnabled_.get()));
    setupPerfectCaret();
    setupTerminationObserver();
    setupBindings();
    print(QStringLiteral("[DEBUG] After setupBindings - isEnabled: ") + text::boolean(isEnabled_.get()));
    Logger::shared().info(QStringLiteral("BrindotManager initialized"), ZHERE("init()"));
    print(QStringLiteral("[TEST] BrindotManager initialization completed successfully"));
}

BrindotManager::~BrindotManager()
{
    *self_ = nullptr;
    observers_.clear();
    rx::cancelAll(indicatorSubscriptions_);
    rx::cancelAll(cancellables_);
}

void BrindotManager::setIsEnabled(bool enabled)
{
    isEnabled_.set(enabled);
    if (enabled) {
        startBrindot();
    } else {
        stopBrindot();
    }
}

void BrindotManager::setupPerfectCaret()
{
    print(QStringLiteral("[DEBUG] Setting up perfect caret architecture"));
    perfectCaretManager_->configure(PerfectCaretConfiguration::defaultConfiguration());
    print(QStringLiteral("[DEBUG] Perfect caret architecture initialized successfully"));
}

void BrindotManager::setupBindings()
{
    setIsEnabled(ConfigManager::shared().isBrindotEnabled());
    print(QStringLiteral("[DEBUG] BrindotManager setupBindings: synced initial state - isEnabled: ") +
          text::boolean(isEnabled_.get()));
    ConfigManager::shared().isBrindotEnabledPublisher().sink([self = self_](const bool& enabled) {
        if (*self) (*self)->handleConfigEnabledChange(enabled);
    }).store(cancellables_);

    auto& center = platform::notificationCenter();
    observers_.push_back(center.addObserver(QString::fromLatin1(toggleNotification),
                                            [self = self_](const platform::Notification& n) {
        if (*self && n.object.typeId() == QMetaType::Bool) (*self)->handleToggleNotification(n.object.toBool());
    }));
    observers_.push_back(center.addObserver(QString::fromLatin1(ConfigManager::configChangedNotification),
                                            [self = self_](const platform::Notification&) {
        if (*self) (*self)->updatePerfectCaretConfiguration();
    }));
    observers_.push_back(center.addObserver(QString::fromLatin1(styleChangedNotification),
                                            [self = self_](const platform::Notification& n) {
        if (*self && n.object.canConvert<BrindotStyle>() && n.object.userType() == qMetaTypeId<BrindotStyle>())
            (*self)->updatePerfectCaretStyle(n.object.value<BrindotStyle>());
    }));
}

void BrindotManager::setupTerminationObserver()
{
    observers_.push_back(platform::notificationCenter().addObserver(
        QString::fromLatin1(willTerminateNotification), [self = self_](const platform::Notification&) {
            if (*self) (*self)->stopBrindot();
        }));
}

void BrindotManager::handleConfigEnabledChange(bool enabled)
{
    print(QStringLiteral("[DEBUG] BrindotManager setupBindings: config changed - isEnabled: ") +
          text::boolean(enabled));
    setIsEnabled(enabled);
}

void BrindotManager::handleToggleNotification(bool enabled)
{
    print(QStringLiteral("[DEBUG] BrindotManager received toggle notification: ") + text::boolean(enabled));
    setIsEnabled(enabled);
}

void BrindotManager::startBrindot()
{
    const auto& logger = Logger::shared();
    logger.info(QStringLiteral("Starting Perfect Caret"), ZHERE("startBrindot()"));
    perfectCaretManager_->enable();
    updatePerfectCaretConfiguration();
    rx::cancelAll(indicatorSubscriptions_);
    perfectCaretManager_->currentPositionPublisher().sink([self = self_](const std::optional<QPointF>& p) {
        if (!*self) return;
        (*self)->currentPosition_.set(p.value_or(QPointF(0, 0)));
        (*self)->isVisible_.set(p.has_value());
    }).store(indicatorSubscriptions_);
    perfectCaretManager_->isEnabledPublisher().sink([self = self_](const bool& enabled) {
        if (*self && !enabled) (*self)->isVisible_.set(false);
    }).store(indicatorSubscriptions_);
    logger.info(QStringLiteral("Perfect Caret started successfully"), ZHERE("startBrindot()"));
}

void BrindotManager::stopBrindot()
{
    const auto& logger = Logger::shared();
    logger.info(QStringLiteral("Stopping Perfect Caret"), ZHERE("stopBrindot()"));
    perfectCaretManager_->disable();
    logger.info(QStringLiteral("Perfect Caret stopped"), ZHERE("stopBrindot()"));
}

void BrindotManager::updatePerfectCaretConfiguration()
{
    PerfectCaretConfiguration configuration;
    configuration.style = PerfectCaretStyle(BrindotStyleManager::shared().drawnStyle());
    configuration.enableBlinking = ConfigManager::shared().enableBlinking();
    configuration.animationDuration = 0.1;
    perfectCaretManager_->configure(configuration);
    Logger::shared().debug(QStringLiteral("Perfect caret configuration updated - blinking: ") +
                               text::boolean(configuration.enableBlinking),
                           ZHERE("updatePerfectCaretConfiguration()"));
}

void BrindotManager::updatePerfectCaretStyle(const BrindotStyle& style)
{
    perfectCaretManager_->updateStyle(PerfectCaretStyle(style));
    Logger::shared().debug(QStringLiteral("Perfect caret style updated from BrindotStyleManager"),
                           ZHERE("updatePerfectCaretStyle(from:)"));
}

}  // namespace zorbel
