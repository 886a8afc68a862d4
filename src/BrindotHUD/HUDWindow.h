#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "BrindotHUD/HUDAnimation.h"
#include "BrindotHUD/HUDGeometry.h"

#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace zorbel {

class HUDContentView;

// The floating panel that carries the HUD: a frameless top-level that stays
// above other windows, never takes the keyboard focus and is kept out of task
// lists and window cycling, but takes the mouse so the user can drag it
// aside. It sizes itself for its items, places itself beside an anchor and
// runs the configured show and hide animations. One panel serves every show:
// hidden, it stays mapped but stands outside every screen (the X server keeps
// no screen at negative coordinates), so showing it again is one move and a
// raise rather than mapping a window, and it is given the next show's settings
// and items; its content is drawn again only when those changed. Frames are in
// the system's bottom-left coordinates.
class HUDWindow final : public QWidget {
public:
    HUDWindow(BrindotHUDConfig config, std::vector<HUDContentItem> items, double originalAlpha);
    ~HUDWindow() override;

    const BrindotHUDConfig& config() const { return config_; }
    const std::vector<HUDContentItem>& contentItems() const { return contentItems_; }
    HUDContentView* hudContentView() const { return contentView_; }
    // The settings and items of the next show (or of the panel on screen).
    void setContent(BrindotHUDConfig config, std::vector<HUDContentItem> items, double originalAlpha);

    void setupContentView();
    QSizeF contentSize() const;
    QPointF origin(const QPointF& anchor, const QSizeF& size) const;

    QRectF frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    void setFrameOrigin(const QPointF& origin) { setFrame(QRectF(origin, frame_.size())); }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);

    // Puts the panel on screen, above every other window; first restores its
    // mouse handling.
    void orderFront();
    // Mouse-moved events on, and clicks taken, unless the panel is too faint
    // to be seen: then clicks go through to the window below.
    void restoreMouseHandling();
    bool acceptsMouseMovedEvents() const { return hasMouseTracking(); }
    void setAcceptsMouseMovedEvents(bool on) { setMouseTracking(on); }
    bool ignoresMouseEvents() const { return windowFlags().testFlag(Qt::WindowTransparentForInput); }
    // Only before the panel is on screen: a changed window flag hides a shown window.
    void setIgnoresMouseEvents(bool on) { setWindowFlag(Qt::WindowTransparentForInput, on); }
    // Sets the animation's first state at once: called before the panel is
    // put on screen, it never shows at its resting frame first.
    void showAnimated();
    // Leaves with the hide animation; `gone` runs once the panel is off screen.
    void hide(std::function<void()> gone = {});
    bool isAnimating() const { return animation_.isRunning(); }
    // Where the user can see it (also while it leaves).
    bool isOnScreen() const { return isVisible() && !parked_; }
    // On screen and not on its way out.
    bool isShown() const { return isOnScreen() && !leaving_; }
    // Ends a running animation and any drag where the panel rests.
    void settle();

    bool isInTemporaryPosition = false;
    bool isDragging = false;
    std::optional<QPointF> dragStartMouseLocation;
    std::optional<QPointF> dragStartWindowOrigin;
    double originalAlpha;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void apply(const hud::PanelState& state);
    // The content is drawn once, at the frame the panel rests at.
    void keepRestingPicture();
    void updateMask();
    std::optional<QPointF> mouseLocation() const;
    void fadeTo(double alpha);
    // Off every screen, still mapped.
    void park();

    BrindotHUDConfig config_;
    std::vector<HUDContentItem> contentItems_;
    bool leaving_ = false;
    bool parked_ = false;
    HUDContentView* contentView_ = nullptr;
    QRectF frame_;
    double alpha_ = 1;
    hud::PanelState applied_;
    hud::PanelAnimation animation_;
    hud::PanelAnimation dragFade_;
};

}  // namespace zorbel
