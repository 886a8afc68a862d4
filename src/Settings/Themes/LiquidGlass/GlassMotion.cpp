#include "Settings/Themes/LiquidGlass/GlassMotion.h"

#include <algorithm>
#include <cmath>

namespace zorbel::glass {

double loopPhase(double seconds, double period)
{
    if (period <= 0) return 0;
    const double turns = seconds / period;
    return (turns - std::floor(turns)) * kTwoPi;
}

std::array<RadialFill, 2> waterVeil(double x)
{
    using std::cos, std::sin;
    return {{
        {{sin(x) * 0.3 + 0.3, cos(1.3 * x) * 0.3 + 0.4}, 50, 300, sin(0.6 * x) * 0.1 + 1.0},
        {{cos(0.9 * x) * 0.2 + 0.7, sin(1.1 * x) * 0.2 + 0.6}, 40, 250, cos(0.8 * x) * 0.08 + 1.0},
    }};
}

std::array<RadialFill, 2> holographicTint(double x)
{
    using std::cos, std::sin;
    return {{
        {{sin(0.2 * x) * 0.15 + 0.5, cos(0.3 * x) * 0.15 + 0.5}, 15, 150, sin(0.1 * x) * 0.05 + 1.0},
        {{cos(0.4 * x) * 0.2 + 0.3, sin(0.2 * x) * 0.2 + 0.7}, 12, 120, cos(0.2 * x) * 0.04 + 1.0},
    }};
}

std::array<Caustic, 2> caustics(double x)
{
    using std::cos, std::sin;
    return {{
        {{100, 35}, 3, 50, sin(x) * 12, {sin(x) * 60, cos(1.2 * x) * 40}, sin(1.5 * x) * 0.1 + 0.8},
        {{70, 25}, 4, 35, cos(0.8 * x) * 15, {cos(0.8 * x) * 45, sin(1.1 * x) * 30}, cos(1.3 * x) * 0.15 + 0.7},
    }};
}

QRectF causticReach(const QSizeF& size)
{
    // Largest offset plus half the largest frame, with room for the soft edge.
    const QPointF c(size.width() / 2, size.height() / 2);
    return QRectF(c - QPointF(60 + 56, 40 + 56), c + QPointF(60 + 56, 40 + 56));
}

std::optional<GlowStrip> contourGlow(double phase, const QSizeF& size)
{
    const double p = phase - std::trunc(phase);
    if (p < 0) return std::nullopt;
    const double i = std::sin(kTwoPi * p) * 0.3 + 0.7;
    const double w = size.width();
    const double h = size.height();
    if (p <= 0.25) return GlowStrip{GlowStrip::Edge::Top, QRectF(0, 0, w, 2), i};
    if (p <= 0.5) return GlowStrip{GlowStrip::Edge::Trailing, QRectF(w - 2, 0, 2, h), i};
    if (p <= 0.75) return GlowStrip{GlowStrip::Edge::Bottom, QRectF(0, h - 2, w, 2), i};
    return GlowStrip{GlowStrip::Edge::Leading, QRectF(0, 0, 2, h), i};
}

namespace {
Droplet circling(double size, double angle, double radius, const QSizeF& area)
{
    return {QPointF(area.width() / 2 + std::cos(angle) * radius, area.height() / 2 + std::sin(angle) * radius), size};
}
}  // namespace

Droplet windowDroplet(int index, double phase, const QSizeF& size)
{
    const double k = static_cast<double>(index);
    return circling(std::sin(phase + k) * 1.5 + 2.0, phase + k * M_PI * 0.25,
                    0.4 * std::min(size.width(), size.height()), size);
}

Droplet controlDroplet(int index, double phase, const QSizeF& size)
{
    const double k = static_cast<double>(index);
    return circling(std::sin(phase + k) + 1.5, phase + k * M_PI * 0.5, 0.25 * std::min(size.width(), size.height()),
                    size);
}

std::array<Orb, 2> rimOrbs(double phase, const QSizeF& size, double c)
{
    return {{
        {QPointF(size.width() - 1.5 * c, 1.5 * c), 1.5 * c, std::sin(phase) * 0.1 + 1},
        {QPointF(c, size.height() - c), c, std::cos(1.3 * phase) * 0.08 + 1},
    }};
}

}  // namespace zorbel::glass
