#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Reactive/Published.h"

#include <QPointF>

#include <memory>
#include <vector>

namespace zorbel {

class PerfectCaretManager;

// The switch for the caret indicator and the one place the rest of the
// system reads its state from: follows the stored on/off setting and the
// toggle notification, pushes style and blinking into the indicator, and
// mirrors its position and visibility.
class BrindotManager {
public:
    static BrindotManager& shared();
    BrindotManager();
    ~BrindotManager();
    BrindotManager(const BrindotManager&) = delete;
    BrindotManager& operator=(const BrindotManager&) = delete;

    static constexpr const char* toggleNotification = "brindotToggleChanged";
    static constexpr const char* styleChangedNotification = "BrindotStyleChanged";
    // Posted by the application just before it quits.
    static constexpr const char* willTerminateNotification = "applicationWillTerminate";

    bool isEnabled() const { return isEnabled_.get(); }
    // Every assignment, even of the same value, starts or stops the indicator.
    void setIsEnabled(bool enabled);
    rx::Publisher<bool> isEnabledPublisher() const { return isEnabled_.publisher(); }

    QPointF currentPosition() const { return currentPosition_.get(); }
    rx::Publisher<QPointF> currentPositionPublisher() const { return currentPosition_.publisher(); }
    bool isVisible() const { return isVisible_.get(); }
    rx::Publisher<bool> isVisiblePublisher() const { return isVisible_.publisher(); }

    void startBrindot();
    void stopBrindot();
    void handleConfigEnabledChange(bool enabled);
    void handleToggleNotification(bool enabled);
    void updatePerfectCaretConfiguration();
    void updatePerfectCaretStyle(const BrindotStyle& style);

    PerfectCaretManager& perfectCaretManager() { return *perfectCaretManager_; }

private:
    void setupPerfectCaret();
    void setupBindings();
    void setupTerminationObserver();

    rx::Published<bool> isEnabled_{false};
    rx::Published<QPointF> currentPosition_{QPointF(0, 0)};
    rx::Published<bool> isVisible_{false};
    std::unique_ptr<PerfectCaretManager> perfectCaretManager_;
    rx::CancellableSet cancellables_;
    // The two indicator subscriptions of the running indicator, replaced at
    // each start so repeated starts do not pile them up.
    rx::CancellableSet indicatorSubscriptions_;
    std::vector<platform::NotificationToken> observers_;
    std::shared_ptr<BrindotManager*> self_ = std::make_shared<BrindotManager*>(this);
};

}  // namespace zorbel
