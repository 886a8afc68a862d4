#include "Settings/Themes/LiquidGlass/GlassPainting.h"

#include "Settings/Themes/LiquidGlass/GlassMotion.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace zorbel::glass {

namespace {

QColor clear() { return QColor(255, 255, 255, 0); }

template <class G>
void spread(G& gradient, const std::vector<QColor>& colors)
{
    const int n = static_cast<int>(colors.size());
    int i = 0;
    for (const auto& c : colors) gradient.setColorAt(n > 1 ? double(i++) / (n - 1) : 0.0, c);
}

// A radial gradient whose colours run from `start` to `end` pixels from its
// centre; inside `start` the first colour holds.
QRadialGradient radial(const QPointF& centre, double start, double end, const std::vector<QColor>& colors)
{
    QRadialGradient g(centre, end);
    const double s = end > 0 ? start / end : 0;
    const int n = static_cast<int>(colors.size());
    int i = 0;
    for (const auto& c : colors) g.setColorAt(s + (1 - s) * (n > 1 ? double(i++) / (n - 1) : 0.0), c);
    if (s > 0) g.setColorAt(0, colors.front());
    return g;
}

QLinearGradient linear(const QPointF& from, const QPointF& to, const std::vector<QColor>& colors)
{
    QLinearGradient g(from, to);
    spread(g, colors);
    return g;
}

void strokeRounded(QPainter& p, const QRectF& rect, double radius, const QBrush& brush, double width,
                   QPointF offset = {})
{
    p.save();
    p.translate(offset);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(brush, width));
    const double in = width / 2;
    p.drawPath(roundedRect(rect.adjusted(in, in, -in, -in), radius - in));
    p.restore();
}

void fillScaled(QPainter& p, const QRectF& rect, const RadialFill& fill, const std::vector<QColor>& colors)
{
    const QPointF c = rect.center();
    p.save();
    p.translate(c);
    p.scale(fill.scale, fill.scale);
    p.translate(-c);
    const QPointF centre(rect.left() + fill.unitCentre.x() * rect.width(),
                         rect.top() + fill.unitCentre.y() * rect.height());
    p.fillRect(rect, radial(centre, fill.startRadius, fill.endRadius, colors));
    p.restore();
}

QTransform causticTransform(const QRectF& rect, const Caustic& c)
{
    QTransform t;
    t.translate(rect.center().x(), rect.center().y());
    t.scale(c.scale, c.scale);
    t.translate(c.offset.x(), c.offset.y());
    t.rotate(c.rotationDegrees);
    return t;
}

QRectF causticShape(const Caustic& c)
{
    return QRectF(-c.frame.width() / 2, -c.frame.height() / 2, c.frame.width(), c.frame.height());
}

// Whether anything drawn within `area` can show through the painter's clip.
bool showsThrough(const QPainter& p, const QRectF& area)
{
    return !p.hasClipping() || p.clipBoundingRect().intersects(area);
}

// Draws a small soft shape from a picture made once per look and size. Qt
// rasterises an antialiased gradient ellipse in many spans and hands them to
// worker threads; a picture is copied on this thread. `key` names the look;
// sizes are kept to quarter points and places to whole device pixels, which
// no one sees in shapes this soft.
void drawSprite(QPainter& p, const QString& key, const QPointF& centre, double extent,
                const std::function<void(QPainter&, const QPointF&)>& paint)
{
    static QHash<QString, QImage> sprites;
    const qreal dpr = p.device()->devicePixelRatioF();
    const double half = std::ceil(extent / 2) + 1;
    const QString name = key + QStringLiteral("@%1").arg(dpr);
    auto found = sprites.constFind(name);
    if (found == sprites.constEnd()) {
        if (sprites.size() > 512) sprites.clear();
        QImage image(QSize(int(2 * half * dpr), int(2 * half * dpr)), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter ip(&image);
        ip.setRenderHint(QPainter::Antialiasing);
        ip.setPen(Qt::NoPen);
        paint(ip, QPointF(half, half));
        found = sprites.insert(name, image);
    }
    const QPointF corner = p.transform().map(centre - QPointF(half, half));
    p.save();
    p.resetTransform();
    p.drawImage(QPointF(std::round(corner.x() * dpr) / dpr, std::round(corner.y() * dpr) / dpr), *found);
    p.restore();
}

QString colorsKey(const std::vector<QColor>& colors)
{
    QString key;
    for (const QColor& c : colors) key += QString::number(c.rgba64(), 16) + QLatin1Char(',');
    return key;
}

double quarter(double value) { return std::round(value * 4) / 4; }

// A small round drop of light with its faint white halo standing for its shadow.
void paintDrop(QPainter& p, const QPointF& at, double size, double gradientEnd, const std::vector<QColor>& colors,
               double haloOpacity)
{
    size = quarter(size);
    if (size <= 0) return;
    if (!showsThrough(p, QRectF(at.x() - size / 2 - 1.2, at.y() - size / 2 - 1.2, size + 2.4, size + 2.4))) return;
    const QString key = QStringLiteral("drop:%1:%2:%3:").arg(size).arg(gradientEnd / size).arg(haloOpacity) + colorsKey(colors);
    drawSprite(p, key, at, size + 2.4, [=](QPainter& ip, const QPointF& c) {
        const QRectF frame(c.x() - size / 2, c.y() - size / 2, size, size);
        ip.setBrush(radial(c, size / 2, size / 2 + 1.2, {white(haloOpacity * 0.5), clear()}));
        ip.drawEllipse(frame.adjusted(-1.2, -1.2, 1.2, 1.2));
        ip.setBrush(radial(frame.topLeft(), 0, gradientEnd, colors));
        ip.drawEllipse(frame);
    });
}

QRectF around(const QPointF& at, double size, double margin)
{
    const double half = size / 2 + margin;
    return QRectF(at.x() - half, at.y() - half, 2 * half, 2 * half);
}

// Half points: the orbs breathe by a fifth of a point a frame, and a soft orb
// half a point larger looks the same.
double drawnRadius(const Orb& orb) { return std::round(orb.radius * orb.scale * 2) / 2; }

}  // namespace

