#include "Shell/UIStyle.h"

#include "Caret/Styles/SystemColors.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace zorbel {

namespace {

// The desktop's named colours, taken from the application palette where there
// is one (so a dark desktop theme gives dark settings), else from a light one.
QColor paletteColor(QPalette::ColorRole role, QColor fallback)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::palette().color(role);
    return fallback;
}

BrindotColor from(QColor color, std::optional<double> alpha = std::nullopt)
{
    const QColor rgb = color.toRgb();
    return BrindotColor{rgb.redF(), rgb.greenF(), rgb.blueF(), alpha.value_or(rgb.alphaF())};
}

QColor windowBackground() { return paletteColor(QPalette::Window, QColor(0xEC, 0xEC, 0xEC)); }
QColor separator() { return paletteColor(QPalette::Mid, QColor(0xC6, 0xC6, 0xC6)); }
QColor shadow() { return paletteColor(QPalette::Shadow, QColor(0, 0, 0)); }
QColor label() { return paletteColor(QPalette::WindowText, QColor(0, 0, 0)); }
QColor secondaryLabel() { return paletteColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80)); }
QColor controlBackground() { return paletteColor(QPalette::Base, QColor(0xFF, 0xFF, 0xFF)); }
QColor control() { return paletteColor(QPalette::Button, QColor(0xEF, 0xEF, 0xEF)); }

UIStyleConfig common(UIStyle style)
{
    UIStyleConfig c;
    c.style = style;
    c.primaryTextColor = from(label());
    c.secondaryTextColor = from(secondaryLabel());
    c.windowSize = QSizeF(1100, 680);
    return c;
}

UIStyleConfig systemRow()
{
    UIStyleConfig c = common(UIStyle::system);
    c.backgroundColor = from(windowBackground());
    c.backgroundOpacity = 1.0;
    c.blurRadius = 0;
    c.saturation = 1.0;
    c.borderColor = from(separator());
    c.borderWidth = 1;
    c.shadowColor = from(shadow());
    c.shadowRadius = 2;
    c.shadowOpacity = 0.1;
    c.controlBackgroundColor = from(controlBackground());
    c.controlBorderColor = from(control());
    c.controlCornerRadius = 6;
    c.padding = 20;
    c.spacing = 16;
    c.sectionSpacing = 24;
    c.cardBackgroundColor = from(controlBackground());
    c.cardCornerRadius = 8;
    c.cardPadding = 16;
    c.cardShadowRadius = 2;
    c.titleFontSize = 24;
    c.subtitleFontSize = 18;
    c.bodyFontSize = 14;
    c.captionFontSize = 12;
    c.iconSize = 20;
    c.iconCornerRadius = 4;
    c.animationDuration = 0.2;
    c.hoverScale = 1.02;
    c.pressScale = 0.98;
    return c;
}

UIStyleConfig frostedGlassRow()
{
    UIStyleConfig c = common(UIStyle::frostedGlass);
    c.backgroundColor = from(systemColors::clear());
    c.backgroundOpacity = 0.8;
    c.blurRadius = 25;
    c.saturation = 1.3;
    c.borderColor = from(separator(), 0.2);
    c.borderWidth = 1;
    c.shadowColor = from(shadow());
    c.shadowRadius = 15;
    c.shadowOpacity = 0.3;
    c.controlBackgroundColor = from(controlBackground(), 0.6);
    c.controlBorderColor = from(control(), 0.3);
    c.controlCornerRadius = 12;
    c.padding = 24;
    c.spacing = 20;
    c.sectionSpacing = 32;
    c.cardBackgroundColor = from(controlBackground(), 0.4);
    c.cardCornerRadius = 16;
    c.cardPadding = 20;
    c.cardShadowRadius = 8;
    c.titleFontSize = 28;
    c.subtitleFontSize = 20;
    c.bodyFontSize = 15;
    c.captionFontSize = 13;
    c.iconSize = 24;
    c.iconCornerRadius = 6;
    c.animationDuration = 0.3;
    c.hoverScale = 1.05;
    c.pressScale = 0.95;
    return c;
}

UIStyleConfig liquidGlassRow()
{
    UIStyleConfig c = common(UIStyle::liquidGlass);
    c.backgroundColor = from(systemColors::clear());
    c.backgroundOpacity = 0.9;
    c.blurRadius = 30;
    c.saturation = 1.6;
    c.liquidAnimation = true;
    c.liquidIntensity = 0.4;
    c.borderColor = from(systemColors::blue(), 0.3);
    c.borderWidth = 2;
    c.shadowColor = from(systemColors::blue(), 0.2);
    c.shadowRadius = 20;
    c.shadowOpacity = 0.4;
    c.controlBackgroundColor = from(systemColors::blue(), 0.08);
    c.controlBorderColor = from(systemColors::blue(), 0.2);
    c.controlCornerRadius = 20;
    c.padding = 32;
    c.spacing = 24;
    c.sectionSpacing = 40;
    c.cardBackgroundColor = from(systemColors::blue(), 0.05);
    c.cardCornerRadius = 24;
    c.cardPadding = 24;
    c.cardShadowRadius = 12;
    c.titleFontSize = 32;
    c.subtitleFontSize = 22;
    c.bodyFontSize = 16;
    c.captionFontSize = 14;
    c.iconSize = 28;
    c.iconCornerRadius = 8;
    c.animationDuration = 0.4;
    c.hoverScale = 1.08;
    c.pressScale = 0.92;
    return c;
}

}  // namespace

UIStyleConfig UIStyleConfig::config(UIStyle style)
{
    switch (style) {
    case UIStyle::system:
        return systemRow();
    case UIStyle::frostedGlass:
        return frostedGlassRow();
    case UIStyle::liquidGlass:
        return liquidGlassRow();
    }
    return frostedGlassRow();
}

}  // namespace zorbel
