#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "BrindotHUD/HUDGeometry.h"
#include "Caret/Styles/BrindotStyle.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <vector>

namespace zorbel::preview {

// Geometry of the live preview, in the preview area's own coordinates
// (origin top left, y down). The sample indicator and the mock HUD are placed
// from the mock caret exactly as the desktop places the real indicator beside
// the caret and the real HUD beside the indicator.

// The mock caret: 16 left of the area's centre.
QPointF mockCaret(const QSizeF& area);
QPointF indicatorCentre(const QSizeF& area, const BrindotStyle& style);

// The HUD panel's own placement (`offset` between its nearer edges and the
// indicator point; centre places sit on it), mirrored into y-down.
QPointF hudCentre(const QPointF& indicator, HUDPosition position, double offset, const QSizeF& hudSize);

// The dashed guide runs from the mock caret to the mock HUD's outline; it and
// its label show only while the HUD is on and its offset exceeds 10.
bool showsOffsetGuide(bool hudEnabled, double offset);
// Where the guide leaves off: the point where the line from the caret to the
// HUD's centre meets the HUD's outline (its centre when the caret lies under it).
QPointF guideEnd(const QPointF& caret, const QRectF& hud);
// Where the offset label is centred: beside the guide's midpoint, 15 to the
// right for the top and bottom rows, 15 below it for left and right, 15
// above it for the centre. Where that would cover one of `keepClear` (the
// sample, the placeholder, the mock HUD: most important first), the label
// moves to the mirrored side or further out, in steps of that distance.
QPointF offsetLabelCentre(const QPointF& caret, const QPointF& end, HUDPosition position, const QSizeF& label = {},
                          const std::vector<QRectF>& keepClear = {});

// A hand-edited record can hold any number; the preview draws with its
// offset, padding, corner radius and opacity brought into drawable ranges,
// and as many items as the HUD itself shows at most.
BrindotHUDConfig drawableConfig(BrindotHUDConfig config);

// The sample row the mock HUD shows for a kind of item; the label is empty
// where the kind has none.
struct MockSample {
    QString symbol, label, value;
};
MockSample mockSample(HUDContentType type);

// The mock HUD's size. The column layout is measured from its items as the
// HUD panel measures its column (no items: twice the padding high). The row
// and grid layouts are 200 × 50, grown to what their items need as drawn
// (`arranged`) so no item spills past the mock's outline.
QSizeF mockHUDSize(const BrindotHUDConfig& config, const std::vector<hud::ItemMetrics>& items, const QSizeF& arranged);

// How to draw the whole picture so that `scene` (field, sample, mock HUD)
// lies inside the area with a margin: moved by the least amount, and scaled
// down (never below half size) when it is larger than the area, without
// moving `core` (the field and sample) out of it. A large HUD offset stays in
// view.
QTransform sceneFit(const QSizeF& area, const QRectF& core, const QRectF& scene, double margin);

}  // namespace zorbel::preview

namespace zorbel::preview {

// Whether going from one style to the next changes what the sample shows
// (shape, size, fill, border, relative position or offsets); shadow,
// alignment and animation fields do not pulse it.
bool changesSample(const BrindotStyle& before, const BrindotStyle& after);

}  // namespace zorbel::preview
