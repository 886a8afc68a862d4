#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Caret/Styles/SystemColors.h"

#include <QColor>
#include <QSizeF>
#include <QString>

namespace zorbel {

// What the indicator view draws: platform colours, with switched-off parts
// already resolved to clear colours and zero widths. A default-built value is
// the default drawing style.
struct PerfectCaretStyle {
    enum class Shape { rectangle, circle, triangle, line };

    Shape shape = Shape::rectangle;
    QColor color = systemColors::blue();
    QColor borderColor = systemColors::white();
    double borderWidth = 1.0;
    double width = 2.0;
    double height = 16.0;
    bool shadowEnabled = false;  // for circles, a glow
    QColor shadowColor = systemColors::clear();
    double shadowRadius = 0;
    QSizeF shadowOffset{0, 0};
    float shadowOpacity = 0;

    PerfectCaretStyle() = default;
    // The drawing style of a stored style. Position, custom content and the
    // animation fields play no part.
    explicit PerfectCaretStyle(const BrindotStyle& from);

    static PerfectCaretStyle defaultStyle() { return PerfectCaretStyle{}; }

    bool operator==(const PerfectCaretStyle&) const = default;
};

template <>
struct RawEnumNames<PerfectCaretStyle::Shape> {
    static constexpr std::array names{"rectangle", "circle", "triangle", "line"};
};

// The platform colour of stored sRGB components.
QColor platformColor(const BrindotColor& color);

// One call's worth of indicator settings.
struct PerfectCaretConfiguration {
    PerfectCaretStyle style;
    bool enableBlinking = false;
    double animationDuration = 0.1;  // carried only: moves always animate over 0.1 s

    static PerfectCaretConfiguration defaultConfiguration() { return PerfectCaretConfiguration{}; }

    bool operator==(const PerfectCaretConfiguration&) const = default;
};

// "PerfectCaretConfiguration(style: PerfectCaretStyle(shape: circle, …),
// enableBlinking: false, animationDuration: 0.1)": the record with its field
// names and values, for log lines.
QString description(const PerfectCaretStyle& style);
QString description(const PerfectCaretConfiguration& configuration);

}  // namespace zorbel
