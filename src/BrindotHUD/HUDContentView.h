#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "Platform/Scheduler.h"

#include <QImage>
#include <QTransform>
#include <QWidget>

#include <memory>
#include <vector>

class QPainter;

namespace zorbel {

// The one view of the HUD panel: the background in the stored style, colour
// scheme and shape, then the items in a row, a column or a two-column grid,
// or a placeholder without items. Resting the pointer on it for half a second
// shows a hint above the panel.
class HUDContentView final : public QWidget {
public:
    HUDContentView(std::vector<HUDContentItem> items, BrindotHUDConfig config, QWidget* parent = nullptr);
    ~HUDContentView() override;

    const std::vector<HUDContentItem>& contentItems() const { return contentItems_; }
    // The content is drawn again only for items and settings it did not draw
    // lately: switching back and forth between input methods reuses the
    // pictures of both.
    void setContent(std::vector<HUDContentItem> items, BrindotHUDConfig config);
    const BrindotHUDConfig& config() const { return config_; }

    // A transform applied about the view's centre while drawing (flip and
    // rotate animations).
    void setLayerTransform(const QTransform& transform);
    const QTransform& layerTransform() const { return layerTransform_; }
    // The size the panel rests at. The content is drawn once at that size
    // and reused: animation steps that resize, fade or turn the panel only
    // scale and transform the finished picture. Empty: the view's own size.
    void setRestingSize(const QSize& size);
    // How often the content itself (background, icons, texts) was drawn.
    int contentDrawCount() const { return contentDrawCount_; }

    QColor backgroundColor() const;
    QWidget* tooltipWindow() const { return tooltipWindow_.get(); }
    void showTooltip();
    // The hint, shown or pending, goes (the panel left the screen).
    void dropTooltip();

    // The content, on any painter of the given size.
    void draw(QPainter& painter, const QSizeF& size);

    static const QString tooltipText;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void drawBackground(QPainter& p, const QSizeF& size);
    void drawHorizontalLayout(QPainter& p, const QSizeF& size);
    void drawVerticalLayout(QPainter& p, const QSizeF& size);
    void drawGridLayout(QPainter& p, const QSizeF& size);
    void drawEmptyState(QPainter& p, const QSizeF& size);
    void drawIcon(QPainter& p, const HUDContentItem& item, const QRectF& rect);

    std::vector<HUDContentItem> contentItems_;
    BrindotHUDConfig config_;
    QTransform layerTransform_;
    QSize restingSize_;
    struct Picture {
        std::vector<HUDContentItem> items;
        BrindotHUDConfig config;
        QImage image;  // at the resting size
    };
    static constexpr std::size_t keptPictures = 3;
    std::vector<Picture> pictures_;  // the latest first
    int contentDrawCount_ = 0;
    std::unique_ptr<QWidget> tooltipWindow_;
    platform::TimerRef tooltipTimer_;
    std::shared_ptr<HUDContentView*> self_ = std::make_shared<HUDContentView*>(this);
};

}  // namespace zorbel
