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
// runs the configured show and hide animations. Frames are in the system's
// bottom-left coordinates.
class HUDWindow final : public QWidget {
public:
    HUDWindow(BrindotHUDConfig config, std::vector<HUDContentItem> items, double originalAlpha);
    ~HUDWindow() override;

    const BrindotHUDConfig& config() const { return config_; }
    const std::vector<HUDContentItem>& contentItems() const { return contentItems_; }
    HUDContentView* hudContentView() const { return contentView_; }

    void setupContentView();
    QSizeF contentSize() const;
    QPointF origin(const QPointF& anchor, const QSizeF& size) const;

    QRectF frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    void setFrameOrigin(const QPointF& origin) { setFrame(QRectF(origin, frame_.size())); }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);

    void orderFront();
    void showAnimated();
    // Leaves with the hide animation; `gone` runs once the panel is off screen.
    void hide(std::function<void()> gone = {});
    bool isAnimating() const { return animation_.isRunning(); }

    bool isInTemporaryPosition = false;
    bool isDragging = false;
    std::optional<QPointF> dragStartMouseLocation;
    std::optional<QPointF> dragStartWindowOrigin;
    const double originalAlpha;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void apply(const hud::PanelState& state);
    void updateMask();
    std::optional<QPointF> mouseLocation() const;
    void fadeTo(double alpha);

    const BrindotHUDConfig config_;
    const std::vector<HUDContentItem> contentItems_;
    HUDContentView* contentView_ = nullptr;
    QRectF frame_;
    double alpha_ = 1;
    hud::PanelAnimation animation_;
    hud::PanelAnimation dragFade_;
};

}  // namespace zorbel
