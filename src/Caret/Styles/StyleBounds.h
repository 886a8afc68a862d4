#pragma once

#include "Caret/Styles/BrindotStyle.h"

namespace zorbel {

// A stored style comes from a file anyone can edit. Wherever the indicator
// uses one of its numbers, the number is held within what can sensibly be
// drawn (a 30000-point indicator would take gigabytes and the whole screen);
// the stored value itself is left as it is, and one warning names each value
// that is out of range.
namespace styleBounds {
inline constexpr double maxSize = 200;          // the settings page offers 0 to 50
inline constexpr double maxBorderWidth = 20;    // the settings page offers 1 to 5
inline constexpr double maxShadowRadius = 50;
inline constexpr double maxShadowOffset = 100;
inline constexpr double maxOffset = 200;        // the settings page offers -50 to 50
}  // namespace styleBounds

// The value within [low, high]; a value that is no number gives low.
double boundedStyleValue(const char* name, double value, double low, double high);
// The same for any stored record: `record` names it in the warning ("style",
// "HUD") and `user` what draws it ("the indicator", "the HUD").
double boundedStoredValue(const QString& record, const QString& user, const char* name, double value, double low,
                          double high);
// Each component within 0 to 1.
BrindotColor boundedStyleColor(const char* name, const BrindotColor& color);

}  // namespace zorbel
