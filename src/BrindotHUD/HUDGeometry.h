#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

// Sizes and places of the HUD panel and its items. Geometry here is in the
// system's bottom-left coordinates (y grows upwards), as the panel's drawing
// describes it; the view flips it once when painting.
namespace zorbel::hud {

constexpr double kFontSize = 14;
constexpr double kIconSize = 18;
constexpr double kSpacing = 8;
constexpr double kRowHeight = 18;  // the larger of the font size and the icon size
constexpr double kGridRowHeight = kIconSize + kSpacing + kFontSize + kSpacing;  // 48

// The inner padding: a fifth more in the detailed content style.
double effectivePadding(const BrindotHUDConfig& config);
// 0.8 for the oval (its ends curve inwards), 1.0 for the rounded rectangle.
double shapeFactor(const BrindotHUDConfig& config);

// What the size rule needs of one item, measured with the item font.
struct ItemMetrics {
    QSizeF value;
    double titleWidth = 0;  // 0 without a title
    bool capsLockMark = false;
};
// The room one item takes in a row: icon, title, Caps Lock mark and value.
double itemWidth(const ItemMetrics& item);

// The panel size for these items in the configured layout; 60 × 60 without items.
QSizeF contentSize(const BrindotHUDConfig& config, const std::vector<ItemMetrics>& items);

// The panel origin that puts a panel of this size on the configured side of
// the anchor, `offset` away. Not clamped to the screen.
QPointF origin(HUDPosition position, double offset, const QPointF& anchor, const QSizeF& size);
// The same origin, unless the panel would then leave the screen that holds
// the anchor (a caret near the top puts a "top" panel above the screen, where
// nobody can read it): along each axis it leaves, the panel goes to the other
// side of the anchor where it fits there, else is pushed in, keeping its top
// and left edges visible when it is larger than the screen. An anchor on no
// screen keeps the plain origin.
QPointF originOnScreen(HUDPosition position, double offset, const QPointF& anchor, const QSizeF& size,
                       const QList<QRectF>& screens);

// The drawn size of an icon in a row: wide icons shrink so they do not
// dominate the row; others fit the 18-point square.
QSizeF rowIconSize(const QSizeF& image);

// Where a row of the column layout starts: the oval's rows follow its curved
// ends. `rowBottom` is measured from the panel's bottom.
double columnRowStart(const BrindotHUDConfig& config, const QSizeF& view, double rowBottom);
// The bottom of each row of the column layout, top row first.
std::vector<double> columnRowBottoms(const BrindotHUDConfig& config, double viewHeight, std::size_t count);

// The cell of item `index` in the two-column grid (x, bottom, width, height).
QRectF gridCell(const BrindotHUDConfig& config, const QSizeF& view, std::size_t index);

// The outline's corner radius: the configured one for the rounded
// rectangle, half the shorter side for the oval.
double cornerRadius(const BrindotHUDConfig& config, const QSizeF& view);

}  // namespace zorbel::hud
