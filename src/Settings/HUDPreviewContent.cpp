#include "Settings/HUDPreviewContent.h"

#include "BrindotHUD/HUDGeometry.h"
#include "Settings/PreviewGeometry.h"
#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace zorbel::hudPreview {

namespace {

constexpr double kSymbol = 16;     // a symbol in the 14-point item font
constexpr double kSmallLine = 16;  // a 12-point line with the CJK fallback face
constexpr double kRowGap = 6;      // symbol, label and value in a row
constexpr double kCellGap = 4;     // symbol over value in a grid cell

QFont valueFont() { return ui::systemFont(static_cast<int>(hud::kFontSize)); }
QFont smallFont() { return ui::systemFont(12); }

struct Row {
    preview::MockSample sample;
    bool labelled = false;
};

std::vector<Row> rows(const BrindotHUDConfig& c)
{
    std::vector<Row> out;
    for (HUDContentType type : c.contentTypes) {
        Row r{preview::mockSample(type)};
        r.labelled = c.isDetailed() && !r.sample.label.isEmpty();
        out.push_back(r);
    }
    return out;
}

// A row of the row layout: symbol, label and value side by side.
double rowWidth(const Row& r)
{
    double w = kSymbol + kRowGap + QFontMetricsF(valueFont()).horizontalAdvance(r.sample.value);
    if (r.labelled) w += QFontMetricsF(smallFont()).horizontalAdvance(r.sample.label) + kRowGap;
    return w;
}

double cellWidth(const Row& r) { return std::max(kSymbol, QFontMetricsF(smallFont()).horizontalAdvance(r.sample.value)); }
constexpr double kCellHeight = kSymbol + kCellGap + kSmallLine;

// What the row and grid layouts need to hold their items (10 around, 8
// between; the row is padded 8 above and below).
QSizeF arrangedSize(HUDLayout layout, const std::vector<Row>& items)
{
    if (items.empty()) return {};
    const auto n = static_cast<double>(items.size());
    if (layout == HUDLayout::horizontal) {
        double w = 20 + hud::kSpacing * (n - 1);
        for (const auto& r : items) w += rowWidth(r);
        return {w, 16 + hud::kRowHeight};
    }
    double column = 0;
    for (const auto& r : items) column = std::max(column, cellWidth(r));
    const double lines = std::ceil(n / 2);
    return {20 + 2 * column + hud::kSpacing, 20 + lines * kCellHeight + hud::kSpacing * (lines - 1)};
}

std::vector<hud::ItemMetrics> metrics(const std::vector<Row>& items)
{
    const QFontMetricsF fm(valueFont());
    std::vector<hud::ItemMetrics> out;
    for (const auto& r : items)
        out.push_back({QSizeF(fm.horizontalAdvance(r.sample.value), fm.height()),
                       r.labelled ? fm.horizontalAdvance(r.sample.label) : 0.0});
    return out;
}

struct Look {
    QColor fill, outline, shadow;
};

Look look(HUDStyle style)
{
    const QColor control = ui::controlBackgroundColor(), primary = ui::primaryColor(), blue = ui::systemBlue();
    switch (style) {
    case HUDStyle::system: return {control, ui::withAlpha(primary, 0.2), {}};
    case HUDStyle::frostedGlass: return {ui::withAlpha(control, 0.8), ui::withAlpha(primary, 0.1), {}};
    case HUDStyle::liquidGlass: return {QColor(255, 255, 255, 153), QColor(255, 255, 255, 102), ui::withAlpha(blue, 0.3)};
    case HUDStyle::custom: break;
    }
    return {ui::withAlpha(blue, 0.3), ui::withAlpha(blue, 0.6), {}};
}

void drawOutline(QPainter& p, const BrindotHUDConfig& c, const QRectF& rect)
{
    const double r = std::min(hud::cornerRadius(c, rect.size()), std::min(rect.width(), rect.height()) / 2);
    const Look l = look(c.style);
    p.save();
    p.setOpacity(c.opacity);
    if (l.shadow.isValid()) glass::paintSoftShadow(p, rect, r, 8, QPointF(0, 2), l.shadow);
    QPainterPath outline;
    outline.addRoundedRect(rect, r, r);
    p.fillPath(outline, l.fill);
    QPainterPath edge;
    edge.addRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), std::max(0.0, r - 0.5), std::max(0.0, r - 0.5));
    p.strokePath(edge, QPen(l.outline, 1));
    p.restore();
}

