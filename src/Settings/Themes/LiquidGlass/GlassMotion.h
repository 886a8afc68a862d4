#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <optional>

// Where the moving parts of the liquid-glass layers are for given phases.
// Pure geometry, in the widget's own top-left coordinates, so the drawing code
// and the repaint regions agree and both can be checked without a display.
namespace zorbel::glass {

constexpr double kTwoPi = 6.283185307179586;

// The phase of a linear animation that runs from 0 to 2π over `period`
// seconds and starts again from 0, `seconds` after it began.
double loopPhase(double seconds, double period);

// A radial-gradient fill over a whole layer, scaled about the layer's centre.
struct RadialFill {
    QPointF unitCentre;
    double startRadius = 0;
    double endRadius = 0;
    double scale = 1;
};
std::array<RadialFill, 2> waterVeil(double phase);
std::array<RadialFill, 2> holographicTint(double phase);

// A small glowing ellipse around the layer's centre.
struct Caustic {
    QSizeF frame;
    double startRadius = 0;
    double endRadius = 0;
    double rotationDegrees = 0;
    QPointF offset;
    double scale = 1;
};
std::array<Caustic, 2> caustics(double phase);
// The area a caustic can cover, wherever its phase puts it.
QRectF causticReach(const QSizeF& size);

// The light strip that runs round the rim: one edge per quarter of the
// phase's fractional part; none for a negative phase.
struct GlowStrip {
    enum class Edge { Top, Trailing, Bottom, Leading } edge;
    QRectF rect;
    double intensity = 0;
};
std::optional<GlowStrip> contourGlow(double phase, const QSizeF& size);

// A droplet circling the centre of a layer.
struct Droplet {
    QPointF centre;
    double size = 0;
};
// The eight droplets of a window-scale rim, 45 degrees apart.
Droplet windowDroplet(int index, double phase, const QSizeF& size);
// The four droplets of a control's rim, 90 degrees apart.
Droplet controlDroplet(int index, double phase, const QSizeF& size);

// The two breathing light orbs in opposite corners of a control's rim.
struct Orb {
    QPointF centre;
    double radius = 0;  // before scaling
    double scale = 1;
};
std::array<Orb, 2> rimOrbs(double phase, const QSizeF& size, double cornerRadius);

}  // namespace zorbel::glass
