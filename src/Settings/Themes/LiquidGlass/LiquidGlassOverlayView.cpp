#include "Settings/Themes/LiquidGlass/LiquidGlassOverlayView.h"

#include "Settings/Themes/LiquidGlass/GlassMotion.h"
#include "Settings/Themes/LiquidGlass/GlassPainting.h"

#include <QLineF>
#include <QPainter>

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

void LiquidGlassOverlayView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen outline(glass::white(0.3), 1);
    outline.setJoinStyle(Qt::RoundJoin);
    p.setPen(outline);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    QPen edge(glass::white(0.4), 2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(edge);
    p.drawLine(edgeHighlight(refractionPhase(frameTime()), QRectF(rect())));
}

QRegion LiquidGlassOverlayView::movedRegion(double before, double now) const
{
    QRegion region;
    for (double t : {before, now}) {
        const QLineF line = edgeHighlight(refractionPhase(t), QRectF(rect()));
        region += QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2).toAlignedRect();
    }
    return region;
}

}  // namespace zorbel
