#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/LiquidGlass/GlassSurface.h"

namespace zorbel {

// Wraps one liquid-glass section and lays the animated refraction rim
// behind it, the size of the section. It adds no padding or card: the
// section brings its own.
class LiquidGlassControlContainer final : public GlassSurface {
public:
    LiquidGlassControlContainer(QWidget* content, const glass::GlassTint& tint, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    static constexpr double cornerRadius = 16;
    static constexpr double refractionPeriod = 8.0;
    static constexpr double dropletPeriod = 15.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    QRegion movedRegion(double before, double now) const override;

private:
    QRegion detailRegion(double seconds) const;

    QWidget* content_;
    glass::GlassTint tint_;
    glass::CachedPainting highlights_;  // the still light along the top and leading edges
};

}  // namespace zorbel
