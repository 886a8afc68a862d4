#pragma once

#include "Caret/Styles/PerfectCaretStyle.h"
#include "Platform/Scheduler.h"

#include <QRegion>
#include <QWidget>

#include <memory>

class QPainter;

namespace zorbel {

// Draws the indicator: the shape of the current drawing style with its
// shadow (or, for circles, a glow), and a short flash after moves and style
// changes while blinking is on. It fills the indicator panel.
class PerfectCaretView final : public QWidget {
public:
    explicit PerfectCaretView(QWidget* parent = nullptr);
    ~PerfectCaretView() override;

    const PerfectCaretStyle& style() const { return style_; }
    void updateStyle(const PerfectCaretStyle& style);

    bool enableBlinking() const { return enableBlinking_; }
    void setEnableBlinking(bool enabled) { enableBlinking_ = enabled; }
    // Ends a running flash at once and redraws at full opacity.
    void stopFlash();

    void startFlash();
    void flashTick();

    bool isFlashEffect() const { return isFlashEffect_; }
    int flashCount() const { return flashCount_; }
    static constexpr int maxFlashCount = 3;

    // The opacity the shape is drawn with right now.
    double currentOpacity() const;

    // Room around the shape for half the border, the shadow or glow, and 2 pt.
    static double margin(const PerfectCaretStyle& style);

    // The pixels of a panel of this size that the shape, its border and its
    // shadow cover at least half opaquely, at full opacity.
    QRegion opaqueRegion(const QSize& size) const;

    // Drawing, on any painter (the view's own, or an image in tests).
    void draw(QPainter& painter, const QRectF& bounds) const;
    void drawShadow(QPainter& painter, const QRectF& bounds) const;
    void drawShape(QPainter& painter, const QRectF& bounds) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void invalidateFlashTimer();

    PerfectCaretStyle style_;
    bool isFlashEffect_ = false;
    platform::TimerRef flashTimer_;
    int flashCount_ = 0;
    bool enableBlinking_ = false;
    std::shared_ptr<PerfectCaretView*> self_ = std::make_shared<PerfectCaretView*>(this);
};

}  // namespace zorbel