void CachedPainting::draw(QPainter& p, const QWidget& widget, const QRegion& dirty,
                          const std::function<void(QPainter&, const QRectF&)>& paint)
{
    const qreal dpr = widget.devicePixelRatioF();
    const QSize pixels = (QSizeF(widget.size()) * dpr).toSize();
    if (image_.size() != pixels) {
        image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        image_.setDevicePixelRatio(dpr);
        image_.fill(Qt::transparent);
        QPainter ip(&image_);
        ip.setRenderHint(QPainter::Antialiasing);
        paint(ip, QRectF(QPointF(0, 0), QSizeF(widget.size())));
    }
    drawPieces(p, dirty, image_);
}

std::vector<QRect> pieces(const QRegion& dirty, qreal dpr)
{
    // Qt hands a fill of more than about 96 spans to its worker threads.
    const int rows = std::max(1, int(48 / dpr));
    std::vector<QRect> out;
    for (const QRect& r : dirty)
        for (int y = r.top(); y <= r.bottom(); y += rows)
            out.emplace_back(r.left(), y, r.width(), std::min(rows, r.bottom() + 1 - y));
    return out;
}

void drawPieces(QPainter& p, const QRegion& dirty, const QImage& image)
{
    const qreal dpr = image.devicePixelRatio();
    for (const QRect& piece : pieces(dirty, dpr)) {
        p.save();
        p.setClipRect(piece);
        p.drawImage(QRectF(piece), image, QRectF(QPointF(piece.topLeft()) * dpr, QSizeF(piece.size()) * dpr));
        p.restore();
    }
}

QColor white(double opacity) { return QColor::fromRgbF(1, 1, 1, float(opacity)); }

QColor faded(const QColor& color, double opacity)
{
    QColor c = color;
    c.setAlphaF(float(color.alphaF() * opacity));
    return c;
}

