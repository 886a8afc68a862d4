#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/LiquidGlass/GlassSurface.h"

namespace zorbel {

// The animated border laid over the whole settings window in the
// liquid-glass theme: a faint white outline and one brighter edge that
// steps round the window, top, trailing, bottom, leading. Clicks pass through.
class LiquidGlassOverlayView final : public GlassSurface {
public:
    explicit LiquidGlassOverlayView(QWidget* parent = nullptr);

    // Radians the refraction phase gains per second; it starts again from 0
    // once it passes 2π.
    static constexpr double phaseSpeed = 0.6;
    static double refractionPhase(double seconds);
    // The edge lit at a phase, as the line's two ends in this view.
    static QLineF edgeHighlight(double phase, const QRectF& bounds);

protected:
    void paintEvent(QPaintEvent*) override;
    QRegion movedRegion(double before, double now) const override;

private:
    glass::CachedPainting outline_;
};

}  // namespace zorbel
