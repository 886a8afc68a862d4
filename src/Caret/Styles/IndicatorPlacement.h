#pragma once

#include "Caret/Styles/BrindotStyle.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace zorbel {

// Where the indicator's centre goes for a caret point, in Cocoa coordinates
// (y up): half the indicator size plus 10 toward the style's relative
// position, then the style's offsets, each held within what can be drawn. The settings previews place their
// sample with this too, so what they show is what the desktop shows.
QPointF indicatorPoint(const QPointF& caret, const BrindotStyle& style);

// The same centre for an indicator of `size`, which stays wholly on the
// screen that holds the caret: along an axis on which the style's place would
// cut it at the screen's edge (a caret by the top or right edge of a small
// screen), it stands as far on the other side of the caret, else is pushed
// in. Where it fits, nothing changes.
QPointF indicatorPointOnScreen(const QPointF& caret, const BrindotStyle& style, const QSizeF& size,
                               const QList<QRectF>& screens);

}  // namespace zorbel
