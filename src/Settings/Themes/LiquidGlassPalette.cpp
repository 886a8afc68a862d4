#include "Settings/Themes/LiquidGlassPalette.h"

namespace zorbel {

namespace {
QColor srgb(double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b), 1.0f); }
}  // namespace

const QColor& LiquidGlassPalette::blue() { static const QColor c = srgb(0, 0.48, 1.0); return c; }
const QColor& LiquidGlassPalette::skyBlue() { static const QColor c = srgb(0.3, 0.66, 1.0); return c; }
const QColor& LiquidGlassPalette::purple() { static const QColor c = srgb(0.69, 0.32, 0.87); return c; }
const QColor& LiquidGlassPalette::green() { static const QColor c = srgb(0, 0.78, 0.45); return c; }
const QColor& LiquidGlassPalette::orange() { static const QColor c = srgb(1.0, 0.58, 0); return c; }
const QColor& LiquidGlassPalette::gray() { static const QColor c = srgb(0.5, 0.5, 0.5); return c; }
const QColor& LiquidGlassPalette::statusGreen() { static const QColor c = srgb(0, 0.78, 0.45); return c; }
const QColor& LiquidGlassPalette::accentOrange() { static const QColor c = srgb(1.0, 0.58, 0); return c; }

}  // namespace zorbel
