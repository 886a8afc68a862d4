#include "Caret/Styles/IndicatorPlacement.h"

#include "Caret/Styles/StyleBounds.h"
#include "Platform/ScreenFit.h"

namespace zorbel {

QPointF indicatorPoint(const QPointF& caret, const BrindotStyle& style)
{
    using styleBounds::maxOffset;
    const double d = boundedStyleValue("size", style.size, 0, styleBounds::maxSize) * 0.5 + 10.0;
    double dx = 0, dy = 0;
    switch (style.position.relativePosition) {
    case BrindotRelativePosition::topLeft: dx = -d; dy = d; break;
    case BrindotRelativePosition::top: dy = d; break;
    case BrindotRelativePosition::topRight: dx = d; dy = d; break;
    case BrindotRelativePosition::left: dx = -d; break;
    case BrindotRelativePosition::center: break;
    case BrindotRelativePosition::right: dx = d; break;
    case BrindotRelativePosition::bottomLeft: dx = -d; dy = -d; break;
    case BrindotRelativePosition::bottom: dy = -d; break;
    case BrindotRelativePosition::bottomRight: dx = d; dy = -d; break;
    }
    const auto& position = style.position;
    return {caret.x() + dx + boundedStyleValue("position.horizontalOffset", position.horizontalOffset, -maxOffset, maxOffset),
            caret.y() + dy + boundedStyleValue("position.verticalOffset", position.verticalOffset, -maxOffset, maxOffset)};
}

QPointF indicatorPointOnScreen(const QPointF& caret, const BrindotStyle& style, const QSizeF& size,
                               const QList<QRectF>& screens)
{
    const QPointF centre = indicatorPoint(caret, style);
    const QPointF half(size.width() / 2, size.height() / 2);
    const QPointF mirrored = 2 * caret - centre;
    return platform::keptOnScreen(centre - half, mirrored - half, size, caret, screens) + half;
}

}  // namespace zorbel