QPainterPath roundedRect(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void fillMaterial(QPainter& p, const QPainterPath& shape, Material material, double opacity)
{
    // Flat: a gradient this faint would show as bands in 8-bit colour.
    const double alpha = material == Material::Regular ? 0.78 : 0.36;
    p.fillPath(shape, QColor::fromRgbF(0.985f, 0.99f, 1.0f, float(alpha * opacity)));
}

void fillMaterial(QPainter& p, const QRectF& rect, Material material, double opacity)
{
    QPainterPath path;
    path.addRect(rect);
    fillMaterial(p, path, material, opacity);
}

void paintSoftShadow(QPainter& p, const QRectF& shape, double cornerRadius, double blurRadius, QPointF offset,
                     const QColor& color)
{
    if (blurRadius <= 0 || color.alpha() == 0) return;
    p.save();
    QPainterPath outside;
    outside.addRect(shape.adjusted(-2 * blurRadius, -2 * blurRadius, 2 * blurRadius, 2 * blurRadius).translated(offset));
    p.setClipPath(outside.subtracted(roundedRect(shape, cornerRadius)), Qt::IntersectClip);
    paintShadowRings(p, shape, cornerRadius, blurRadius, offset, color);
    p.restore();
}

void paintShadowRings(QPainter& p, const QRectF& shape, double cornerRadius, double blurRadius, QPointF offset,
                      const QColor& color)
{
    if (blurRadius <= 0 || color.alpha() == 0) return;
    p.save();
    p.setPen(Qt::NoPen);
    const int steps = std::max(4, int(blurRadius / 2));
    // Each ring adds a little darkness, so the shadow fades out over the blur radius.
    p.setBrush(faded(color, 2.0 / steps));
    for (int i = steps; i >= 1; --i) {
        const double grow = blurRadius * i / steps - blurRadius / 2;
        p.drawPath(roundedRect(shape.adjusted(-grow, -grow, grow, grow).translated(offset),
                               std::max(0.0, cornerRadius + grow)));
    }
    p.restore();
}

void fillOpaqueBackdrop(QPainter& p, const QRectF& rect)
{
    p.fillRect(rect, linear(rect.topLeft(), rect.bottomRight(),
                            {QColor(0xEE, 0xF1, 0xF6), QColor(0xE8, 0xEC, 0xF2), QColor(0xEC, 0xEE, 0xF4)}));
}

void paintFrostedBase(QPainter& p, const QRectF& rect)
{
    fillMaterial(p, rect, Material::Regular, 0.6);
    fillMaterial(p, rect, Material::UltraThin, 0.4);
    p.fillRect(rect, white(0.1));
}

void paintEdgeHighlight(QPainter& p, const QRectF& r)
{
    const QPointF tl = r.topLeft(), br = r.bottomRight();
    strokeRounded(p, r, 16, linear(tl, br, {white(0.4), white(0.2), white(0.1), white(0.05)}), 0.8);
    strokeRounded(p, r, 16, linear(tl, br, {clear(), white(0.15), white(0.08), clear()}), 1.2, {1, 1});
    strokeRounded(p, r, 16, linear(tl, br, {white(0.08), clear(), clear(), white(0.12)}), 0.6, {-0.5, -0.5});
    strokeRounded(p, r, 16, linear({r.center().x(), r.top()}, r.center(), {white(0.3), white(0.1), clear()}), 1.0);
    strokeRounded(p, r, 16, linear({r.left(), r.center().y()}, r.center(), {white(0.25), white(0.08), clear()}), 0.8);
}

void paintInnerShade(QPainter& p, const QRectF& r)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    const QPointF centre(r.left() + 0.3 * r.width(), r.top() + 0.3 * r.height());
    p.fillPath(roundedRect(r, 16), radial(centre, 40, 180, {QColor(0, 0, 0, 0), QColor::fromRgbF(0, 0, 0, 0.08f)}));
    p.restore();
}

void paintStillBorderLines(QPainter& p, const QRectF& r, const GlassTint& tint)
{
    strokeRounded(p, r, 16, linear(r.topLeft(), r.bottomRight(), {white(0.25), white(0.15), white(0.08), clear()}),
                  1.0);
    strokeRounded(p, r, 16, faded(tint.accentOrange, 0.04), 0.4, {-0.6, -0.6});
    strokeRounded(p, r, 16, faded(tint.blue, 0.04), 0.4, {0.6, 0.6});
}

void paintWaterVeil(QPainter& p, const QRectF& rect, double phase, const GlassTint& tint)
{
    const auto fills = waterVeil(phase);
    fillScaled(p, rect, fills[0], {white(0.08), clear(), faded(tint.blue, 0.03), clear()});
    fillScaled(p, rect, fills[1], {faded(tint.green, 0.04), clear(), white(0.03), clear()});
}

void paintHolographicTint(QPainter& p, const QRectF& rect, double phase)
{
    const QColor paleBlue = QColor::fromRgbF(0.85f, 0.92f, 0.98f);
    const QColor paleViolet = QColor::fromRgbF(0.92f, 0.87f, 0.98f);
    const auto fills = holographicTint(phase);
    fillScaled(p, rect, fills[0], {faded(paleBlue, 0.03), faded(paleViolet, 0.02), clear()});
    fillScaled(p, rect, fills[1], {faded(paleViolet, 0.02), faded(paleBlue, 0.015), clear()});
}

void paintCaustics(QPainter& p, const QRectF& rect, double phase)
{
    const auto all = caustics(phase);
    const std::vector<QColor> colors[2] = {{white(0.08), white(0.04), clear()}, {white(0.06), white(0.03), clear()}};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 2; ++i) {
        if (!showsThrough(p, causticBounds(rect, phase, i))) continue;
        p.save();
        p.setTransform(causticTransform(rect, all[i]), true);
        p.setBrush(radial({0, 0}, all[i].startRadius, all[i].endRadius, colors[i]));
        p.drawEllipse(causticShape(all[i]));
        p.restore();
    }
}

QRectF causticBounds(const QRectF& rect, double phase, int which)
{
    const auto c = caustics(phase)[which];
    return causticTransform(rect, c).mapRect(causticShape(c)).adjusted(-2, -2, 2, 2);
}

