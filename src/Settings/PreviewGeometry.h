#pragma once

#include "Caret/Styles/BrindotStyle.h"

#include <QPointF>
#include <QSizeF>

namespace zorbel::preview {

// Geometry of the live preview, in the preview area's own coordinates
// (origin top left, y down). The sample indicator and the mock HUD are placed
// from the mock caret exactly as the desktop places the real indicator beside
// the caret and the real HUD beside the indicator.

// The mock caret: 16 left of the area's centre.
QPointF mockCaret(const QSizeF& area);
QPointF indicatorCentre(const QSizeF& area, const BrindotStyle& style);

// `place` is the index of a nine-way position in its declaration order
// (topLeft, top, topRight, left, center, right, bottomLeft, bottom,
// bottomRight). The HUD keeps `offset` between its nearer edges and the
// indicator point; centre places sit on it.
QPointF hudCentre(const QPointF& indicator, int place, double offset, const QSizeF& hudSize);

// The dashed guide runs from the mock caret to the HUD's centre; it and its
// label show only while the HUD is on and its offset exceeds 10.
bool showsOffsetGuide(bool hudEnabled, double offset);
// Where the offset label is centred: beside the guide's midpoint, 15 to the
// right for the top and bottom rows, 15 below it for left and right, 15
// above it for the centre.
QPointF offsetLabelCentre(const QPointF& caret, const QPointF& hud, int place);

}  // namespace zorbel::preview

namespace zorbel::preview {

// Whether going from one style to the next changes what the sample shows
// (shape, size, fill, border, relative position or offsets); shadow,
// alignment and animation fields do not pulse it.
bool changesSample(const BrindotStyle& before, const BrindotStyle& after);

}  // namespace zorbel::preview
