#pragma once

#include "Caret/Styles/BrindotStyle.h"

#include <QPointF>

namespace zorbel {

// Where the indicator's centre goes for a caret point, in Cocoa coordinates
// (y up): half the indicator size plus 10 toward the style's relative
// position, then the style's offsets, each held within what can be drawn. The settings previews place their
// sample with this too, so what they show is what the desktop shows.
QPointF indicatorPoint(const QPointF& caret, const BrindotStyle& style);

}  // namespace zorbel
