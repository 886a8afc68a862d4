#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Reactive/Published.h"
#include "Platform/Scheduler.h"

#include <QPointF>
#include <QRectF>

#include <memory>

class QWidget;

namespace zorbel {

class PerfectCaretView;

// Owns the indicator panel: a small top-level window that never takes focus,
// lets every click through, is kept out of task lists and window cycling,
// and is centred on the point it is given.
class PerfectCaretWindowController {
public:
    PerfectCaretWindowController();
    ~PerfectCaretWindowController();
    PerfectCaretWindowController(const PerfectCaretWindowController&) = delete;
    PerfectCaretWindowController& operator=(const PerfectCaretWindowController&) = delete;

    // The centre of the indicator, in the system's bottom-left coordinates.
    void show(const QPointF& centre);
    void hide();
    void setBlinkingEnabled(bool enabled);
    void updateStyle(const BrindotStyle& style);
    void handleSpaceChange();

    bool isVisible() const { return isVisible_.get(); }
    rx::Publisher<bool> isVisiblePublisher() const { return isVisible_.publisher(); }

    QWidget* window() const { return window_.get(); }
    PerfectCaretView* caretView() const { return caretView_; }
    // The panel's frame in the system's bottom-left coordinates.
    QRectF frame() const { return frame_; }
    // The panel's size for the drawn style: the shape with room for its border and shadow.
    QSizeF panelSize() const;

private:
    void setupWindow();
    void setupBindings();
    void setupWorkspaceObservers();
    void setFrame(const QRectF& frame);
    void animateFrame(const QRectF& frame);
    void flashAfterMove();
    void updateMask();

    std::unique_ptr<QWidget> window_;
    PerfectCaretView* caretView_ = nullptr;
    rx::Published<bool> isVisible_{false};
    QRectF frame_;
    rx::CancellableSet cancellables_;
    platform::NotificationToken spaceObserver_;
    platform::NotificationToken activationObserver_;
    platform::NotificationToken compositingObserver_;
    std::shared_ptr<PerfectCaretWindowController*> self_ = std::make_shared<PerfectCaretWindowController*>(this);
};

}  // namespace zorbel
