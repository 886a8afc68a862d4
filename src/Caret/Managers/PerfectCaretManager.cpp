#include "Caret/Managers/PerfectCaretManager.h"

#include "Caret/Core/Logger.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/Styles/IndicatorPlacement.h"
#include "Caret/Styles/StyleBounds.h"
#include "Caret/UI/PerfectCaretView.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/Workspace.h"

namespace zorbel {

PerfectCaretManager::PerfectCaretManager()
    : caretTracker_(std::make_unique<PerfectCaretTracker>()),
      windowController_(std::make_unique<PerfectCaretWindowController>())
{
    setupBindings();
}

PerfectCaretManager::~PerfectCaretManager()
{
    *self_ = nullptr;
    rx::cancelAll(cancellables_);
}

void PerfectCaretManager::setupBindings()
{
    caretTracker_->currentCaretPositionPublisher().receiveOnMain().sink(
        [self = self_](const std::optional<QPointF>& p) {
            if (*self) (*self)->handleCaretPositionChange(p);
        }).store(cancellables_);
    caretTracker_->isTrackingPublisher().receiveOnMain().sink([self = self_](const bool& tracking) {
        if (*self && !tracking && (*self)->isEnabled_.get()) (*self)->windowController_->hide();
    }).store(cancellables_);
}

void PerfectCaretManager::enable()
{
    if (isEnabled_.get()) return;
    const auto& logger = Logger::shared();
    logger.info(QStringLiteral("Enabling perfect caret"), ZHERE("enable()"));
    isEnabled_.set(true);
    caretTracker_->startTracking();
    logger.info(QStringLiteral("Perfect caret enabled successfully"), ZHERE("enable()"));
}

void PerfectCaretManager::disable()
{
    if (!isEnabled_.get()) return;
    const auto& logger = Logger::shared();
    logger.info(QStringLiteral("Disabling perfect caret"), ZHERE("disable()"));
    isEnabled_.set(false);
    caretTracker_->stopTracking();
    windowController_->hide();
    logger.info(QStringLiteral("Perfect caret disabled successfully"), ZHERE("disable()"));
}

void PerfectCaretManager::handleCaretPositionChange(const std::optional<QPointF>& caret)
{
    if (!caret) {
        currentPosition_.set(std::nullopt);
        windowController_->hide();
        Logger::shared().debug(QStringLiteral("Perfect caret hidden - no position"),
                               ZHERE("handleCaretPositionChange(_:)"));
        return;
    }
    const QPointF q = indicatorPosition(*caret);
    currentPosition_.set(q);
    windowController_->show(q);
    // Said at every keystroke: the line is only made where it is kept.
    const auto& logger = Logger::shared();
    if (!logger.isDebugMode()) return;
    logger.debug(QStringLiteral("Perfect caret positioned at: ") + text::point(q) + QStringLiteral(" (from system caret: ") +
                     text::point(*caret) + QLatin1Char(')'),
                 ZHERE("handleCaretPositionChange(_:)"));
}

QPointF PerfectCaretManager::indicatorPosition(const QPointF& caret) const
{
    return indicatorPointOnScreen(caret, BrindotStyleManager::shared().currentStyle(), windowController_->panelSize(),
                                  platform::workspace().screens());
}

void PerfectCaretManager::updateStyle(const PerfectCaretStyle& style)
{
    if (auto* view = windowController_->caretView()) view->updateStyle(style);
    Logger::shared().debug(QStringLiteral("Perfect caret style updated"), ZHERE("updateStyle(_:)"));
}

void PerfectCaretManager::setBlinkingEnabled(bool enabled)
{
    windowController_->setBlinkingEnabled(enabled);
    Logger::shared().debug(QStringLiteral("Perfect caret blinking set to: ") + text::boolean(enabled),
                           ZHERE("setBlinkingEnabled(_:)"));
}

void PerfectCaretManager::configure(const PerfectCaretConfiguration& configuration)
{
    updateStyle(configuration.style);
    setBlinkingEnabled(configuration.enableBlinking);
    Logger::shared().info(QStringLiteral("Perfect caret configured with: ") + description(configuration),
                          ZHERE("configure(with:)"));
}

}  // namespace zorbel
