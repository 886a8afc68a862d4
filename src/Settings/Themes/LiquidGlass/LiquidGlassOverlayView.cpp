#include "Settings/Themes/LiquidGlass/LiquidGlassOverlayView.h"

#include "Settings/Themes/LiquidGlass/GlassMotion.h"
#include "Settings/Themes/LiquidGlass/GlassPainting.h"

#include <QLineF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zorbel {

LiquidGlassOverlayView::LiquidGlassOverlayView(QWidget* parent) : GlassSurface(parent)
{
    setObjectName(QStringLiteral("LiquidGlassOverlayView"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

double LiquidGlassOverlayView::refractionPhase(double seconds)
{
    // Wrapping to 0 at 2π makes the highlight jump; that is how it moves.
    return glass::loopPhase(seconds * phaseSpeed, glass::kTwoPi);
}

QLineF LiquidGlassOverlayView::edgeHighlight(double phase, const QRectF& b)
{
    const double f = std::fmod(phase, 1.0);
    if (f <= 0.25) return {b.topLeft(), b.topRight()};
    if (f <= 0.5) return {b.topRight(), b.bottomRight()};
    if (f <= 0.75) return {b.bottomLeft(), b.bottomRight()};
    return {b.topLeft(), b.bottomLeft()};
}

void LiquidGlassOverlayView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // It lies over the whole window, so every repaint below it repaints it
    // too: the still outline comes from a picture, piece by piece.
    const QRegion border = QRegion(rect()) - QRegion(rect().adjusted(3, 3, -3, -3));
    outline_.draw(p, *this, event->region() & border, [](QPainter& ip, const QRectF& r) {
        QPen outline(glass::white(0.3), 1);
        outline.setJoinStyle(Qt::RoundJoin);
        ip.setPen(outline);
        ip.drawRect(r.adjusted(1, 1, -1, -1));
    });
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(glass::white(0.4), 2, Qt::SolidLine, Qt::RoundCap));
    const QLineF edge = edgeHighlight(refractionPhase(frameTime()), QRectF(rect()));
    for (const QRect& piece : glass::pieces(event->region(), devicePixelRatioF())) {
        // Only the stretch of the edge within this piece (and a little
        // beyond, so its ends are cut off by the clip, not drawn).
        const QRectF reach = QRectF(piece).adjusted(-3, -3, 3, 3);
        const QRectF span = QRectF(edge.p1(), edge.p2()).normalized();
        const double x1 = std::max(span.left(), reach.left()), x2 = std::min(span.right(), reach.right());
        const double y1 = std::max(span.top(), reach.top()), y2 = std::min(span.bottom(), reach.bottom());
        if (x1 > x2 || y1 > y2) continue;
        p.setClipRect(piece);
        p.drawLine(QLineF(x1, y1, x2, y2));
    }
}

QRegion LiquidGlassOverlayView::movedRegion(double before, double now) const
{
    const QLineF was = edgeHighlight(refractionPhase(before), QRectF(rect()));
    const QLineF is = edgeHighlight(refractionPhase(now), QRectF(rect()));
    // The lit edge stands still for a quarter turn, then jumps.
    if (was == is) return {};
    QRegion region;
    for (const QLineF& line : {was, is})
        region += QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2).toAlignedRect();
    return region;
}

}  // namespace zorbel
