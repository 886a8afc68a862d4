#include "Caret/Styles/PerfectCaretStyle.h"

#include "Caret/Styles/StyleBounds.h"
#include "Caret/Styles/SystemColors.h"
#include "Platform/TextForm.h"

#include <cmath>

namespace zorbel {

namespace {
PerfectCaretStyle::Shape drawnShape(BrindotShape shape)
{
    switch (shape) {
    case BrindotShape::circle: return PerfectCaretStyle::Shape::circle;
    case BrindotShape::triangle: return PerfectCaretStyle::Shape::triangle;
    case BrindotShape::rectangle: return PerfectCaretStyle::Shape::rectangle;
    }
    return PerfectCaretStyle::Shape::rectangle;
}

// Components rounded to four places: the colour keeps 16 bits per channel, and
// 0.9000076 would only obscure the 0.9 that was stored.
QString colorText(const QColor& color)
{
    float r = 0, g = 0, b = 0, a = 0;
    color.getRgbF(&r, &g, &b, &a);
    const auto component = [](float v) { return text::number(std::round(static_cast<double>(v) * 1e4) / 1e4); };
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(component(r), component(g), component(b), component(a));
}
}  // namespace

QColor platformColor(const BrindotColor& c)
{
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue),
                            static_cast<float>(c.alpha));
}

PerfectCaretStyle::PerfectCaretStyle(const BrindotStyle& from)
    : shape(drawnShape(from.shape)),
      color(from.fillEnabled ? platformColor(boundedStyleColor("fillColor", from.fillColor)) : systemColors::clear()),
      borderColor(from.borderEnabled ? platformColor(boundedStyleColor("borderColor", from.borderColor))
                                     : systemColors::clear()),
      borderWidth(from.borderEnabled ? boundedStyleValue("borderWidth", from.borderWidth, 0, styleBounds::maxBorderWidth)
                                     : 0),
      width(boundedStyleValue("size", from.size, 0, styleBounds::maxSize)),
      height(width),
      shadowEnabled(from.shadowEnabled)
{
    if (!from.shadowEnabled) return;  // the clear, zero shadow of the defaults
    using namespace styleBounds;
    shadowColor = platformColor(boundedStyleColor("shadowColor", from.shadowColor));
    shadowRadius = boundedStyleValue("shadowRadius", from.shadowRadius, 0, maxShadowRadius);
    shadowOffset = {boundedStyleValue("shadowOffset.width", from.shadowOffset.width(), -maxShadowOffset, maxShadowOffset),
                    boundedStyleValue("shadowOffset.height", from.shadowOffset.height(), -maxShadowOffset,
                                      maxShadowOffset)};
    shadowOpacity = static_cast<float>(boundedStyleValue("shadowOpacity", from.shadowOpacity, 0, 1));
}

QString description(const PerfectCaretStyle& s)
{
    return QStringLiteral("PerfectCaretStyle(shape: %1, color: %2, borderColor: %3, borderWidth: %4, width: %5, "
                          "height: %6, shadowEnabled: %7, shadowColor: %8, shadowRadius: %9, shadowOffset: %10, "
                          "shadowOpacity: %11)")
        .arg(rawValue(s.shape), colorText(s.color), colorText(s.borderColor), text::number(s.borderWidth),
             text::number(s.width), text::number(s.height), text::boolean(s.shadowEnabled), colorText(s.shadowColor),
             text::number(s.shadowRadius))
        .arg(text::size(s.shadowOffset), text::number(s.shadowOpacity));
}

QString description(const PerfectCaretConfiguration& c)
{
    return QStringLiteral("PerfectCaretConfiguration(style: %1, enableBlinking: %2, animationDuration: %3)")
        .arg(description(c.style), text::boolean(c.enableBlinking), text::number(c.animationDuration));
}

}  // namespace zorbel
