#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

// The HUD's icons, drawn in code at twice the point size so they stay sharp
// on dense screens. Sizes are in points (the image's device-independent size).
namespace zorbel::hud {

// An image's own name ("keyboard"), or empty.
QString imageName(const QImage& image);
// A template image is a shape in one colour, meant to be tinted.
bool isTemplateImage(const QImage& image);
void setTemplateImage(QImage& image, bool isTemplate);
QSizeF pointSize(const QImage& image);

// The symbol of an item ("keyboard", "clock", "battery.100",
// "keyboard.badge.ellipsis", "star"), 18 × 18, as a template in the colour
// given; nothing for a name it does not know.
std::optional<QImage> symbolImage(const QString& name, const QColor& color);

// A 20 × 20 clock face showing the time.
QImage clockImage(int hour, int minute, const QColor& label);

// A 12 × 20 upright battery; its charge bar is red up to 20 %, orange up to
// 50 %, green above. Without a level the bar is left out.
QImage batteryImage(std::optional<int> level, const QColor& label);

}  // namespace zorbel::hud
