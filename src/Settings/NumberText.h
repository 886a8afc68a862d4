#pragma once

#include <QString>

namespace zorbel {

// The whole-number part of a stored value as the settings pages show it
// (truncated toward zero). Hand-edited settings can hold anything: a value
// beyond the 64-bit range is shown as the nearest end of it, one that is not
// a number as 0.
long long wholeNumber(double value);
QString wholeNumberText(double value);
// Clamps a stored value into a slider's integer range before it is handed to
// the slider, so huge or broken values cannot overflow the conversion.
int sliderPosition(double value, int minimum, int maximum);

}  // namespace zorbel