void drawSymbol(QPainter& p, const QString& name, const QPointF& centre, double dpr)
{
    const QPixmap pixmap = ui::symbolPixmap(name, static_cast<int>(kSymbol), ui::primaryColor(), dpr);
    p.drawPixmap(QRectF(centre.x() - kSymbol / 2, centre.y() - kSymbol / 2, kSymbol, kSymbol), pixmap, pixmap.rect());
}

// Text from `x`, centred on `midY`, never clipped.
double drawText(QPainter& p, const QString& text, const QFont& font, const QColor& colour, double x, double midY)
{
    p.setFont(font);
    p.setPen(colour);
    const double w = QFontMetricsF(font).horizontalAdvance(text);
    p.drawText(QRectF(x, midY - 10, w, 20), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
    return w;
}

// Symbol, label (detailed only) and value; `symbolBox` is the room the symbol takes.
void drawRow(QPainter& p, const Row& r, double x, double midY, double symbolBox, double gap, double dpr)
{
    drawSymbol(p, r.sample.symbol, QPointF(x + symbolBox / 2, midY), dpr);
    x += symbolBox + gap;
    if (r.labelled) x += drawText(p, r.sample.label, smallFont(), ui::secondaryColor(), x, midY) + gap;
    drawText(p, r.sample.value, valueFont(), ui::primaryColor(), x, midY);
}

void drawRowLayout(QPainter& p, const std::vector<Row>& items, const QRectF& rect, double dpr)
{
    double total = hud::kSpacing * static_cast<double>(items.size() - 1);
    for (const auto& r : items) total += rowWidth(r);
    double x = rect.center().x() - total / 2;
    for (const auto& r : items) {
        drawRow(p, r, x, rect.center().y(), kSymbol, kRowGap, dpr);
        x += rowWidth(r) + hud::kSpacing;
    }
}

void drawColumnLayout(QPainter& p, const BrindotHUDConfig& c, const std::vector<Row>& items, const QRectF& rect,
                      double dpr)
{
    const auto sizes = metrics(items);
    double widest = 0;
    for (const auto& m : sizes) widest = std::max(widest, hud::itemWidth(m));
    const double left = rect.center().x() - widest / 2;
    double top = rect.top() + hud::effectivePadding(c);
    for (const auto& r : items) {
        drawRow(p, r, left, top + hud::kRowHeight / 2, hud::kIconSize, hud::kSpacing, dpr);
        top += hud::kRowHeight + hud::kSpacing;
    }
}

void drawGridLayout(QPainter& p, const std::vector<Row>& items, const QRectF& rect, double dpr)
{
    const QSizeF need = arrangedSize(HUDLayout::grid, items);
    // Two columns sharing the width, the rows centred in the height.
    const double column = (rect.width() - 20 - hud::kSpacing) / 2;
    const double x0 = rect.left() + 10, y0 = rect.center().y() - need.height() / 2 + 10;
    const QFontMetricsF fm(smallFont());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const double cx = x0 + static_cast<double>(i % 2) * (column + hud::kSpacing) + column / 2;
        const double top = y0 + static_cast<double>(i / 2) * (kCellHeight + hud::kSpacing);
        drawSymbol(p, items[i].sample.symbol, QPointF(cx, top + kSymbol / 2), dpr);
        const QString& value = items[i].sample.value;
        drawText(p, value, smallFont(), ui::primaryColor(), cx - fm.horizontalAdvance(value) / 2,
                 top + kSymbol + kCellGap + kSmallLine / 2);
    }
}

}  // namespace

QSizeF contentSize(const BrindotHUDConfig& config)
{
    const auto items = rows(config);
    return preview::mockHUDSize(config, metrics(items), arrangedSize(config.layout, items));
}

void draw(QPainter& p, const BrindotHUDConfig& config, const QRectF& rect, double dpr)
{
    drawOutline(p, config, rect);
    const auto items = rows(config);
    if (items.empty()) return;
    switch (config.layout) {
    case HUDLayout::horizontal: return drawRowLayout(p, items, rect, dpr);
    case HUDLayout::vertical: return drawColumnLayout(p, config, items, rect, dpr);
    case HUDLayout::grid: return drawGridLayout(p, items, rect, dpr);
    }
}

}  // namespace zorbel::hudPreview
