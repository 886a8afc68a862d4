#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/JsonCoding.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace zorbel {

// A numbered colour an input method can be mapped to.
struct StylePreset {
    int id = 0;
    QString name;
    QString colorHex;  // "#" and six upper-case hexadecimal digits
    QString description;

    // The sixteen built-in presets; a preset's position equals its id.
    static const std::vector<StylePreset>& builtInPresets();

    // The base style recoloured: fill in the preset's colour at 90 % opacity,
    // fill on, and a white border (black for pure white, so it stays visible).
    // Everything else, border width and switch included, comes from the base.
    BrindotStyle makeStyle(const BrindotStyle& base) const;

    bool operator==(const StylePreset&) const = default;
};

// A preset as one compact JSON object with the keys "id", "name", "colorHex"
// and "description"; decoding needs all four, and "id" must be a whole number.
json::Result<QByteArray> encodeJson(const StylePreset& preset);
json::Result<StylePreset> decodeStylePreset(const QByteArray& bytes);

// The number a colour text stands for: blanks and line breaks trimmed, every
// "#" dropped, then the longest leading run of hexadecimal digits (after
// optional blanks and an optional "0x"). A run too long for 64 bits gives the
// largest 64-bit value; no digit at all gives 0.
std::uint64_t hexColorValue(const QString& colorHex);

// Red, green and blue from bits 16-23, 8-15 and 0-7 of hexColorValue().
BrindotColor colorFromHex(const QString& colorHex, double alpha);

// A whole style with a display name, offered as a one-click choice.
struct PresetStyle {
    QString name;
    BrindotStyle style;

    // "经典黑色", "蓝色圆形", "红色三角形", built afresh on each call.
    static std::vector<PresetStyle> wholeStyles();
};

}  // namespace zorbel
