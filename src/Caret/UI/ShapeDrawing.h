#pragma once

#include "Caret/Styles/PerfectCaretStyle.h"

#include <QPainterPath>
#include <QPointF>

class QColor;
class QImage;
class QPainter;

namespace zorbel::drawing {

// The outline of the style's shape centred on a point, in widget
// coordinates (y down): the apex of a triangle points up.
QPainterPath shapePath(const QPointF& centre, const PerfectCaretStyle& style);

// Fills and strokes the shape (lines are filled only).
void drawShape(QPainter& painter, const QPointF& centre, const PerfectCaretStyle& style);

// Four rings of the shadow colour around a circle of radius r, largest and
// faintest first.
void drawGlow(QPainter& painter, const QPointF& centre, double r, const PerfectCaretStyle& style);

// The shape's blurred silhouette in the shadow colour, offset and faded by
// the style's shadow settings.
void drawDropShadow(QPainter& painter, const QRectF& bounds, const PerfectCaretStyle& style);

// Colours every pixel of a straight-alpha ARGB32 image in `tint`, keeping its
// coverage, then blurs the coverage by `radius` pixels: a silhouette's glow.
void tintAndBlur(QImage& image, const QColor& tint, int radius);

}  // namespace zorbel::drawing
