#include "Platform/ScreenFit.h"

#include <algorithm>

namespace zorbel::platform {

namespace {

// Where a span of `length` starting at `start` goes within [low, high]: as it
// is when it fits, else at `other` when that fits, else pushed in, with its
// start edge (`startVisible`) or its end edge kept when it is the longer.
double keptWithin(double start, double other, double length, double low, double high, bool startVisible)
{
    const auto fits = [&](double s) { return s >= low && s + length <= high; };
    if (fits(start)) return start;
    if (fits(other)) return other;
    if (length > high - low) return startVisible ? low : high - length;
    return std::clamp(start, low, high - length);
}

}  // namespace

QPointF keptOnScreen(const QPointF& placed, const QPointF& other, const QSizeF& size, const QPointF& anchor,
                     const QList<QRectF>& screens)
{
    const auto screen =
        std::find_if(screens.begin(), screens.end(), [&](const QRectF& r) { return r.normalized().contains(anchor); });
    if (screen == screens.end()) return placed;
    const QRectF area = screen->normalized();
    // y grows upwards: the visible edge of a box taller than the screen is its top, at the larger y.
    return {keptWithin(placed.x(), other.x(), size.width(), area.left(), area.right(), true),
            keptWithin(placed.y(), other.y(), size.height(), area.top(), area.bottom(), false)};
}

}  // namespace zorbel::platform
