#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "Platform/PowerSource.h"

#include <QDateTime>
#include <QLineF>
#include <QString>

#include <optional>
#include <vector>

// The texts and drawn values of the HUD's items.
namespace zorbel::hud {

// "M/d HH:mm" in the detailed style, "HH:mm" in the simple one.
QString timeText(const QDateTime& now, bool detailed);

// The charge of the first source that reports one; nothing on a machine
// without a battery.
std::optional<int> batteryLevel(const std::optional<std::vector<platform::PowerSourceDescription>>& sources);

// "15%", or "15% • 1h30m" / "15% • 5m" in the detailed style while a time to
// empty of at least a second is known. A machine without a battery has no
// battery value: "—".
QString batteryText(const std::optional<std::vector<platform::PowerSourceDescription>>& sources, bool detailed);
inline const QString kNoBatteryText = QStringLiteral("—");

// "120字 • 340次击键 • 12次回退" in the detailed style, "120" in the simple one.
QString typingText(int characters, int keystrokes, int backspaces, bool detailed);

// The custom item: a star and the product's name, in the HUD and in the
// settings window's picture of it alike.
inline const QString kCustomItemSymbol = QStringLiteral("star");
inline const QString kCustomItemText = QStringLiteral("Brindot");

// The clock face's hands on a 20-point square (y up): hour hand 4.8 long,
// minute hand 6.4 long, both from the centre (10, 10).
QLineF hourHand(int hour, int minute);
QLineF minuteHand(int minute);

// The height of the battery icon's charge bar (14 points when full).
double batteryChargeHeight(int level);

}  // namespace zorbel::hud
