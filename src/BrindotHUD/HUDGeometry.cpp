#include "BrindotHUD/HUDGeometry.h"

#include "Platform/ScreenFit.h"

#include <algorithm>
#include <cmath>

namespace zorbel::hud {

double effectivePadding(const BrindotHUDConfig& c) { return c.isDetailed() ? c.padding * 1.2 : c.padding; }

double shapeFactor(const BrindotHUDConfig& c) { return c.shape == HUDShape::oval ? 0.8 : 1.0; }

double itemWidth(const ItemMetrics& item)
{
    double w = item.value.width() + kIconSize + kSpacing;
    if (item.titleWidth > 0) w += item.titleWidth + kSpacing;
    if (item.capsLockMark) w += 16;
    return w;
}

namespace {

QSizeF horizontalSize(double p, const std::vector<ItemMetrics>& items)
{
    double width = p, height = std::max(40.0, p);
    for (const auto& item : items) {
        width += itemWidth(item) + kSpacing;
        height = std::max(height, std::max(item.value.height(), kRowHeight));
    }
    return {width, height};
}

// Every row is 18 high with an 8-point gap between neighbours; the gap is
// decided by position, so an item listed twice is measured as it is drawn.
QSizeF verticalSize(const BrindotHUDConfig& c, double p, const std::vector<ItemMetrics>& items)
{
    const auto n = static_cast<double>(items.size());
    const double height = 2 * p + kRowHeight * n + kSpacing * (n - 1);
    double widest = 0;
    for (const auto& item : items) widest = std::max(widest, itemWidth(item));
    double width = 2 * p * shapeFactor(c) + widest;
    if (c.shape == HUDShape::oval) width += 0.5 * height;
    return {width, height};
}

QSizeF gridSize(double p, std::size_t count)
{
    const auto rows = static_cast<double>((count + 1) / 2);
    return {2 * 0.6 * p + 200, 0.8 * p + rows * (kFontSize + 26 + kSpacing)};
}

}  // namespace

QSizeF contentSize(const BrindotHUDConfig& c, const std::vector<ItemMetrics>& items)
{
    if (items.empty()) return {60, 60};
    const double p = effectivePadding(c);
    switch (c.layout) {
    case HUDLayout::horizontal: return horizontalSize(p, items);
    case HUDLayout::vertical: return verticalSize(c, p, items);
    case HUDLayout::grid: return gridSize(p, items.size());
    }
    return {60, 60};
}

QPointF origin(HUDPosition position, double o, const QPointF& a, const QSizeF& s)
{
    const double left = a.x() - (o + s.width()), middleX = a.x() - s.width() / 2, right = a.x() + o;
    const double above = a.y() + o, middleY = a.y() - s.height() / 2, below = a.y() - (o + s.height());
    switch (position) {
    case HUDPosition::topLeft: return {left, above};
    case HUDPosition::top: return {middleX, above};
    case HUDPosition::topRight: return {right, above};
    case HUDPosition::left: return {left, middleY};
    case HUDPosition::center: return {middleX, middleY};
    case HUDPosition::right: return {right, middleY};
    case HUDPosition::bottomLeft: return {left, below};
    case HUDPosition::bottom: return {middleX, below};
    case HUDPosition::bottomRight: return {right, below};
    }
    return {middleX, middleY};
}

namespace {

HUDPosition opposite(HUDPosition position)
{
    switch (position) {
    case HUDPosition::topLeft: return HUDPosition::bottomRight;
    case HUDPosition::top: return HUDPosition::bottom;
    case HUDPosition::topRight: return HUDPosition::bottomLeft;
    case HUDPosition::left: return HUDPosition::right;
    case HUDPosition::center: return HUDPosition::center;
    case HUDPosition::right: return HUDPosition::left;
    case HUDPosition::bottomLeft: return HUDPosition::topRight;
    case HUDPosition::bottom: return HUDPosition::top;
    case HUDPosition::bottomRight: return HUDPosition::topLeft;
    }
    return position;
}

}  // namespace

QPointF originOnScreen(HUDPosition position, double o, const QPointF& a, const QSizeF& s, const QList<QRectF>& screens)
{
    return platform::keptOnScreen(origin(position, o, a, s), origin(opposite(position), o, a, s), s, a, screens);
}

QSizeF rowIconSize(const QSizeF& image)
{
    if (image.height() <= 0 || image.width() <= 0) return {kIconSize, kIconSize};
    const double a = image.width() / image.height();
    const double m = a > 1.5 ? std::min(a * kIconSize * 0.6, kIconSize * 0.8) : kIconSize;
    return {std::min(a * m, m), std::min(m / a, m)};
}

double columnRowStart(const BrindotHUDConfig& c, const QSizeF& view, double rowBottom)
{
    const double start = effectivePadding(c) * shapeFactor(c);
    if (c.shape != HUDShape::oval) return start;
    const double r = view.height() / 2;
    const double dy = (rowBottom + kRowHeight / 2) - view.height() / 2;
    if (std::fabs(dy) >= r) return start;
    return start + (r - std::sqrt(r * r - dy * dy));
}

std::vector<double> columnRowBottoms(const BrindotHUDConfig& c, double viewHeight, std::size_t count)
{
    std::vector<double> bottoms;
    double y = viewHeight - effectivePadding(c);
    for (std::size_t i = 0; i < count; ++i) {
        y -= kRowHeight;
        bottoms.push_back(y);
        y -= kSpacing;
    }
    return bottoms;
}

QRectF gridCell(const BrindotHUDConfig& c, const QSizeF& view, std::size_t index)
{
    const double p = effectivePadding(c);
    const double column = (view.width() - 2 * (0.6 * p) - kSpacing) / 2;
    const auto col = static_cast<double>(index % 2), row = static_cast<double>(index / 2);
    const double x = 0.6 * p + col * (column + kSpacing);
    const double bottom = view.height() - 0.8 * p - (row + 1) * kGridRowHeight;
    return {x, bottom, column, kGridRowHeight};
}

double cornerRadius(const BrindotHUDConfig& c, const QSizeF& view)
{
    if (c.shape == HUDShape::roundedRectangle) return c.cornerRadius;
    return std::min(view.width(), view.height()) / 2;
}

}  // namespace zorbel::hud
