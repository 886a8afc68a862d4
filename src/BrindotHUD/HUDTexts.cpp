#include "BrindotHUD/HUDTexts.h"

#include <QLocale>

#include <cmath>
#include <numbers>

namespace zorbel::hud {

QString timeText(const QDateTime& now, bool detailed)
{
    return QLocale().toString(now, detailed ? QStringLiteral("M/d HH:mm") : QStringLiteral("HH:mm"));
}

namespace {
const platform::PowerSourceDescription* firstWithCapacity(
    const std::optional<std::vector<platform::PowerSourceDescription>>& sources)
{
    if (!sources) return nullptr;
    for (const auto& s : *sources)
        if (s.currentCapacity) return &s;
    return nullptr;
}

QString remaining(const std::optional<int>& seconds)
{
    if (!seconds || *seconds < 1) return {};
    const int h = *seconds / 3600, m = (*seconds % 3600) / 60;
    if (*seconds >= 3600) return QStringLiteral(" • %1h%2m").arg(h).arg(m);
    return QStringLiteral(" • %1m").arg(m);
}
}  // namespace

std::optional<int> batteryLevel(const std::optional<std::vector<platform::PowerSourceDescription>>& sources)
{
    const auto* s = firstWithCapacity(sources);
    if (!s) return std::nullopt;
    return *s->currentCapacity;
}

QString batteryText(const std::optional<std::vector<platform::PowerSourceDescription>>& sources, bool detailed)
{
    const auto* s = firstWithCapacity(sources);
    if (!s) return kNoBatteryText;
    QString text = QString::number(*s->currentCapacity) + QLatin1Char('%');
    if (detailed) text += remaining(s->timeToEmpty);
    return text;
}

QString typingText(int characters, int keystrokes, int backspaces, bool detailed)
{
    if (!detailed) return QString::number(characters);
    return QStringLiteral("%1字 • %2次击键 • %3次回退").arg(characters).arg(keystrokes).arg(backspaces);
}

namespace {
QLineF hand(double degrees, double length)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return {10, 10, 10 + length * std::cos(a), 10 - length * std::sin(a)};
}
}  // namespace

QLineF hourHand(int hour, int minute) { return hand((hour % 12) * 30 + minute * 0.5 - 90, 4.8); }

QLineF minuteHand(int minute) { return hand(minute * 6 - 90, 6.4); }

double batteryChargeHeight(int level) { return level / 100.0 * 14.0; }

}  // namespace zorbel::hud
