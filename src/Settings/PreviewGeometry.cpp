#include "Settings/PreviewGeometry.h"

#include "Caret/Styles/IndicatorPlacement.h"

namespace zorbel::preview {

QPointF mockCaret(const QSizeF& area) { return {area.width() / 2 - 16, area.height() / 2}; }

QPointF indicatorCentre(const QSizeF& area, const BrindotStyle& style)
{
    // The desktop's placement works with y up; the area's y grows downward.
    const QPointF c = mockCaret(area);
    const QPointF moved = indicatorPoint(QPointF(0, 0), style);
    return {c.x() + moved.x(), c.y() - moved.y()};
}

QPointF hudCentre(const QPointF& p, int place, double offset, const QSizeF& size)
{
    const int column = place % 3, row = place / 3;
    const double dx = offset + size.width() / 2, dy = offset + size.height() / 2;
    return {p.x() + (column - 1) * dx, p.y() + (row - 1) * dy};
}

bool showsOffsetGuide(bool hudEnabled, double offset) { return hudEnabled && offset > 10; }

QPointF offsetLabelCentre(const QPointF& caret, const QPointF& hud, int place)
{
    const QPointF mid = (caret + hud) / 2;
    if (place == 4) return mid + QPointF(0, -15);
    if (place == 3 || place == 5) return mid + QPointF(0, 15);
    return mid + QPointF(15, 0);
}

}  // namespace zorbel::preview

namespace zorbel::preview {

bool changesSample(const BrindotStyle& a, const BrindotStyle& b)
{
    return a.shape != b.shape || a.size != b.size || a.fillEnabled != b.fillEnabled || a.fillColor != b.fillColor ||
           a.borderEnabled != b.borderEnabled || a.borderColor != b.borderColor || a.borderWidth != b.borderWidth ||
           a.position.relativePosition != b.position.relativePosition ||
           a.position.horizontalOffset != b.position.horizontalOffset ||
           a.position.verticalOffset != b.position.verticalOffset;
}

}  // namespace zorbel::preview
