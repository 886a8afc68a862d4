#include "Settings/PreviewGeometry.h"

#include "BrindotHUD/HUDBounds.h"
#include "BrindotHUD/HUDTexts.h"
#include "Caret/Styles/IndicatorPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zorbel::preview {

QPointF mockCaret(const QSizeF& area) { return {area.width() / 2 - 16, area.height() / 2}; }

QPointF indicatorCentre(const QSizeF& area, const BrindotStyle& style)
{
    // The desktop's placement works with y up; the area's y grows downward.
    const QPointF c = mockCaret(area);
    const QPointF moved = indicatorPoint(QPointF(0, 0), style);
    return {c.x() + moved.x(), c.y() - moved.y()};
}

QPointF hudCentre(const QPointF& p, HUDPosition position, double offset, const QSizeF& size)
{
    // The panel's origin is its lower-left corner with y up.
    const QPointF origin = hud::origin(position, offset, QPointF(p.x(), -p.y()), size);
    return {origin.x() + size.width() / 2, -(origin.y() + size.height() / 2)};
}

bool showsOffsetGuide(bool hudEnabled, double offset) { return hudEnabled && offset > 10; }

QPointF guideEnd(const QPointF& caret, const QRectF& hud)
{
    const QPointF q = hud.center(), d = caret - q;
    if (hud.contains(caret)) return q;
    const auto reach = [](double from, double delta, double low, double high) {
        if (delta > 0) return (high - from) / delta;
        if (delta < 0) return (low - from) / delta;
        return std::numeric_limits<double>::infinity();
    };
    const double t = std::min(reach(q.x(), d.x(), hud.left(), hud.right()), reach(q.y(), d.y(), hud.top(), hud.bottom()));
    return q + t * d;
}

QPointF offsetLabelCentre(const QPointF& caret, const QPointF& end, HUDPosition position, const QSizeF& label,
                          const std::vector<QRectF>& keepClear)
{
    const QPointF mid = (caret + end) / 2;
    QPointF aside(15, 0);
    if (position == HUDPosition::center) aside = QPointF(0, -15);
    else if (position == HUDPosition::left || position == HUDPosition::right) aside = QPointF(0, 15);
    // Further out, one side and then the other, until the label is clear;
    // when no place clears everything, the last things listed are given up first.
    for (auto n = static_cast<std::ptrdiff_t>(keepClear.size()); n > 0; --n) {
        const auto covers = [&](const QPointF& centre) {
            const QRectF box(centre - QPointF(label.width() / 2, label.height() / 2), label);
            return std::any_of(keepClear.begin(), keepClear.begin() + n, [&](const QRectF& r) { return box.intersects(r); });
        };
        for (int step = 1; step <= 5; ++step)
            for (const double side : {1.0, -1.0})
                if (!covers(mid + side * step * aside)) return mid + side * step * aside;
    }
    return mid + aside;
}

namespace {
double within(double value, double low, double high, double otherwise)
{
    return std::isnan(value) ? otherwise : std::clamp(value, low, high);
}
}  // namespace

BrindotHUDConfig drawableConfig(BrindotHUDConfig c)
{
    c.offset = within(c.offset, -1000, 1000, 0);
    c.padding = within(c.padding, 0, 200, 0);
    c.cornerRadius = within(c.cornerRadius, 0, 1000, 0);
    c.opacity = within(c.opacity, 0, 1, 1);
    c.contentTypes.resize(std::min(c.contentTypes.size(), hudBounds::maxContentItems));
    return c;
}

MockSample mockSample(HUDContentType type)
{
    switch (type) {
    case HUDContentType::inputMethod: return {QStringLiteral("keyboard"), QStringLiteral("输入法"), QStringLiteral("微信输入法")};
    case HUDContentType::time: return {QStringLiteral("clock"), QStringLiteral("时间"), QStringLiteral("14:30")};
    case HUDContentType::battery: return {QStringLiteral("battery.100"), QStringLiteral("电量"), QStringLiteral("85%")};
    case HUDContentType::typingCount:
        return {QStringLiteral("keyboard.badge.ellipsis"), QStringLiteral("今日打字"), QStringLiteral("0字 · 0次击键")};
    case HUDContentType::custom: break;
    }
    return {hud::kCustomItemSymbol, QString(), hud::kCustomItemText};
}

QSizeF mockHUDSize(const BrindotHUDConfig& c, const std::vector<hud::ItemMetrics>& items, const QSizeF& arranged)
{
    if (c.layout != HUDLayout::vertical) return arranged.expandedTo(QSizeF(200, 50));
    const double p = hud::effectivePadding(c);
    if (items.empty()) return {c.shape == HUDShape::oval ? 2 * p * hud::shapeFactor(c) + p : 2 * p, 2 * p};
    return hud::contentSize(c, items);
}

namespace {
// The move along one axis that brings [low, high] inside [margin, extent -
// margin], limited to moves that keep [coreLow, coreHigh] inside too.
double axisShift(double extent, double coreLow, double coreHigh, double low, double high, double margin)
{
    double s = 0;
    if (low < margin) s = margin - low;
    else if (high > extent - margin) s = extent - margin - high;
    const double least = margin - coreLow, most = extent - margin - coreHigh;
    if (!(least <= most)) return 0;  // the core alone does not fit: leave the picture as it is
    s = std::clamp(s, least, most);
    return std::isfinite(s) ? s : 0;
}
}  // namespace

QTransform sceneFit(const QSizeF& area, const QRectF& core, const QRectF& scene, double margin)
{
    double k = std::min((area.width() - 2 * margin) / scene.width(), (area.height() - 2 * margin) / scene.height());
    k = std::isnan(k) ? 1.0 : std::clamp(k, 0.5, 1.0);
    const auto scaled = [k](const QRectF& r) { return QRectF(r.topLeft() * k, r.size() * k); };
    const QRectF c = scaled(core), s = scaled(scene);
    const QPointF shift(axisShift(area.width(), c.left(), c.right(), s.left(), s.right(), margin),
                        axisShift(area.height(), c.top(), c.bottom(), s.top(), s.bottom(), margin));
    return QTransform::fromScale(k, k) * QTransform::fromTranslate(shift.x(), shift.y());
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
