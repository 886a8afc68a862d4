#pragma once

#include "Caret/Styles/PerfectCaretStyle.h"
#include "Platform/Reactive/Published.h"

#include <QPointF>

#include <memory>
#include <optional>

namespace zorbel {

class PerfectCaretTracker;
class PerfectCaretWindowController;

// Joins the caret tracker to the indicator panel: switches tracking on and
// off, turns each caret point into the indicator's centre, and shows, moves
// or hides the panel.
class PerfectCaretManager {
public:
    PerfectCaretManager();
    ~PerfectCaretManager();
    PerfectCaretManager(const PerfectCaretManager&) = delete;
    PerfectCaretManager& operator=(const PerfectCaretManager&) = delete;

    void enable();
    void disable();
    void setBlinkingEnabled(bool enabled);
    void configure(const PerfectCaretConfiguration& configuration);
    void updateStyle(const PerfectCaretStyle& style);
    void handleCaretPositionChange(const std::optional<QPointF>& caret);
    // The indicator's centre for a caret point, from the stored style's
    // relative position and offsets, the panel kept on the caret's screen.
    QPointF indicatorPosition(const QPointF& caret) const;

    bool isEnabled() const { return isEnabled_.get(); }
    rx::Publisher<bool> isEnabledPublisher() const { return isEnabled_.publisher(); }
    std::optional<QPointF> currentPosition() const { return currentPosition_.get(); }
    rx::Publisher<std::optional<QPointF>> currentPositionPublisher() const { return currentPosition_.publisher(); }

    PerfectCaretTracker& caretTracker() { return *caretTracker_; }
    PerfectCaretWindowController& windowController() { return *windowController_; }

private:
    void setupBindings();

    rx::CancellableSet cancellables_;
    std::unique_ptr<PerfectCaretTracker> caretTracker_;
    std::unique_ptr<PerfectCaretWindowController> windowController_;
    rx::Published<bool> isEnabled_{false};
    rx::Published<std::optional<QPointF>> currentPosition_;
    std::shared_ptr<PerfectCaretManager*> self_ = std::make_shared<PerfectCaretManager*>(this);
};

}  // namespace zorbel