void paintContourGlow(QPainter& p, const QRectF& rect, double phase)
{
    const auto strip = contourGlow(phase, rect.size());
    if (!strip) return;
    const QRectF r = strip->rect.translated(rect.topLeft());
    if (!showsThrough(p, r)) return;
    const double i = strip->intensity;
    QPointF from, to;
    switch (strip->edge) {
    case GlowStrip::Edge::Top: from = r.topLeft(), to = r.topRight(); break;
    case GlowStrip::Edge::Trailing: from = r.topLeft(), to = r.bottomLeft(); break;
    case GlowStrip::Edge::Bottom: from = r.topRight(), to = r.topLeft(); break;
    case GlowStrip::Edge::Leading: from = r.bottomLeft(), to = r.topLeft(); break;
    }
    p.fillRect(r, linear(from, to, {clear(), white(0.15 * i), white(0.2 * i), clear()}));
}

void paintWindowDroplets(QPainter& p, const QRectF& rect, double phase, const GlassTint& tint)
{
    for (int k = 0; k < 8; ++k) {
        const auto d = windowDroplet(k, phase, rect.size());
        paintDrop(p, d.centre + rect.topLeft(), d.size, 2 * d.size, {white(0.9), faded(tint.blue, 0.4), clear()}, 0.3);
    }
}

QRectF windowDropletBounds(const QRectF& rect, double phase, int index)
{
    const auto d = windowDroplet(index, phase, rect.size());
    return around(d.centre + rect.topLeft(), d.size, 2.5);
}

void paintRimHighlights(QPainter& p, const QRectF& r, double c)
{
    p.save();
    p.setClipRect(QRectF(r.left(), r.top(), r.width(), 8), Qt::IntersectClip);
    strokeRounded(p, r, c, linear(r.topLeft(), r.bottomLeft(), {white(0.4), white(0.25), white(0.12), clear()}), 1.0);
    p.restore();
    p.save();
    p.setClipRect(QRectF(r.left(), r.top(), 4, r.height()), Qt::IntersectClip);
    strokeRounded(p, r, c, linear(r.topLeft(), r.topRight(), {white(0.35), white(0.2), white(0.08), clear()}), 0.8);
    p.restore();
}

QRegion rimHighlightArea(const QRectF& r)
{
    return QRegion(QRectF(r.left(), r.top(), r.width(), 8).toAlignedRect()) +
           QRegion(QRectF(r.left(), r.top(), 4, r.height()).toAlignedRect());
}

void paintRimMotion(QPainter& p, const QRectF& r, double c, double refractionPhase, double dropletPhase,
                    const GlassTint& tint)
{
    const auto orbs = rimOrbs(refractionPhase, r.size(), c);
    const std::vector<QColor> orbColors[2] = {{white(0.5), white(0.2), white(0.05), clear()},
                                              {white(0.3), white(0.12), white(0.03), clear()}};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 2; ++i) {
        const QPointF at = orbs[i].centre + r.topLeft();
        const double radius = drawnRadius(orbs[i]);
        if (!showsThrough(p, QRectF(at.x() - radius, at.y() - radius, 2 * radius, 2 * radius))) continue;
        const std::vector<QColor>& colors = orbColors[i];
        drawSprite(p, QStringLiteral("orb:%1:").arg(radius) + colorsKey(colors), at, 2 * radius,
                   [&](QPainter& ip, const QPointF& centre) {
                       ip.setBrush(radial(centre, 0, radius, colors));
                       ip.drawEllipse(centre, radius, radius);
                   });
    }
    paintContourGlow(p, r, refractionPhase);
    for (int k = 0; k < 4; ++k) {
        const auto d = controlDroplet(k, dropletPhase, r.size());
        paintDrop(p, d.centre + r.topLeft(), d.size, 1.5 * d.size, {white(0.8), faded(tint.blue, 0.3), clear()}, 0.2);
    }
}

QRectF controlDropletBounds(const QRectF& rect, double phase, int index)
{
    const auto d = controlDroplet(index, phase, rect.size());
    return around(d.centre + rect.topLeft(), d.size, 2);
}

double orbRadius(const QRectF& rect, double c, double refractionPhase, int which)
{
    return drawnRadius(rimOrbs(refractionPhase, rect.size(), c)[which]);
}

QRectF orbBounds(const QRectF& rect, double c, double refractionPhase, int which)
{
    const auto orb = rimOrbs(refractionPhase, rect.size(), c)[which];
    return around(orb.centre + rect.topLeft(), 2 * drawnRadius(orb), 2);
}

QRegion changedOrbs(const QRectF& rect, double c, double before, double now)
{
    QRegion region;
    for (int i = 0; i < 2; ++i)
        if (orbRadius(rect, c, before, i) != orbRadius(rect, c, now, i))
            region += orbBounds(rect, c, before, i).toAlignedRect() | orbBounds(rect, c, now, i).toAlignedRect();
    return region;
}

}  // namespace zorbel::glass
