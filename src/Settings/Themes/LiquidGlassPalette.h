#pragma once

#include <QColor>

namespace zorbel {

// The named colours of the liquid-glass theme; five of them are also the
// colours of the settings tabs, so they exist in every theme.
struct LiquidGlassPalette {
    static const QColor& blue();
    static const QColor& skyBlue();
    static const QColor& purple();
    static const QColor& green();
    static const QColor& orange();
    static const QColor& gray();
    static const QColor& statusGreen();
    static const QColor& accentOrange();
};

}  // namespace zorbel
