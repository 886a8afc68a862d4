#include "Caret/Styles/StyleBounds.h"

#include "Caret/Core/Logger.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace zorbel {

namespace {
// The out-of-range value last named for each field: the same stored style is
// used in several places and restyled often, but is named once.
struct NamedValues {
    std::map<QString, QString> lastNamed;
};
}  // namespace

double boundedStyleValue(const char* name, double value, double low, double high)
{
    return boundedStoredValue(QStringLiteral("style"), QStringLiteral("the indicator"), name, value, low, high);
}

double boundedStoredValue(const QString& record, const QString& user, const char* name, double value, double low,
                          double high)
{
    const double used = std::isnan(value) ? low : std::clamp(value, low, high);
    if (used == value) return value;
    const QString field = record + QLatin1Char('.') + QString::fromLatin1(name);
    const QString stored = text::number(value);
    auto& named = sharedInstance<NamedValues>().lastNamed;
    const auto last = named.find(field);
    if (last == named.end() || last->second != stored) {
        named[field] = stored;
        Logger::shared().warning(QStringLiteral("Stored %1 value %2 = %3 is out of range; %4 uses %5")
                                     .arg(record, QString::fromLatin1(name), stored, user, text::number(used)),
                                 ZHERE("bounded(_:)"));
    }
    return used;
}

BrindotColor boundedStyleColor(const char* name, const BrindotColor& c)
{
    const QByteArray field(name);
    const auto component = [&](const char* part, double v) {
        return boundedStyleValue((field + '.' + part).constData(), v, 0, 1);
    };
    return {component("red", c.red), component("green", c.green), component("blue", c.blue),
            component("alpha", c.alpha)};
}

}  // namespace zorbel
