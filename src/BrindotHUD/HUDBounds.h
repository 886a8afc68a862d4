#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"

#include <QString>

#include <cstddef>

namespace zorbel {

// The HUD record comes from a file anyone can edit. Wherever the HUD uses a
// number or a list of it, the value is held within what can sensibly be
// drawn (padding 15000 would make a window of gigabytes, an animation of
// 1e9 seconds would keep the panel up for good); the stored record itself
// is left as it is, and one warning names each value that is out of range.
namespace hudBounds {
inline constexpr double maxPadding = 60;            // the settings page offers 0 to 30
inline constexpr double maxCornerRadius = 100;
inline constexpr double maxOffset = 300;            // the settings page offers 0 to 100
inline constexpr double maxDisplayDuration = 10;    // the settings page offers 1 to 10
inline constexpr double maxAnimationDuration = 2;   // the settings page offers 0.25
inline constexpr std::size_t maxContentItems = 32;  // five kinds exist
inline constexpr int maxTextLength = 64;            // code points of one drawn text
// Below this opacity the panel cannot be seen, so it must not catch clicks either.
inline constexpr double clickThroughOpacity = 0.05;
// A stored record larger than this is refused rather than decoded.
inline constexpr qsizetype maxRecordBytes = 1024 * 1024;
}  // namespace hudBounds

// The record as the HUD uses it: every number and the item list within the
// bounds above. A display time of 0 or less keeps its meaning (the panel
// stays until something hides it).
BrindotHUDConfig usableHUDConfig(const BrindotHUDConfig& stored);

// At most `maxCodePoints` characters, cut between code points, with "…" when cut.
QString cappedText(const QString& text, int maxCodePoints = hudBounds::maxTextLength);

}  // namespace zorbel
