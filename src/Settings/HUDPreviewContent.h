#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"

#include <QRectF>
#include <QSizeF>

class QPainter;

// The mock HUD of the live preview: the HUD's outline in the stored style,
// shape and opacity, with a sample row for every listed item in the stored
// layout and content style. It never shows real data. Sizes and the outline
// come from the HUD panel's own geometry.
namespace zorbel::hudPreview {

// The mock's natural size for a record (measured with the item fonts).
QSizeF contentSize(const BrindotHUDConfig& config);

// Draws the mock filling `rect`; the outline at the record's opacity, the
// items fully opaque above it.
void draw(QPainter& p, const BrindotHUDConfig& config, const QRectF& rect, double devicePixelRatio);

}  // namespace zorbel::hudPreview
