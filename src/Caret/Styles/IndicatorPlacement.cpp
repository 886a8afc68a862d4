#include "Caret/Styles/IndicatorPlacement.h"

namespace zorbel {

QPointF indicatorPoint(const QPointF& caret, const BrindotStyle& style)
{
    const double d = style.size * 0.5 + 10.0;
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
    return {caret.x() + dx + style.position.horizontalOffset, caret.y() + dy + style.position.verticalOffset};
}

}  // namespace zorbel
