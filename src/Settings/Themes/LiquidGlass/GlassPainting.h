#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

#include <functional>
#include <vector>
#include <QRegion>

class QPainter;
class QWidget;
class QPainterPath;

// Painting of the liquid-glass layers. Real background blur needs a
// compositor and off-screen passes; here soft painted gradients stand for it,
// which keeps a repaint cheap and looks the same with or without a compositor.
namespace zorbel::glass {

// The three colours the glass layers tint with, taken from the theme's palette.
struct GlassTint {
    QColor blue;
    QColor green;
    QColor accentOrange;
};

// A still background kept as a picture and painted again only when the
// widget's size changes: glass outlines and material paths are costly to
// rasterise on every frame of the animated layers below them.
class CachedPainting {
public:
    // Draws the part of the picture within `dirty` (the paint event's region).
    void draw(QPainter& p, const QWidget& widget, const QRegion& dirty,
              const std::function<void(QPainter&, const QRectF&)>& paint);
    void invalidate() { image_ = QImage(); }

private:
    QImage image_;
};

// `dirty` cut into pieces a few dozen device pixels high. Qt spreads a fill
// of many scanlines over worker threads; drawn piece by piece, the glass stays
// on this thread, where waking the workers ten times a second for each small
// repaint would cost more than the drawing itself.
std::vector<QRect> pieces(const QRegion& dirty, qreal dpr);
// Draws `image` (at its pixel ratio, from the origin) piece by piece.
void drawPieces(QPainter& p, const QRegion& dirty, const QImage& image);

// White with an opacity.
QColor white(double opacity);
// A colour with its opacity multiplied.
QColor faded(const QColor& color, double opacity);

// The window's rounded corner shape of radius `radius`.
QPainterPath roundedRect(const QRectF& rect, double radius);

enum class Material { Regular, UltraThin };
// A frosted material fill: whitish, a little brighter at the top as light
// scattered through a blurred pane would be.
void fillMaterial(QPainter& p, const QPainterPath& shape, Material material, double opacity);
void fillMaterial(QPainter& p, const QRectF& rect, Material material, double opacity);
// What a window shows behind its glass where no compositor can blend it with
// the desktop: an opaque, softly lit pane.
void fillOpaqueBackdrop(QPainter& p, const QRectF& rect);

// A soft drop shadow around a rounded shape, built from stacked translucent
// outlines; the shape itself is left untouched so glass above it stays clear.
void paintSoftShadow(QPainter& p, const QRectF& shape, double cornerRadius, double blurRadius, QPointF offset,
                     const QColor& color);
// The same shadow, shape included, within the painter's clip only.
void paintShadowRings(QPainter& p, const QRectF& shape, double cornerRadius, double blurRadius, QPointF offset,
                      const QColor& color);

// The still layers of a window-scale glass stack.
void paintFrostedBase(QPainter& p, const QRectF& rect);
void paintEdgeHighlight(QPainter& p, const QRectF& rect);
void paintInnerShade(QPainter& p, const QRectF& rect);
void paintStillBorderLines(QPainter& p, const QRectF& rect, const GlassTint& tint);

// The slowly drifting layers.
void paintWaterVeil(QPainter& p, const QRectF& rect, double phase, const GlassTint& tint);
void paintHolographicTint(QPainter& p, const QRectF& rect, double phase);

// The moving details.
void paintCaustics(QPainter& p, const QRectF& rect, double phase);
QRectF causticBounds(const QRectF& rect, double phase, int which);
void paintContourGlow(QPainter& p, const QRectF& rect, double phase);
void paintWindowDroplets(QPainter& p, const QRectF& rect, double phase, const GlassTint& tint);
QRectF windowDropletBounds(const QRectF& rect, double phase, int index);

// The refraction rim of controls and windows, corner radius `radius`: its
// still highlights along the top and leading edges, and its moving light
// (orbs, glow strip, droplets).
void paintRimHighlights(QPainter& p, const QRectF& rect, double radius);
QRegion rimHighlightArea(const QRectF& rect);
void paintRimMotion(QPainter& p, const QRectF& rect, double radius, double refractionPhase, double dropletPhase,
                    const GlassTint& tint);
QRectF controlDropletBounds(const QRectF& rect, double phase, int index);
QRectF orbBounds(const QRectF& rect, double radius, double refractionPhase, int which);
// The radius an orb is drawn with; it lies still while this stays the same.
double orbRadius(const QRectF& rect, double radius, double refractionPhase, int which);
// The orbs drawn differently at the two phases, where they were and are.
QRegion changedOrbs(const QRectF& rect, double radius, double before, double now);

}  // namespace zorbel::glass
