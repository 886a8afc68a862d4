#include "Settings/Themes/LiquidGlass/LiquidGlassControlContainer.h"

#include "Settings/Themes/LiquidGlass/GlassMotion.h"

#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace zorbel {

using namespace glass;

LiquidGlassControlContainer::LiquidGlassControlContainer(QWidget* content, const GlassTint& tint, QWidget* parent)
    : GlassSurface(parent), content_(content), tint_(tint)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void LiquidGlassControlContainer::paintEvent(QPaintEvent* event)
{
    const double t = frameTime();
    QPainter p(this);
    highlights_.draw(p, *this, event->region() & rimHighlightArea(rect()),
                     [](QPainter& ip, const QRectF& r) { paintRimHighlights(ip, r, cornerRadius); });
    p.setRenderHint(QPainter::Antialiasing);
    // Piece by piece, as the glass below: see drawPieces.
    for (const QRect& piece : pieces(event->region(), devicePixelRatioF())) {
        p.setClipRect(piece);
        paintRimMotion(p, rect(), cornerRadius, loopPhase(t, refractionPeriod), loopPhase(t, dropletPeriod), tint_);
    }
}

QRegion LiquidGlassControlContainer::detailRegion(double t) const
{
    const QRectF r = rect();
    const double refraction = loopPhase(t, refractionPeriod);
    const double droplets = loopPhase(t, dropletPeriod);
    QRegion region;
    for (int k = 0; k < 4; ++k) region += controlDropletBounds(r, droplets, k).toAlignedRect();
    if (const auto strip = contourGlow(refraction, r.size())) region += strip->rect.toAlignedRect();
    return region;
}

QRegion LiquidGlassControlContainer::movedRegion(double before, double now) const
{
    return detailRegion(before) + detailRegion(now) +
           changedOrbs(rect(), cornerRadius, loopPhase(before, refractionPeriod), loopPhase(now, refractionPeriod));
}

}  // namespace zorbel
