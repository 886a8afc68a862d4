#include "BrindotHUD/HUDBounds.h"

#include "Caret/Styles/StyleBounds.h"

#include <cmath>

namespace zorbel {

namespace {
double bounded(const char* name, double value, double low, double high)
{
    return boundedStoredValue(QStringLiteral("HUD"), QStringLiteral("the HUD"), name, value, low, high);
}
}  // namespace

BrindotHUDConfig usableHUDConfig(const BrindotHUDConfig& stored)
{
    using namespace hudBounds;
    BrindotHUDConfig c = stored;
    c.padding = bounded("padding", c.padding, 0, maxPadding);
    c.cornerRadius = bounded("cornerRadius", c.cornerRadius, 0, maxCornerRadius);
    c.offset = bounded("offset", c.offset, -maxOffset, maxOffset);
    c.opacity = bounded("opacity", c.opacity, 0, 1);
    c.animationDuration = bounded("animationDuration", c.animationDuration, 0, maxAnimationDuration);
    if (std::isnan(c.displayDuration) || c.displayDuration > 0)
        c.displayDuration = bounded("displayDuration", c.displayDuration, 0, maxDisplayDuration);
    const auto count = static_cast<double>(c.contentTypes.size());
    c.contentTypes.resize(static_cast<std::size_t>(bounded("contentTypes.count", count, 0, double(maxContentItems))));
    return c;
}

QString cappedText(const QString& text, int maxCodePoints)
{
    // A text no longer in UTF-16 units than allowed cannot have more code points.
    if (text.size() <= maxCodePoints) return text;
    qsizetype end = 0;
    for (int n = 0; n < maxCodePoints && end < text.size(); ++n)
        end += (text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate()) ? 2 : 1;
    if (end >= text.size()) return text;
    return text.left(end) + QStringLiteral("…");
}

}  // namespace zorbel
