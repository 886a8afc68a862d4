#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/RawEnum.h"

#include <QSizeF>

namespace zorbel {

// The settings window's visual theme.
enum class UIStyle { system, frostedGlass, liquidGlass };

template <>
struct RawEnumNames<UIStyle> {
    static constexpr std::array names{"system", "frostedGlass", "liquidGlass"};
};

// The visual constants of one theme. Colours are fixed when the row is built,
// so desktop colours follow the palette in effect at that moment.
struct UIStyleConfig {
    UIStyle style = UIStyle::system;
    BrindotColor backgroundColor;
    double backgroundOpacity = 1;
    double blurRadius = 0;
    double saturation = 1;
    bool liquidAnimation = false;
    double liquidIntensity = 0;
    BrindotColor borderColor;
    double borderWidth = 1;
    BrindotColor shadowColor;
    double shadowRadius = 2;
    double shadowOpacity = 0.1;
    BrindotColor primaryTextColor;
    BrindotColor secondaryTextColor;
    BrindotColor controlBackgroundColor;
    BrindotColor controlBorderColor;
    double controlCornerRadius = 6;
    QSizeF windowSize{1100, 680};
    double padding = 20;
    double spacing = 16;
    double sectionSpacing = 24;
    BrindotColor cardBackgroundColor;
    double cardCornerRadius = 8;
    double cardPadding = 16;
    double cardShadowRadius = 2;
    double titleFontSize = 24;
    double subtitleFontSize = 18;
    double bodyFontSize = 14;
    double captionFontSize = 12;
    double iconSize = 20;
    double iconCornerRadius = 4;
    double animationDuration = 0.2;  // seconds
    double hoverScale = 1.02;
    double pressScale = 0.98;

    bool operator==(const UIStyleConfig&) const = default;

    // The theme's row, built afresh on each call.
    static UIStyleConfig config(UIStyle style);
};

}  // namespace zorbel

Q_DECLARE_METATYPE(zorbel::UIStyle)
