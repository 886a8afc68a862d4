#include "Settings/NumberText.h"

#include <cmath>
#include <limits>

namespace zorbel {

long long wholeNumber(double value)
{
    if (std::isnan(value)) return 0;
    // 2^63 is the first double past the range; everything below it converts.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit) return std::numeric_limits<long long>::max();
    if (value < -limit) return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

QString wholeNumberText(double value) { return QString::asprintf("%lld", wholeNumber(value)); }

int sliderPosition(double value, int minimum, int maximum)
{
    if (std::isnan(value)) return minimum;
    if (value <= minimum) return minimum;
    if (value >= maximum) return maximum;
    return static_cast<int>(std::lround(value));
}

}  // namespace zorbel
